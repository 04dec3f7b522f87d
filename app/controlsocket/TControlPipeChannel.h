// The control channel on Windows: control/'s lines over the named pipe of the working directory
// (controlpipe/). The pipe serves on a thread of its own; each command is handed to the window's
// thread and its answer awaited there, within a bound, so that a window busy in a message box
// answers "error busy" rather than holding the client, and a closing window never waits on it.
// "watch" answers the state once: a client on the pipe asks for it again to follow it.
#pragma once

#include "app/controlsocket/TControlChannel.h"
#include "controlpipe/TControlPipe.h"

#include <QObject>
#include <memory>

class TControlPipeChannel : public TControlChannel {
public:
    // How long the pipe's thread waits for the window to answer one command.
    static constexpr int AnswerWaitMs = 5000;

    TControlPipeChannel(TControlHandler& handler, std::string pipeName);
    ~TControlPipeChannel() override;

    bool Listen() override { return Pipe.Listen(); }
    void Close() override;
    bool IsListening() const override { return Pipe.IsListening(); }

private:
    struct TExchange;
    std::string AnswerOnWindowThread(const TRemoteCommand& command);

    TControlHandler& Handler;
    QObject WindowThread; // queued calls to it run on the window's thread, or not at all once gone
    std::shared_ptr<TExchange> Exchange;
    TControlPipe Pipe;
};
