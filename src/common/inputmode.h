#pragma once

#include <QtGlobal>

namespace sokuri {

// The two ways of giving a search, as the two mode buttons choose them; the
// numbers are the ones documents store.
enum class InputMode : qint16 {
    None = 0,     // neither button selected
    Sentence = 1, // analysed by ChaSen
    Keywords = 2, // split at blanks
};

} // namespace sokuri
