#include "common/splitfields.h"

namespace sokuri {

QString TrimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

namespace {

// Calls onField(field) for every field in order; stops early when onField returns
// false. An empty separator never matches, so the whole text is one field.
template <typename OnField>
void forEachField(QStringView text, QStringView separator, OnField onField)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype pos = separator.isEmpty() ? -1 : text.indexOf(separator, start);
        if (pos < 0) {
            onField(text.sliced(start));
            return;
        }
        if (!onField(text.sliced(start, pos - start)))
            return;
        // One character past the start of the separator, whatever its length.
        start = pos + 1;
    }
}

} // namespace

QStringList SplitFields(QStringView text, QStringView separator)
{
    QStringList fields;
    forEachField(text, separator, [&](QStringView field) {
        fields.append(TrimSpaces(field));
        return true;
    });
    return fields;
}

int SplitFields(QStringView text, QStringView separator, std::span<QString> fields)
{
    int stored = 0;
    forEachField(text, separator, [&](QStringView field) {
        if (std::size_t(stored) >= fields.size())
            return false;
        fields[std::size_t(stored++)] = TrimSpaces(field);
        return true;
    });
    return stored;
}

} // namespace sokuri
