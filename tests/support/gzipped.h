#pragma once

#include <QByteArray>

#include <gtest/gtest.h>
#include <zlib.h>

namespace sokuri::test {

// data compressed as a server sends it: windowBits 15 + 16 gzip, 15 zlib
// ("deflate"), -15 bare deflate data. Tests that use it link ZLIB::ZLIB.
inline QByteArray Compressed(const QByteArray& data, int windowBits = 15 + 16)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace sokuri::test
