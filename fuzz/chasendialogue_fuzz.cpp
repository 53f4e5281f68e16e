// The client's side of the ChaSen dialogue: arbitrary bytes from a server,
// arriving in arbitrary pieces, through the line assembly, the EUC-JP
// decoding, the dispatch of greetings, acknowledgements and "EOS" lines, and
// the keyword extraction of every other line.
//
// Input: a first line of two tab-separated fields, the rest the server's
// bytes.
//   the text to analyse (Shift_JIS, as typed text reaches the dialogue), the
//   piece sizes of the arrivals (decimal numbers separated by commas, used in
//   turn, 0 counting as 1; none: one arrival).

#include "analysis/chasendialogue.h"
#include "analysis/keywords.h"

#include "encoding/codepage932.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>

using namespace sokuri;
using sokuri::fuzz::Check;

namespace {

struct Input
{
    QString text;
    QList<qsizetype> pieces;
    QByteArray server;
};

Input parse(QByteArrayView bytes)
{
    Input input;
    const qsizetype headerEnd = bytes.indexOf('\n');
    const QByteArrayView header = headerEnd < 0 ? bytes : bytes.first(headerEnd);
    const qsizetype tab = header.indexOf('\t');
    input.text = cp932::decode(tab < 0 ? header : header.first(tab));
    if (tab >= 0)
        input.pieces = fuzz::PieceSizes(header.sliced(tab + 1));
    if (headerEnd >= 0)
        input.server = bytes.sliced(headerEnd + 1).toByteArray();
    return input;
}

// What the client said, one answer an entry, and what it found.
struct Conversation
{
    QList<QByteArray> answers;
    QStringList keywords;
};

// Feeds bytes to dialogue as the client does with one arrival.
void arrive(ChasenDialogue& dialogue, QByteArrayView bytes, Conversation& conversation)
{
    while (!bytes.isEmpty()) {
        const qsizetype before = bytes.size();
        const QByteArray answer = dialogue.take(bytes);
        Check(bytes.size() < before, "every call takes at least one byte");
        if (answer.isEmpty())
            continue;
        Check(answer == dialogue.request() || answer == ChasenDialogue::quit(),
              "an answer is the request or the quit");
        conversation.answers.append(answer);
    }
}

qsizetype lineEnds(QByteArrayView bytes)
{
    return std::count(bytes.begin(), bytes.end(), '\n') +
           std::count(bytes.begin(), bytes.end(), '\r');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input input = parse(fuzz::InputBytes(data, size));

    // The server's bytes in the pieces the input names.
    KeywordList keywords;
    ChasenDialogue dialogue;
    dialogue.begin(input.text, &keywords);
    Check(dialogue.request().startsWith("RUN -c\n") && dialogue.request().endsWith('\n'),
          "the request is RUN -c, the text and a line end");
    Conversation pieced;
    const QByteArrayView server = input.server;
    fuzz::InPieces(server, input.pieces,
                   [&](QByteArrayView piece) { arrive(dialogue, piece, pieced); });
    pieced.keywords = keywords.words();
    Check(keywords.count() <= KeywordList::Capacity, "the keywords stay within the list");
    Check(pieced.answers.size() <= lineEnds(server), "no line is answered twice");

    // Where the arrivals break the bytes makes no difference.
    KeywordList wholeKeywords;
    ChasenDialogue whole;
    whole.begin(input.text, &wholeKeywords);
    Conversation once;
    arrive(whole, server, once);
    once.keywords = wholeKeywords.words();
    Check(pieced.answers == once.answers, "the answers do not depend on the arrivals");
    Check(pieced.keywords == once.keywords, "the keywords do not depend on the arrivals");

    // A new conversation carries nothing over: the same bytes again give
    // the same answers and keywords.
    KeywordList againKeywords;
    dialogue.begin(input.text, &againKeywords);
    Conversation again;
    arrive(dialogue, server, again);
    again.keywords = againKeywords.words();
    Check(again.answers == once.answers && again.keywords == once.keywords,
          "a new conversation starts afresh");
    return 0;
}
