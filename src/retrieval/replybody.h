#pragma once

#include "retrieval/inflater.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace sokuri {

// Finds the body of an engine's answer behind its status line and header
// lines, and hands it on as the answer's reader needs it.
//
// Lines: every byte goes on to the line reader as it arrives, the head
// included; a body sent with "Content-Encoding: gzip" or "deflate" goes on
// decompressed, so an answer without that header passes byte for byte.
// Whole: the body alone (decompressed the same way) is kept for a reader
// that takes it whole at the close, up to MaxWholeBytes.
//
// An answer that does not start with an "HTTP/" status line, or whose head
// does not end within MaxHeadBytes, is all body.
class ReplyBody
{
public:
    enum Mode { Lines, Whole };

    static constexpr qsizetype MaxHeadBytes = 64 * 1024;
    // The most a whole body may hold: 8 MiB.
    static constexpr qsizetype MaxWholeBytes = qsizetype(8) << 20;

    explicit ReplyBody(Mode mode);

    // Takes the next bytes of the answer; in Lines mode sink gets what is to
    // be read as lines. False once the answer fails (a compression it cannot
    // undo, a bomb, a whole body beyond its bound): reason() says why.
    bool take(QByteArrayView bytes, const Inflater::Sink& sink);
    QString reason() const { return m_reason; }
    Mode mode() const { return m_mode; }

    // The body kept in Whole mode.
    const QByteArray& whole() const { return m_whole; }

private:
    enum Phase { StatusLine, Head, Body };

    bool takeBody(QByteArrayView bytes, const Inflater::Sink& sink);
    bool keep(QByteArrayView bytes);
    bool endOfHeadLine();
    bool fail(const QString& reason);

    Mode m_mode;
    Phase m_phase = StatusLine;
    QByteArray m_line;    // the head line being read
    qsizetype m_head = 0; // bytes of the head so far
    QByteArray m_contentEncoding;
    std::optional<Inflater> m_inflater;
    QByteArray m_whole;
    QString m_reason;
};

} // namespace sokuri
