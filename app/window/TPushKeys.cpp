#include "app/window/TPushKeys.h"

#include "app/window/TDialogKD.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStringList>

int PushKeyControl(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's Page Up and Page Down carry the keypad flag; that is still the bare key.
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
        return 0;
    for (const TPushKey& entry : PushKeyMap)
        if (entry.Key == key)
            return entry.Control;
    return 0;
}

QString PushKeyTip(int control) {
    QStringList names;
    for (const TPushKey& entry : PushKeyMap)
        if (entry.Control == control)
            names << QString::fromLatin1(entry.Name);
    return names.join(QStringLiteral(", "));
}

TPushKeys::TPushKeys(TDialogKD& dialog) : QObject(&dialog), Dialog(dialog) {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool TPushKeys::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        break;
    case QEvent::KeyRelease: {
        // Wherever the release lands (a message box may have opened meanwhile), the key is up.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            Held.erase(key->key());
            ReleaseTime[key->key()] = key->timestamp();
        }
        return false;
    }
    case QEvent::ApplicationDeactivate:
        Held.clear(); // releases typed into another program never come here
        return false;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys typed in another window (a message box, the file chooser) are that window's.
    if (widget == nullptr || widget->window() != Dialog.window())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int control = PushKeyControl(key->key(), key->modifiers());
    if (control == 0)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed here so that no shortcut of a control takes it first.
        event->accept();
        return true;
    }
    const auto released = ReleaseTime.find(key->key());
    const bool pairedWithRelease = key->timestamp() != 0 && released != ReleaseTime.end() &&
                                   released->second == key->timestamp();
    if (!key->isAutoRepeat() && !pairedWithRelease && Held.insert(key->key()).second)
        Dialog.Press(control);
    return true;
}
