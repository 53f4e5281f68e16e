#pragma once

#include <QString>

namespace sokuri {

// The desktop's web browser, where plugin home pages and result links open.
class ExternalBrowser
{
public:
    struct Failure
    {
        int number = 0;      // the failure's number
        QString source;      // what failed
        QString description; // why
    };

    virtual ~ExternalBrowser() = default;
    // Opens url; target is "_top" (reuse the browser's window) or "_blank"
    // (a new one), as far as the desktop's browser tells them apart. Returns
    // false and fills failure when the browser could not be reached.
    virtual bool open(const QString& url, const QString& target, Failure& failure) = 0;
};

} // namespace sokuri
