#pragma once

#include <QString>

namespace sokuri {

// Where Debian installs the two analysers the command file speaks to.
inline constexpr char16_t ChasenProgramPath[] = u"/usr/bin/chasen";
inline constexpr char16_t MecabProgramPath[] = u"/usr/bin/mecab";

// The analyser a new settings file starts with: ChaSen where it is
// installed, else MeCab where it is, else ChaSen (whose absence the first
// analysis then reports).
QString DefaultAnalyserProgram();

// Gives a settings file that was made just now the default analyser, when
// it names the ChaSen path and ChaSen is not installed there. Returns false
// when the file cannot be written.
bool ChooseDefaultAnalyser(const QString& iniPath);

} // namespace sokuri
