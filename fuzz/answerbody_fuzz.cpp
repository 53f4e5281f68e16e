// The body of an engine's answer behind its head: the search for the end of
// the head and its Content-Encoding, decompression (gzip, zlib, bare
// deflate), the JSON reader with paths taken from the input, and the base64
// unwrapping of redirect links.
//
// Input: a first line of tab-separated fields, the rest the answer's bytes.
//   mode ("json" keeps the body whole, else lines), the piece sizes of the
//   arrivals (as in the reply reader's fuzzer), ResultsQuery, TitleQuery,
//   UrlQuery, AltUrlQuery, UrlPrefix, and the base64 prefix of LinkParam.

#include "retrieval/base64link.h"
#include "retrieval/inflater.h"
#include "retrieval/jsonentries.h"
#include "retrieval/replybody.h"

#include "fuzzcheck.h"

#include <QByteArray>
#include <QList>
#include <QString>

using namespace sokuri;
using sokuri::fuzz::Check;

namespace {

enum Field { Mode, Pieces, Results, Title, Url, AltUrl, UrlPrefix, Base64Prefix, FieldCount };

bool isWebAddress(const QString& address)
{
    return address.startsWith(u"http://", Qt::CaseInsensitive) ||
           address.startsWith(u"https://", Qt::CaseInsensitive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzz::InputBytes(data, size);
    const qsizetype headerEnd = bytes.indexOf('\n');
    const QByteArrayView header = headerEnd < 0 ? bytes : bytes.first(headerEnd);
    const QByteArrayView answer = headerEnd < 0 ? QByteArrayView() : bytes.sliced(headerEnd + 1);
    QList<QByteArrayView> fields;
    for (qsizetype begin = 0; fields.size() < FieldCount;) {
        const qsizetype tab = header.indexOf('\t', begin);
        fields.append(header.sliced(begin, (tab < 0 ? header.size() : tab) - begin));
        if (tab < 0)
            break;
        begin = tab + 1;
    }
    fields.resize(FieldCount);
    const auto text = [&fields](Field f) {
        return QString::fromUtf8(fields[f]);
    };
    const bool json = fields[Mode] == "json";

    // The answer in pieces; the lines handed on hold at most the answer's
    // head and its body, decompressed within the bound.
    ReplyBody body(json ? ReplyBody::Whole : ReplyBody::Lines);
    QByteArray lines;
    bool failed = false;
    fuzz::InPieces(answer, fuzz::PieceSizes(fields[Pieces]), [&](QByteArrayView piece) {
        if (!failed && !body.take(piece, [&lines](QByteArrayView out) { lines.append(out); }))
            failed = true;
    });
    Check(!failed || !body.reason().isEmpty(), "a failed answer says why");
    Check(body.whole().size() <= ReplyBody::MaxWholeBytes, "a whole body stays within its bound");
    Check(lines.size() <= answer.size() + Inflater::MaxInflatedBytes,
          "decompressed lines stay within their bound");
    if (!json && !failed && !answer.toByteArray().toLower().contains("encoding"))
        Check(lines == answer, "an answer without Content-Encoding passes byte for byte");

    // The answer as a compressed stream of either kind.
    for (const Inflater::Method method : {Inflater::Gzip, Inflater::Deflate}) {
        Inflater inflater(method);
        qsizetype out = 0;
        const bool ok =
            inflater.take(answer, [&out](QByteArrayView piece) { out += piece.size(); });
        Check(out == inflater.inflatedBytes() && out <= Inflater::MaxInflatedBytes,
              "decompression stays within its bound");
        Check(ok || !inflater.reason().isEmpty(), "a broken stream says why");
    }

    // The answer as JSON.
    JsonResultKeys keys;
    keys.enabled = true;
    keys.results = text(Results);
    keys.title = text(Title);
    keys.url = text(Url);
    keys.altUrl = text(AltUrl);
    keys.urlPrefix = text(UrlPrefix);
    keys.content = QStringLiteral("snippet");
    QList<FeedEntry> entries;
    QString reason;
    const QByteArrayView document = json ? QByteArrayView(body.whole()) : answer;
    if (ReadJsonEntries(document, u"utf-8", keys, u"http://fuzz.example/", entries, reason)) {
        for (const FeedEntry& entry : entries) {
            Check(!entry.title.isEmpty(), "a result without a title is skipped");
            Check(entry.address.isEmpty() || isWebAddress(entry.address),
                  "a result's address is a web address or none");
            Check(entry.text.size() <= MaxJsonTextLength + 1, "a result's text is cut");
        }
    } else {
        Check(!reason.isEmpty(), "a JSON answer that fails says why");
    }

    // The answer as a redirect link's parameter value.
    const QString address = Base64LinkAddress(
        QString::fromLatin1(answer.first(std::min<qsizetype>(answer.size(), 4096))),
        text(Base64Prefix));
    Check(address.isEmpty() || isWebAddress(address), "an unwrapped link is a web address");
    return 0;
}
