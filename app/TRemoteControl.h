// The control socket wired to the main dialog: a remote command presses the same control a key
// or a click presses, and the state is read from the dialog, its record and the driver.
#pragma once

#include "app/TControlSocket.h"

class TDialogKD;
class TScbDriver;
struct TProgramObjects;
struct TSettingsRecord;

constexpr const char* ControlSocketName = "kadrant.sock";

// The link's state as the remote shows it: "off" when no board or no port is chosen, "ok" while
// the driver's port is open and its device still there, "down" otherwise. The plain reason goes
// with it (empty while the state alone says it all).
struct TRemoteLineStatus {
    const char* Name;
    const char* Reason;
};
TRemoteLineStatus RemoteLineStatus(const TSettingsRecord& settings, const TScbDriver& driver);

class TRemoteControl : public TControlHandler {
public:
    TRemoteControl(TDialogKD& dialog, TProgramObjects& program);

    bool Listen() { return Socket.Listen(); }
    void Close() { Socket.Close(); }
    TControlSocket& Server() { return Socket; }

    std::string Execute(const TRemoteCommand& command) override;
    TRemoteState State() override;

private:
    TDialogKD& Dialog;
    TProgramObjects& Program;
    TControlSocket Socket;
};
