// The control socket wired to the main dialog: a remote command presses the same control a key
// or a click presses, and the state is read from the dialog, its record and the driver.
#pragma once

#include "app/controlsocket/TControlChannel.h"

#include <memory>

class TDialogKD;
class TScbDriver;
struct TProgramObjects;
struct TSettingsRecord;

class TSocketCommands : public TControlHandler {
public:
    TSocketCommands(TDialogKD& dialog, TProgramObjects& program);

    bool Listen() { return Socket->Listen(); }
    void Close() { Socket->Close(); }
    TControlChannel& Server() { return *Socket; }

    std::string Execute(const TRemoteCommand& command) override;
    TRemoteState State() override;

private:
    TDialogKD& Dialog;
    TProgramObjects& Program;
    std::unique_ptr<TControlChannel> Socket;
};
