#pragma once

#include "common/settings.h"

#include <QString>
#include <QStringList>

namespace sokuri {

// What a bug report needs to know of this installation, one "name version"
// line each: Sokuri, Qt (built with and running), ICU, libxml2, OpenSSL,
// zlib and the operating system.
QStringList SystemVersionLines();

// The analyser the settings choose, in words: the local program's path or
// the server's host and port.
QString AnalyserDescription(const ChasenSettings& settings);

// The option that makes the local analyser program print its version
// ("-v" for MeCab, "-V" for ChaSen); empty for a server.
QString AnalyserVersionOption(const ChasenSettings& settings);

} // namespace sokuri
