#include "common/socketcontrol.h"

namespace sokuri::socketcontrol {

int StateOf(QAbstractSocket::SocketState state, int unconnected)
{
    switch (state) {
    case QAbstractSocket::HostLookupState:
        return Resolving;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
    case QAbstractSocket::BoundState:
        return Connected;
    case QAbstractSocket::ClosingState:
        return Closing;
    default:
        return unconnected;
    }
}

} // namespace sokuri::socketcontrol
