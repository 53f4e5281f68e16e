#include "common/wholefile.h"

#include <QSaveFile>

namespace sokuri {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* errorText)
{
    QSaveFile file(path);
    // The bytes are flushed before the commit: Qt 6.4's commit() does not
    // notice a short write while it flushes its own buffer, and a cut-off
    // file would replace the earlier one.
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    if (!written)
        file.cancelWriting();
    if (!written || !file.commit()) {
        if (errorText)
            *errorText =
                path + u" に書き込めません。(" + (written ? file.errorString() : reason) + u")";
        return false;
    }
    return true;
}

} // namespace sokuri
