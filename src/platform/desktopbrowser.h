#pragma once

#include "platform/externalbrowser.h"

namespace sokuri {

// The desktop's own browser, reached through QDesktopServices. The desktop
// keeps no named windows, so both targets open the address the same way. A
// failure names the address and says in Japanese that no browser answered.
class DesktopBrowser : public ExternalBrowser
{
public:
    bool open(const QString& url, const QString& target, Failure& failure) override;
};

} // namespace sokuri
