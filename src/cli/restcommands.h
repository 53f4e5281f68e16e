#pragma once

#include "cli/clicontext.h"
#include "retrieval/enginerest.h"

namespace sokuri::cli {

// The fields that a resting engine's line of "plugins" has after name, url
// and version: TAB "一時停止中" TAB the cause TAB the time it may be asked
// again (ISO 8601, UTC).
QString RestFields(const EngineRest& rest);

// plugin resume NAME | plugin resume --all: ends the rests; the names of the
// engines that were resting, one a line.
int ResumeCommand(const CliContext& context);

} // namespace sokuri::cli
