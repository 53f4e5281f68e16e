#pragma once

#include "common/appstate.h"

#include <QString>

namespace sokuri {

// How a search run asks its engines: the keys "connections" and "interval"
// of the section "search" of sokuri.ini, and whether the window merges the
// rows of one page ("merge"). An absent or unreadable key keeps the pacing
// of a settings file that predates these keys: three engines at a time, one
// second before each request, no merged view.
struct SearchSettings
{
    static constexpr int DefaultConnections = 3;
    static constexpr int MinConnections = 1;
    static constexpr int MaxConnections = 16;
    static constexpr int DefaultIntervalMs = 1000;
    static constexpr int MaxIntervalMs = 5000;

    int connections = DefaultConnections; // engines asked at the same time
    int intervalMs = DefaultIntervalMs;   // the wait before each request
    bool merge = false;                   // the window shows one row a page

    friend bool operator==(const SearchSettings&, const SearchSettings&) = default;
};

// Reads the section "search" of paths.IniPath. A number beyond its range is
// held at the nearest end of it; anything that is no whole number counts as
// absent.
SearchSettings LoadSearchSettings(const AppPaths& paths);

// Remembers the merge choice in sokuri.ini (written whole); false with the
// reason when the file cannot be written. A missing file is not made anew.
bool SaveMergeChoice(const AppPaths& paths, bool merge, QString* errorText = nullptr);

} // namespace sokuri
