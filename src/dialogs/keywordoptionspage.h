#pragma once

#include "common/appstate.h"
#include "common/settings.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace sokuri {

// The part of the Options dialog's ChaSen page that says how a passage
// becomes keywords: compound terms joined into one keyword (keywordCompound)
// and the most keywords, chosen by importance (keywordMax, 0 for all of
// them), the keys "compound" and "max" of the section "keywords" of
// sokuri.ini.
class KeywordOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit KeywordOptionsPage(QWidget* parent = nullptr);

    void load(const AppPaths& paths);
    // Writes the values that differ from the ones loaded, in one whole write
    // of the file, so a file without them keeps today's keywords until one is
    // changed. False with the reason when the file cannot be written.
    bool apply(const AppPaths& paths, QString* errorText);

private:
    QCheckBox* m_compound = nullptr;
    QSpinBox* m_max = nullptr;
    KeywordSettings m_loaded;
};

} // namespace sokuri
