#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

#include "support/qtprinters.h"

namespace sokuri::test {

// The bytes of the given values, 0 to 255 each.
QByteArray bytes(std::initializer_list<int> values);

// Writes bytes to a file, creating its folder; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
// Writes text to a file as Shift_JIS bytes.
void writeSjisFile(const QString& path, const QString& text);
QByteArray readFile(const QString& path);

// A plugin file of the given name whose home and search script are at
// https://NAME.example/, version 2, and nothing else.
QByteArray examplePluginBytes(const QString& name);

// A fresh, empty application folder for one test, removed afterwards.
class TempAppDir
{
public:
    TempAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
};

} // namespace sokuri::test
