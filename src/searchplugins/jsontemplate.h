#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

namespace sokuri {

// A JSON result key that names one path ("title") or joins several paths
// with fixed text ("{nameOfMeeting} {date} {speaker}"). A value without
// braces is one plain path, read as it always was. In a template "{path}"
// stands for the text at that path and "{{" and "}}" for the braces
// themselves; every other character is fixed text.
//
// Fixed text goes with the parts it stands beside: the text before the
// first part is written only with that part, the text after the last part
// only with that part, and between two parts that are both there the text
// before the later one. So "{a} / {b}" reads "A" when b is missing and "B"
// when a is, and "{m}（{d}）" reads "M" without d.
class JsonTemplate
{
public:
    // The most parts one template may join.
    static constexpr int MaxParts = 16;

    // Reads value; false, with the reason in the user's words, when a brace
    // is not closed or not opened, a part is empty or nested, a path has an
    // empty step ("a//b"), or there are more than MaxParts parts. An empty
    // value is a template without parts, which always reads as empty.
    bool parse(QStringView value, QString& error);

    // The text of one result: each part's text from textAt(path), joined with
    // the fixed text between them.
    QString expand(const std::function<QString(QStringView path)>& textAt) const;

    bool isEmpty() const { return m_parts.isEmpty(); }

    // The paths of the parts, in order.
    QStringList paths() const;

private:
    struct Part
    {
        QString before; // the fixed text just before the path
        QString path;
    };
    QList<Part> m_parts;
    QString m_after; // the fixed text after the last part
};

} // namespace sokuri
