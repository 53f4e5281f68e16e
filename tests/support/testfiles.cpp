#include "support/testfiles.h"

#include "encoding/codepage932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace sokuri::test {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out.append(char(v));
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void writeSjisFile(const QString& path, const QString& text)
{
    writeFile(path, cp932::encode(text));
}

QByteArray examplePluginBytes(const QString& name)
{
    return (QStringLiteral("[init]\r\nname=") + name + QStringLiteral("\r\nurl=https://") + name +
            QStringLiteral(".example/\r\nversion=2\r\n[search]\r\naction=https://") + name +
            QStringLiteral(".example/s\r\n"))
        .toLatin1();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

TempAppDir::TempAppDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

} // namespace sokuri::test
