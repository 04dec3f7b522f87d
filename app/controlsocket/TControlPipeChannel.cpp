#include "app/controlsocket/TControlPipeChannel.h"

#include "control/RemoteReply.h"
#include "controlpipe/ControlPipeName.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

// What the pipe's thread and the window's thread share: one command's answer at a time, and
// whether the channel is closing (then nobody waits any more).
struct TControlPipeChannel::TExchange {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::optional<std::string> Answer;
    unsigned Asked = 0;
    bool Closing = false;
};

TControlPipeChannel::TControlPipeChannel(TControlHandler& handler, std::string pipeName)
    : Handler(handler), Exchange(std::make_shared<TExchange>()),
      Pipe(std::move(pipeName),
           [this](const TRemoteCommand& command) { return AnswerOnWindowThread(command); }) {}

TControlPipeChannel::~TControlPipeChannel() {
    Close();
}

void TControlPipeChannel::Close() {
    {
        std::lock_guard lock(Exchange->Mutex);
        Exchange->Closing = true;
    }
    Exchange->Changed.notify_all();
    Pipe.Close();
    std::lock_guard lock(Exchange->Mutex);
    Exchange->Closing = false; // a later Listen serves again
}

std::string TControlPipeChannel::AnswerOnWindowThread(const TRemoteCommand& command) {
    if (!command.Valid)
        return ErrorReply(command.Error);
    std::shared_ptr<TExchange> exchange = Exchange;
    unsigned asked = 0;
    {
        std::lock_guard lock(exchange->Mutex);
        exchange->Answer.reset();
        asked = ++exchange->Asked;
    }
    QMetaObject::invokeMethod(
        &WindowThread,
        [this, exchange, command, asked] {
            {
                // Given up on by the pipe's thread: the client was told "busy", so nothing runs.
                std::lock_guard lock(exchange->Mutex);
                if (exchange->Asked != asked)
                    return;
            }
            const bool stateOnly =
                command.Verb == TRemoteVerb::State || command.Verb == TRemoteVerb::Watch;
            std::string answer =
                stateOnly ? RemoteStateJson(Handler.State()) : Handler.Execute(command);
            std::lock_guard lock(exchange->Mutex);
            if (exchange->Asked == asked) // not an answer given up on
                exchange->Answer = std::move(answer);
            exchange->Changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(exchange->Mutex);
    exchange->Changed.wait_for(lock, std::chrono::milliseconds(AnswerWaitMs),
                               [&] { return exchange->Answer.has_value() || exchange->Closing; });
    if (!exchange->Answer) {
        ++exchange->Asked;
        return ErrorReply("busy");
    }
    return *exchange->Answer;
}

std::unique_ptr<TControlChannel> MakeControlChannel(TControlHandler& handler) {
    // Named from the directory's UTF-8 spelling, as the bridge names the pipe it looks for.
    std::error_code error;
    const std::u8string here = std::filesystem::current_path(error).u8string();
    return std::make_unique<TControlPipeChannel>(
        handler, controlpipe::PipeNameFor(std::string(here.begin(), here.end())));
}
