#include "testengine/rootfiles.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace sokuri::test {

QString RootFilePath(const QString& root, const QString& requestPath)
{
    if (!requestPath.startsWith(u'/'))
        return {};
    const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(requestPath.toUtf8()));
    for (QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == u'\\')
            return {};
    }
    const QStringList segments = path.split(u'/');
    if (segments.contains(u".."_s))
        return {};

    const QString base = QFileInfo(root).canonicalFilePath();
    if (base.isEmpty())
        return {};
    const QString prefix = base.endsWith(u'/') ? base : base + u'/';
    QFileInfo file(prefix + path.mid(1));
    if (file.isDir())
        file = QFileInfo(file.filePath() + u"/index.html"_s);
    const QString target = file.canonicalFilePath();
    if (target.isEmpty() || !target.startsWith(prefix) || !QFileInfo(target).isFile())
        return {};
    return target;
}

} // namespace sokuri::test
