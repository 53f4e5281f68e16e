#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <algorithm>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzzers share: the input as Qt bytes, and checks of properties
// that must hold for every input. A broken property aborts, which libFuzzer
// records as a finding like any crash.
namespace sokuri::fuzz {

inline QByteArrayView InputBytes(const uint8_t* data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline void Check(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::fflush(stderr);
    std::abort();
}

// The leading decimal digits of digits as a number, at most most.
inline qsizetype Number(QByteArrayView digits, qsizetype most)
{
    qsizetype value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            break;
        value = std::min(most, value * 10 + (c - '0'));
    }
    return value;
}

// The piece sizes of arrivals named by field: decimal numbers separated by
// commas, at most 64 of them, each at most 1 MiB.
inline QList<qsizetype> PieceSizes(QByteArrayView field)
{
    QList<qsizetype> pieces;
    for (qsizetype begin = 0; begin < field.size() && pieces.size() < 64;) {
        qsizetype comma = field.indexOf(',', begin);
        if (comma < 0)
            comma = field.size();
        pieces.append(Number(field.sliced(begin, comma - begin).trimmed(), 1 << 20));
        begin = comma + 1;
    }
    return pieces;
}

// Hands bytes to arrive in the pieces whose sizes are used in turn (0
// counting as 1); no sizes give one arrival.
template <typename Arrive>
void InPieces(QByteArrayView bytes, const QList<qsizetype>& pieces, Arrive arrive)
{
    qsizetype at = 0;
    for (qsizetype n = 0; at < bytes.size(); ++n) {
        const qsizetype wanted = pieces.isEmpty() ? bytes.size() : pieces[n % pieces.size()];
        const qsizetype piece = std::clamp<qsizetype>(wanted, 1, bytes.size() - at);
        arrive(bytes.sliced(at, piece));
        at += piece;
    }
}

} // namespace sokuri::fuzz
