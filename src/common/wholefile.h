#pragma once

#include <QByteArray>
#include <QString>

namespace sokuri {

// Writes bytes to path whole or not at all: they go to a temporary file
// beside it that replaces the file only when every byte is on disk, so a full
// disk or a broken write leaves the earlier file as it was. Returns false with
// the reason in errorText.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* errorText = nullptr);

} // namespace sokuri
