// A top-level window whose client is a dialog: sized to fit it, not resizable, no maximize box.
// Closing asks the client's QueryClose first.
#pragma once

#include <QWidget>

class TWinDialog;

class TFrameWindow : public QWidget {
    Q_OBJECT

public:
    // Takes ownership of the client.
    TFrameWindow(TWinDialog* client, const QString& caption);

    TWinDialog* Client() const { return ClientDialog; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TWinDialog* ClientDialog;
};
