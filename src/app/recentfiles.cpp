#include "app/recentfiles.h"

#include "common/inifile.h"
#include "encoding/codepage932.h"

#include <QDir>
#include <QUrl>

#include <utility>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

const QString Section = u"recent"_s;

QString keyOf(int index)
{
    return u"file"_s + QString::number(index + 1);
}

} // namespace

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > MaxCount)
        m_paths.removeLast();
}

bool RecentFiles::remove(const QString& path)
{
    return m_paths.removeAll(path) > 0;
}

void RecentFiles::load(const QString& iniPath)
{
    const IniFile ini = IniFile::load(iniPath);
    m_paths.clear();
    for (int i = 0; i < MaxCount; ++i) {
        const QString path = RecentFilePath(ini.value(Section, keyOf(i)));
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths.append(path);
    }
}

bool RecentFiles::save(const QString& iniPath, QString* errorText) const
{
    QList<std::pair<QString, QString>> values;
    for (int i = 0; i < MaxCount; ++i)
        values.append({keyOf(i), i < m_paths.size() ? RecentFileValue(m_paths[i]) : QString()});
    return WriteIniStrings(Section, values, iniPath, errorText);
}

QString RecentFileValue(const QString& path)
{
    // Blanks around a value and enclosing quotes are not kept by the reader,
    // nor is a path longer than a value holds.
    const QByteArray plain = cp932::encode(path);
    const bool keepsPlain = cp932::decode(plain) == path && path.trimmed() == path &&
                            !path.contains(u'\n') && !path.contains(u'\r') &&
                            !path.endsWith(u'"') && !path.endsWith(u'\'') &&
                            plain.size() <= IniFile::MaxValueBytes;
    if (keepsPlain)
        return path;
    const QString address = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    return address.size() <= IniFile::MaxValueBytes ? address : QString();
}

QString RecentFilePath(const QString& value)
{
    QString path = value;
    if (value.startsWith(u"file:"_s)) {
        const QUrl url = QUrl::fromEncoded(value.toLatin1(), QUrl::StrictMode);
        path = url.isValid() && url.isLocalFile() ? url.toLocalFile() : QString();
    }
    if (path.contains(QChar(0xFFFD)) || !QDir::isAbsolutePath(path))
        return {};
    return path;
}

} // namespace sokuri
