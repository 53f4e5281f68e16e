#pragma once

#include "searchplugins/jsonresultkeys.h"
#include "searchplugins/readablelength.h"

#include <QString>
#include <QStringList>

namespace sokuri {

// The elements of a feed entry that a plugin names instead of the usual
// ones ("[result] TitleElement", "TextElement", "LinkElement"): XML answers
// that are no RSS or Atom ("<question>" as the title of a library's
// reference answer). Empty: the feed's own elements.
struct FeedElementNames
{
    QString title;
    QString text;
    QString link;
    qsizetype textMaxLength = 0; // ContentMaxLength; 0: the text is not cut
};

// Everything one connection needs to ask one search engine: where to connect,
// what to send, how to decode the answer and which markers cut the result
// entries out of it. Filled by BuildRequest from the plugin file; every field
// is overwritten on each fill.
struct PluginSlot
{
    QString Name;
    QString Scheme = QStringLiteral("http"); // "http" or "https"
    QString Host;
    int Port = 0;
    QString Path;
    QString Method;
    QString Query;
    // The User-Agent line's value and the plugin's own extra header lines
    // ("Name: value"), sent after the Host line.
    QString UserAgent;
    QStringList Headers;
    QString ResultCharset; // lower-cased
    QString ListStart;
    QString ListEnd;
    QString ItemStart;
    QString ItemEnd;
    QString RelevanceStart;
    QString RelevanceEnd;
    QString BannerStart;
    QString BannerEnd;
    // The title anchor is the first anchor with text at or after this marker
    // in the entry; empty: the first anchor with text.
    QString TitleStart;
    // A query parameter of the title link whose decoded value is the entry's
    // real address (a search engine's redirect link); empty: none.
    QString LinkParam;
    // When the link parameter's value starts with this prefix, the rest of it
    // is the address in base64url (Bing's "u=a1..."); empty: none.
    QString LinkParamBase64Prefix;
    // Entries are RSS or Atom entries rather than HTML.
    bool Feed = false;
    FeedElementNames FeedElements;
    // The result section's "Relevance=position": entries without a figure of
    // their own get the figure of their position.
    bool RelevanceByPosition = false;
    // The result section's "Captcha": a text whose presence in an answer
    // without rows marks a bot challenge; empty: the well-known marks only.
    QString CaptchaMarker;
    // The answer is a JSON document, read whole at the close.
    JsonResultKeys Json;
    // The result section's "ContentMaxLength" for JSON answers: the text under
    // a title is cut to this many characters (and ends with "…").
    qsizetype JsonContentMaxLength = DefaultContentMaxLength;
    // Scheme, host, the port when the action names a non-default one, and "/".
    // A base address in the answer page may replace it.
    QString BaseUrl;
    // The user's own key as it stands in the request (the query field's
    // value, the header line's), so that no status shows it; and the header
    // line that holds it, which is not sent on to another host.
    QStringList UserKeyForms;
    QString UserKeyHeader;
    // Seconds the engine has for its whole answer (the search section's
    // "timeout"); 0: the run's default.
    int Timeout = 0;
};

} // namespace sokuri
