#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace sokuri::demo {

// One document of the demo site: its number, its path on the site
// ("/doc/12"), its title and its body of a few sentences.
struct DemoDocument
{
    int id = 0;
    QString path;
    QString title;
    QString body;
};

// Reads the corpus file: UTF-8 text, a header line, then one document a line
// as id TAB path TAB title TAB body. Returns false with a reason naming the
// line when the file is not one: a missing field, an id that is no positive
// number, a path that is not /doc/ID, a repeated id, an empty title or body,
// or bytes that are not UTF-8.
bool ParseCorpus(QByteArrayView data, QList<DemoDocument>& documents, QString& error);

} // namespace sokuri::demo
