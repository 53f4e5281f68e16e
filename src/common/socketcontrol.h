#pragma once

#include <QAbstractSocket>

namespace sokuri {

// The state numbers of a socket control, as the search run and the ChaSen
// analysis read them: 0 closed, 9 an error, anything else busy.
namespace socketcontrol {

enum State : int {
    Closed = 0,
    Resolving = 4,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
    Error = 9,
};

// The number of a live socket's state; unconnected is the number of a socket
// that has closed but whose owner has not yet noticed.
int StateOf(QAbstractSocket::SocketState state, int unconnected);

} // namespace socketcontrol

} // namespace sokuri
