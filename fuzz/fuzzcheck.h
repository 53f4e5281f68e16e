#pragma once

#include <QByteArray>
#include <QByteArrayView>

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

} // namespace sokuri::fuzz
