#pragma once

#include "retrieval/anchortags.h"
#include "searchplugins/pluginslot.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <array>
#include <string_view>

namespace sokuri {

// The first "http://" or "https://" in text, or -1, and the length of that
// prefix; with anyCase, the prefixes in any letter case.
qsizetype findWebAddress(QStringView text, qsizetype& prefixLength, bool anyCase);

// The ASCII characters that end the host of an address (see endsHost).
inline constexpr auto HostEnds = [] {
    std::array<bool, 128> table{};
    for (const char16_t e : std::u16string_view(u"/:\"'<>?#\\ \t\r\n"))
        table[e] = true;
    return table;
}();

// A character that ends the host of an address: its path, port, query or
// fragment, the end of the attribute value or of the tag. Looked up for
// every character of a host: one table of the ASCII characters.
inline bool endsHost(QChar c)
{
    return c.unicode() < 128 && HostEnds[c.unicode()];
}

// The site of the title link: the host of its first "http://" or "https://"
// address with its labels reversed ("aa.bb.cc" gives "cc.bb.aa"), or the host
// unchanged when its first label is a number (a numeric address). Empty
// without such an address.
QString siteOf(QStringView anchor);

// The same for the anchor that spans text from `from` to end, by the marks
// of text.
QString siteOf(QStringView text, const EntryMarks& marks, qsizetype from, qsizetype end);

// The real address that a redirect link carries in its query parameter
// param ("//r.example/l/?u=https%3A%2F%2Fx.jp%2F&amp;t=1" with "u" gives
// "https://x.jp/"): the parameter's value, percent-decoded as UTF-8, when it
// is an "http:" or "https:" address; otherwise empty. With base64Prefix, a
// value that starts with it carries the address in base64url after it.
QString unwrappedAddress(QStringView link, QStringView param, QStringView base64Prefix = {});

// Makes the links and image sources of an entry absolute against
// slot.BaseUrl and points every anchor at the window "_sokuri"; tags are the
// entry's anchor tags, marks its marks. With a link parameter, links that
// carry a real address in it are replaced by that address. Returns the
// rewritten text; when nothing changes, the entry itself (whole, when the
// caller holds it as a string, is shared).
QString rewrittenEntry(QStringView text, const AnchorTags& tags, const EntryMarks& marks,
                       const PluginSlot& slot, const QString* whole);

} // namespace sokuri
