#include "app/controlsocket/TControlChannel.h"
#include "app/controlsocket/TControlSocket.h"

std::unique_ptr<TControlChannel> MakeControlChannel(TControlHandler& handler) {
    return std::make_unique<TControlSocket>(handler, ControlSocketName);
}
