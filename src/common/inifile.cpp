#include "common/inifile.h"

#include "common/wholefile.h"
#include "encoding/codepage932.h"

#include <QFile>

namespace sokuri {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

qsizetype skipBlanks(const QByteArray& bytes, qsizetype from, qsizetype end)
{
    while (from < end && isBlank(bytes[from]))
        ++from;
    return from;
}

qsizetype trimBlanksBack(const QByteArray& bytes, qsizetype begin, qsizetype end)
{
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return end;
}

// Finds c in [from, end), stepping over double-byte characters so that a
// trail byte equal to c (0x5D "]" is a valid trail byte) is not taken for it.
qsizetype findByte(const QByteArray& bytes, char c, qsizetype from, qsizetype end)
{
    for (qsizetype i = from; i < end; ++i) {
        const auto b = uchar(bytes[i]);
        if (cp932::isLeadByte(b) && i + 1 < end) {
            ++i;
            continue;
        }
        if (bytes[i] == c)
            return i;
    }
    return -1;
}

// The length of the longest prefix of at most limit bytes that ends at a
// character boundary.
qsizetype boundaryPrefix(QByteArrayView bytes, qsizetype limit)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype width = cp932::isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        if (i + width > limit)
            break;
        i += width;
    }
    return i;
}

} // namespace

IniFile IniFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromBytes(file.readAll());
}

IniFile IniFile::fromBytes(QByteArray bytes)
{
    IniFile ini;
    ini.m_bytes = std::move(bytes);
    ini.parse();
    return ini;
}

void IniFile::parse()
{
    m_lines.clear();
    const qsizetype size = m_bytes.size();
    int currentSection = -1;
    qsizetype pos = 0;
    while (pos < size) {
        Line line;
        line.begin = pos;
        qsizetype end = pos;
        while (end < size && m_bytes[end] != '\r' && m_bytes[end] != '\n')
            ++end;
        line.end = end;
        if (end < size && m_bytes[end] == '\r' && end + 1 < size && m_bytes[end + 1] == '\n')
            line.next = end + 2;
        else
            line.next = end < size ? end + 1 : end;
        pos = line.next;

        const qsizetype first = skipBlanks(m_bytes, line.begin, line.end);
        if (first < line.end && m_bytes[first] == '[') {
            qsizetype close = findByte(m_bytes, ']', first + 1, line.end);
            if (close < 0)
                close = line.end;
            const qsizetype nameBegin = skipBlanks(m_bytes, first + 1, close);
            const qsizetype nameEnd = trimBlanksBack(m_bytes, nameBegin, close);
            line.isSection = true;
            line.name =
                cp932::decode(QByteArrayView(m_bytes).sliced(nameBegin, nameEnd - nameBegin));
            currentSection = int(m_lines.size());
        } else if (first < line.end && m_bytes[first] != ';' && currentSection >= 0) {
            // "=" (0x3D) is never a trail byte, so a plain search is safe.
            const qsizetype equals = m_bytes.indexOf('=', first);
            if (equals >= 0 && equals < line.end) {
                const qsizetype keyEnd = trimBlanksBack(m_bytes, first, equals);
                if (keyEnd > first) {
                    line.isKey = true;
                    line.name =
                        cp932::decode(QByteArrayView(m_bytes).sliced(first, keyEnd - first));
                    line.valueBegin = skipBlanks(m_bytes, equals + 1, line.end);
                    line.valueEnd = trimBlanksBack(m_bytes, line.valueBegin, line.end);
                }
            }
        }
        line.section = currentSection;
        m_lines.append(line);
    }
}

int IniFile::findSection(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].isSection && m_lines[i].name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const
{
    for (int i = sectionLine + 1; i < m_lines.size() && m_lines[i].section == sectionLine; ++i) {
        if (m_lines[i].isKey && m_lines[i].name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::value(const QString& section, const QString& key) const
{
    const int sectionLine = findSection(section);
    if (sectionLine < 0)
        return {};
    const int keyLine = findKey(sectionLine, key);
    if (keyLine < 0)
        return {};
    const Line& line = m_lines[keyLine];
    QByteArrayView raw =
        QByteArrayView(m_bytes).sliced(line.valueBegin, line.valueEnd - line.valueBegin);
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.sliced(1, raw.size() - 2);
    return cp932::decode(raw.first(boundaryPrefix(raw, MaxValueBytes)));
}

QByteArray IniFile::lineEnd() const
{
    const qsizetype end = m_bytes.indexOf('\r');
    const qsizetype lf = m_bytes.indexOf('\n');
    if (end >= 0 && (lf < 0 || end < lf))
        return end + 1 < m_bytes.size() && m_bytes[end + 1] == '\n' ? QByteArray("\r\n")
                                                                    : QByteArray("\r");
    if (lf >= 0)
        return QByteArray("\n");
    return QByteArray("\r\n");
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray eol = lineEnd();
    const QByteArray valueBytes = cp932::encode(value);
    const int sectionLine = findSection(section);
    const int keyLine = sectionLine < 0 ? -1 : findKey(sectionLine, key);

    if (keyLine >= 0) {
        // The key keeps its spelling in the file; only its line changes.
        const Line& line = m_lines[keyLine];
        const QByteArray keyBytes = cp932::encode(line.name);
        m_bytes.replace(line.begin, line.end - line.begin, QByteArray(keyBytes + '=' + valueBytes));
    } else if (sectionLine >= 0) {
        // After the last line of the section that is not blank.
        int last = sectionLine;
        for (int i = sectionLine + 1; i < m_lines.size() && m_lines[i].section == sectionLine;
             ++i) {
            if (skipBlanks(m_bytes, m_lines[i].begin, m_lines[i].end) < m_lines[i].end)
                last = i;
        }
        const Line& line = m_lines[last];
        QByteArray insertion = cp932::encode(key) + '=' + valueBytes + eol;
        if (line.next == line.end)
            insertion.prepend(eol);
        m_bytes.insert(line.next, insertion);
    } else {
        QByteArray addition;
        if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r'))
            addition += eol;
        addition += '[' + cp932::encode(section) + ']' + eol;
        addition += cp932::encode(key) + '=' + valueBytes + eol;
        m_bytes += addition;
    }
    parse();
}

QString GetIniString(const QString& section, const QString& key, const QString& file)
{
    return IniFile::load(file).value(section, key);
}

bool WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& file, QString* errorText)
{
    return WriteIniStrings(section, {{key, value}}, file, errorText);
}

bool WriteIniStrings(const QString& section, const QList<std::pair<QString, QString>>& values,
                     const QString& file, QString* errorText)
{
    // A file that exists but cannot be read must not be replaced by one that
    // holds the new key alone.
    QFile existing(file);
    if (existing.exists() && !existing.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = file + u" を読み込めません。(" + existing.errorString() + u")";
        return false;
    }
    IniFile ini = IniFile::fromBytes(existing.isOpen() ? existing.readAll() : QByteArray());
    existing.close();
    for (const auto& [key, value] : values)
        ini.setValue(section, key, value);
    return WriteWholeFile(file, ini.bytes(), errorText);
}

} // namespace sokuri
