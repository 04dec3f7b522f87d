// Collects every warning Qt (or our code through Qt's logging) writes while it is alive, so that a
// test can fail on any of them instead of letting them scroll past on standard error.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class TQtWarningCatcher {
public:
    TQtWarningCatcher() : Previous(qInstallMessageHandler(&TQtWarningCatcher::Handle)) {
        Current() = this;
    }
    ~TQtWarningCatcher() {
        qInstallMessageHandler(Previous);
        Current() = nullptr;
    }
    TQtWarningCatcher(const TQtWarningCatcher&) = delete;
    TQtWarningCatcher& operator=(const TQtWarningCatcher&) = delete;

    QStringList Warnings;

private:
    static TQtWarningCatcher*& Current() {
        static TQtWarningCatcher* current = nullptr;
        return current;
    }
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        TQtWarningCatcher* catcher = Current();
        if (catcher && type != QtDebugMsg && type != QtInfoMsg)
            catcher->Warnings.append(text);
        else if (catcher && catcher->Previous)
            catcher->Previous(type, context, text);
    }

    QtMessageHandler Previous;
};
