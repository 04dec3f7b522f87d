// Kadrant's end of its control channel, whatever carries it: a Unix-domain socket in the working
// directory on Linux (TControlSocket), a named pipe named after it on Windows. Commands and the
// state reach the program through TControlHandler, always on the window's thread.
#pragma once

#include "control/RemoteCommand.h"
#include "control/RemoteState.h"

#include <memory>
#include <string>

// What the channel needs of the program.
class TControlHandler {
public:
    virtual ~TControlHandler() = default;
    // Runs start, stop, reset, plus, minus or function; the answer line without its LF.
    virtual std::string Execute(const TRemoteCommand& command) = 0;
    virtual TRemoteState State() = 0;
};

class TControlChannel {
public:
    virtual ~TControlChannel() = default;
    // Starts serving; false (one line on stderr) while another Kadrant holds the channel here:
    // it is then tried again once a second, so that this program takes it when the other ends.
    virtual bool Listen() = 0;
    // Stops serving and lets the channel go.
    virtual void Close() = 0;
    virtual bool IsListening() const = 0;
};

// The platform's channel for the current directory.
std::unique_ptr<TControlChannel> MakeControlChannel(TControlHandler& handler);
