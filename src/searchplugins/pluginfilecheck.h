#pragma once

#include <QByteArray>
#include <QString>

namespace sokuri {

// A plugin file offered for installation, checked before anything is written.
struct PluginFileCheck
{
    QString name;      // init/name: the file is stored as <name>.ini
    QByteArray bytes;  // the file in Shift_JIS, ready to be stored
    QString errorText; // why the bytes are no plugin; empty when they are

    bool ok() const { return errorText.isEmpty(); }
};

// The largest plugin file that is installed.
constexpr qsizetype MaxPluginFileBytes = 64 * 1024;

// Checks bytes as a plugin file: at most MaxPluginFileBytes, text in
// Shift_JIS or UTF-8 (a byte order mark, or any valid UTF-8 sequence beyond
// ASCII, means UTF-8), an init/name that can stand in a file name, an
// init/url, and a search/action naming an http: or https: host. UTF-8 text is
// turned into Shift_JIS, the plugin format's own encoding; text that Shift_JIS
// cannot hold is refused.
PluginFileCheck CheckPluginFile(const QByteArray& bytes);

} // namespace sokuri
