// The toolkit's one way of telling the user something: the standard beep and a modal message
// box with an exclamation icon and an OK button. Tests swap in their own sink so nothing blocks.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct TAlertSink {
    std::function<void()> Beep;
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> Exclamation;
};

// The sink in use; the default beeps through Qt and runs a QMessageBox.
TAlertSink& AlertSink();
// Replaces the sink and returns the previous one.
TAlertSink SetAlertSink(TAlertSink sink);

void AlertBeep();
void AlertExclamation(QWidget* owner, const QString& text, const QString& caption);
