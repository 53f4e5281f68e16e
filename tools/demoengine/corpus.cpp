#include "demoengine/corpus.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace sokuri::demo {

bool ParseCorpus(QByteArrayView data, QList<DemoDocument>& documents, QString& error)
{
    documents.clear();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    if (utf8.hasError()) {
        error = u"the corpus is not UTF-8 text"_s;
        return false;
    }
    const QStringList lines = text.split(u'\n');
    QSet<int> ids;
    QList<DemoDocument> parsed;
    // Line 1 is the header; a final line break leaves one empty line.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() && i == lines.size() - 1)
            break;
        const QString where = u"line %1: "_s.arg(i + 1);
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() != 4) {
            error = where + u"wants 4 tab-separated fields, has %1"_s.arg(fields.size());
            return false;
        }
        bool ok = false;
        DemoDocument document;
        document.id = fields[0].toInt(&ok);
        if (!ok || document.id <= 0) {
            error = where + u"the id is no positive number"_s;
            return false;
        }
        if (ids.contains(document.id)) {
            error = where + u"the id %1 is used twice"_s.arg(document.id);
            return false;
        }
        ids.insert(document.id);
        document.path = fields[1].toString();
        if (document.path != u"/doc/"_s + QString::number(document.id)) {
            error = where + u"the path must be /doc/%1"_s.arg(document.id);
            return false;
        }
        document.title = fields[2].trimmed().toString();
        document.body = fields[3].trimmed().toString();
        if (document.title.isEmpty() || document.body.isEmpty()) {
            error = where + u"the title and the body must not be empty"_s;
            return false;
        }
        parsed.append(document);
    }
    if (parsed.isEmpty()) {
        error = u"the corpus holds no documents"_s;
        return false;
    }
    documents = std::move(parsed);
    return true;
}

} // namespace sokuri::demo
