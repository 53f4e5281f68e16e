#pragma once

#include <QString>

namespace sokuri::test {

// The file under root that a request path names ("/a/b" is root/a/b, "/"
// and other folders their index.html), percent escapes decoded as UTF-8.
// Empty when the path does not start with "/", holds a ".." segment, a
// backslash or a control character, leads outside root through a link, or
// names no regular file: nothing outside root is ever served.
QString RootFilePath(const QString& root, const QString& requestPath);

} // namespace sokuri::test
