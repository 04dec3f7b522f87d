#include "toolkit/TFrameWindow.h"

#include "toolkit/TWinDialog.h"

#include <QCloseEvent>

TFrameWindow::TFrameWindow(TWinDialog* client, const QString& caption)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      ClientDialog(client) {
    setWindowTitle(caption);
    client->setParent(this);
    client->move(0, 0);
    setFixedSize(client->size());
}

void TFrameWindow::closeEvent(QCloseEvent* event) {
    const bool wasClosing = ClientDialog->IsClosing();
    ClientDialog->SetClosing(true);
    if (!ClientDialog->QueryClose()) {
        ClientDialog->SetClosing(wasClosing);
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
