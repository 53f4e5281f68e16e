#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace sokuri {

// An INI file as the program's profile functions read it: Shift_JIS text,
// "[section]" lines, "key=value" lines, ";" comment lines; CR LF, LF and CR
// line ends all end a line. Names match without regard to letter case, the
// first section of a name and the first key within it count, blanks around a
// value and one enclosing pair of matching double or single quotes are
// dropped, a semicolon inside a value is kept, and at most MaxValueBytes bytes
// of a value (in its Shift_JIS form, cut at a character boundary) are read.
class IniFile
{
public:
    static constexpr int MaxValueBytes = 1023;

    // Reads the file; a missing or unreadable file reads as empty.
    static IniFile load(const QString& path);
    static IniFile fromBytes(QByteArray bytes);

    // The value of key in section, or the empty text when either is absent.
    QString value(const QString& section, const QString& key) const;

    // Sets key in section: an existing key line is replaced in place, a new
    // key is added after the last line of its section, a new section at the
    // end of the file. Every other line stays byte for byte.
    void setValue(const QString& section, const QString& key, const QString& value);

    const QByteArray& bytes() const { return m_bytes; }

private:
    struct Line
    {
        qsizetype begin = 0;    // first byte of the line
        qsizetype end = 0;      // one past its last byte, line end excluded
        qsizetype next = 0;     // first byte of the next line
        int section = -1;       // index of the section it belongs to, -1 before any
        bool isSection = false; // a "[name]" line
        bool isKey = false;     // a "key=value" line
        QString name;           // the section or key name
        qsizetype valueBegin = 0;
        qsizetype valueEnd = 0;
    };

    void parse();
    int findSection(const QString& section) const;
    int findKey(int sectionLine, const QString& key) const;
    QByteArray lineEnd() const;

    QByteArray m_bytes;
    QList<Line> m_lines;
};

// Reads one value; a missing file, section or key reads as the empty text.
QString GetIniString(const QString& section, const QString& key, const QString& file);

// Writes one key. The file is created when it does not exist and is replaced
// whole or not at all. Returns false with the reason in errorText when the
// file cannot be written.
bool WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& file, QString* errorText = nullptr);

// Writes several keys of one section in one go, each as WriteIniString would:
// the file is replaced whole, with every key, or not at all.
bool WriteIniStrings(const QString& section, const QList<std::pair<QString, QString>>& values,
                     const QString& file, QString* errorText = nullptr);

} // namespace sokuri
