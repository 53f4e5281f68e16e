#pragma once

#include <QPushButton>
#include <QString>

namespace sokuri {

// A push button of a dialog's own, found by name in tests, that Enter in a
// field of the dialog does not press.
inline QPushButton* DialogButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* created = new QPushButton(caption, parent);
    created->setObjectName(name);
    created->setAutoDefault(false);
    return created;
}

} // namespace sokuri
