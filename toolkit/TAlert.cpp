#include "toolkit/TAlert.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TAlertSink DefaultSink() {
    return TAlertSink{
        [] { QApplication::beep(); },
        [](QWidget* owner, const QString& text, const QString& caption) {
            QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
            box.exec();
        },
    };
}

} // namespace

TAlertSink& AlertSink() {
    static TAlertSink sink = DefaultSink();
    return sink;
}

TAlertSink SetAlertSink(TAlertSink sink) {
    TAlertSink previous = AlertSink();
    AlertSink() = sink.Beep && sink.Exclamation ? std::move(sink) : DefaultSink();
    return previous;
}

void AlertBeep() {
    AlertSink().Beep();
}

void AlertExclamation(QWidget* owner, const QString& text, const QString& caption) {
    AlertSink().Exclamation(owner, text, caption);
}
