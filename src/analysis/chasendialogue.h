#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace sokuri {

class KeywordList;

// The client's side of one conversation with a ChaSen server, apart from the
// socket: takes the server's bytes as they arrive, in pieces of any size,
// assembles them into lines, decodes each from EUC-JP and dispatches it:
//   a line holding "200 Running ChaSen" (the greeting) is answered by
//   "RUN -c", the text in EUC-JP and a line end;
//   one holding "200 OK" is ignored;
//   one holding "EOS" is answered by "." and "QUIT", each time;
//   any other line goes to the keyword extraction.
// Lines end at LF or CR; empty lines are skipped; a line longer than
// MaxLineBytes is cut there, at a character boundary, and the rest of it is
// dropped.
class ChasenDialogue
{
public:
    static constexpr int MaxLineBytes = 32767;

    // Begins a conversation about text; analysis lines go to keywords
    // (nothing when null), which must outlive the conversation. Nothing of
    // an earlier conversation is carried over.
    void begin(const QString& text, KeywordList* keywords);

    // Takes bytes the server sent from the front of bytes, up to the end of
    // the first line that must be answered, or all of them, and drops what it
    // took from bytes. Returns the answer to send, empty when none is due. One
    // answer at a time, so the sender can see whether the server reads them.
    QByteArray take(QByteArrayView& bytes);
    // The answer to a greeting: "RUN -c" LF, the text in EUC-JP, LF.
    QByteArray request() const { return m_request; }
    // The answer to an "EOS" line.
    static QByteArrayView quit() { return ".\nQUIT\n"; }

private:
    QByteArray endLine();
    QByteArray dispatch(const QString& line);

    KeywordList* m_keywords = nullptr;
    QByteArray m_request;

    // The start of a line whose end has not arrived yet, never longer than
    // MaxLineBytes.
    QByteArray m_line;
    bool m_cutting = false;       // the line was cut; bytes until its end are dropped
    bool m_awaitingTrail = false; // the last byte kept opens an EUC-JP pair
};

} // namespace sokuri
