#pragma once

#include <QString>
#include <QStringList>

namespace sokuri {

// The documents used last, most recent first, as the File menu lists them.
// They are kept in the section "recent" of sokuri.ini, one key a document
// ("file1" ... "file8"; an empty value is no document). A path that Shift_JIS
// cannot hold is kept as a "file:" address, so no document is remembered
// under a wrong name.
class RecentFiles
{
public:
    static constexpr int MaxCount = 8;

    const QStringList& paths() const { return m_paths; }

    // Puts path first; an entry of the same path moves up, the ninth drops.
    void add(const QString& path);
    // Removes path; false when it was not listed.
    bool remove(const QString& path);

    // Reads the list from the settings file; a missing file, a damaged or
    // doubled entry and one that is no absolute path are left out.
    void load(const QString& iniPath);
    // Writes the list into the settings file, whole or not at all.
    bool save(const QString& iniPath, QString* errorText = nullptr) const;

private:
    QStringList m_paths;
};

// The value under which a path is kept, and the path a kept value names
// (empty when it names none).
QString RecentFileValue(const QString& path);
QString RecentFilePath(const QString& value);

} // namespace sokuri
