#pragma once

class QTranslator;

namespace sokuri {

// Gives Qt's own dialogs (file dialogs, message box buttons, the context
// menus of text boxes) their Japanese texts: installs Qt's Japanese
// translation ("qtbase_ja" from Qt's translation folder) in the application,
// whatever the desktop's language, as the program is Japanese throughout.
// The translator belongs to the application; nullptr when the translation
// is not installed (the dialogs then stay in English).
QTranslator* InstallQtJapaneseTranslation();

} // namespace sokuri
