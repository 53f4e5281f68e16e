#pragma once

#include "common/appstate.h"
#include "common/usermessage.h"

#include <QString>

namespace sokuri {

// How the keywords of a passage are chosen: the section "keywords" of
// sokuri.ini. Absent keys give every morpheme of the keyword classes, one
// morpheme each, duplicates kept.
struct KeywordSettings
{
    bool compound = false; // "compound": 1 joins compound terms into one keyword
    int max = 0;           // "max": at most this many keywords, by importance; 0 no choice

    bool choosing() const { return compound || max > 0; }
    friend bool operator==(const KeywordSettings&, const KeywordSettings&) = default;
};

// How the morphological analyser is reached: the section "chasen" of
// sokuri.ini.
struct ChasenSettings
{
    enum : qint16 { Local = 0, Server = 1 };

    qint16 type = 0;  // 0 local command, 1 server, any other value: no analysis
    QString filename; // path of the local ChaSen program
    QString host;     // ChaSen server host
    QString port;     // ChaSen server port, as written

    friend bool operator==(const ChasenSettings&, const ChasenSettings&) = default;
};

// Reads the analyser settings from paths.IniPath into settings. When the file
// is missing, settings is left as it was and message holds the text
// IniPath + " がありません。" with the title "File not found"; the caller
// decides whether the program goes on.
bool LoadSettings(const AppPaths& paths, ChasenSettings& settings, UserMessage* message = nullptr);

// The section "keywords" of the file at iniPath: "compound" is on for the
// value 1, "max" is a count from 1 to 101 (anything else: no maximum).
KeywordSettings LoadKeywordSettings(const QString& iniPath);

// The "type" value: the integer part (rounded down) of a decimal number with
// optional blanks around it and an optional fraction; an empty text or one
// that is no number reads as 0, and values beyond 16 bits are clamped.
qint16 ParseSettingsType(const QString& text);

// A time-out in whole seconds: a decimal number of at most six digits with
// blanks around it; anything else (also a negative number) reads as 0, which
// means no time-out.
int ParseTimeoutSeconds(const QString& text);

// The default time-out of an engine's answer: the key "timeout" of the
// section "search" of sokuri.ini; 0 (no time-out) when the file or the key is
// missing.
int LoadSearchTimeout(const AppPaths& paths);

} // namespace sokuri
