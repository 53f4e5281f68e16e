#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <utility>

namespace sokuri {

// Watches the start of an engine's answer for a redirect. The answer's bytes
// are held while its status line and header lines are still arriving; as
// soon as they show that the answer is no redirect (no "HTTP/" status line,
// a status other than 301, 302, 303, 307 or 308, or a header without a
// Location line) the held bytes go on to the line reader, so every other
// answer is read exactly as it came.
class ReplyHead
{
public:
    enum Verdict {
        Undecided, // more bytes are needed
        Lines,     // read the answer as lines, starting with takeHeld()
        Redirect,  // follow location()
    };

    // The most bytes a head is read in: a redirect whose head does not end
    // within them is read as lines.
    static constexpr qsizetype MaxHeadBytes = 64 * 1024;

    // Takes the next bytes of the answer; once the verdict is no longer
    // Undecided, it stays as it is and later bytes are not looked at.
    Verdict take(QByteArrayView bytes);
    // The answer ended: an undecided head is read as lines.
    Verdict finish();

    Verdict verdict() const { return m_verdict; }
    // The bytes held so far, handed over once (for Lines).
    QByteArray takeHeld() { return std::exchange(m_held, {}); }
    // The value of the Location line of a redirect, trimmed.
    QString location() const { return m_location; }

private:
    Verdict decide();

    QByteArray m_held;
    // Where the next unread line of the head starts, and whether the status
    // line was read; the head is read once, however it arrives.
    qsizetype m_lineStart = 0;
    qsizetype m_searched = 0;
    bool m_statusRead = false;
    Verdict m_verdict = Undecided;
    QString m_location;
};

} // namespace sokuri
