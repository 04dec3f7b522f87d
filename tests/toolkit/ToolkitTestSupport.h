// Shared pieces of the toolkit tests: a dialog that records its notifications, templates built
// in code, recording control subclasses, and a sink that catches the range messages.
#pragma once

#include "toolkit/TAlert.h"
#include "toolkit/TDialogTemplate.h"
#include "toolkit/TWinDialog.h"

#include <QApplication>
#include <QTest>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct TRecordedNotify {
    TNotify Kind;
    int Id;
    int UpdatingSeen;
};

// A dialog whose event table records every notification with the Updating flag it found, and
// which stores its controls on text changes as the program's main dialog does.
class TRecordingDialog : public TWinDialog {
public:
    TRecordingDialog(const TDialogTemplate& tpl) : TWinDialog(nullptr, tpl) {}

    std::vector<TRecordedNotify> Notes;
    std::vector<int> UpdatingAtControlsUpdated;
    bool StoreOnTextChange = false;

    void ControlsUpdated() override { UpdatingAtControlsUpdated.push_back(Updating); }
    using TWinDialog::StartUp;

    int Count(TNotify kind, int id) const {
        int n = 0;
        for (const auto& note : Notes)
            n += note.Kind == kind && note.Id == id;
        return n;
    }

protected:
    bool Dispatch(TNotify kind, int id) override {
        return Events.Dispatch(*this, kind, id) || TWinDialog::Dispatch(kind, id);
    }

private:
    void RecordClick(int id) { Notes.push_back({TNotify::Clicked, id, Updating}); }
    void RecordSelection(int id) { Notes.push_back({TNotify::SelectionChanged, id, Updating}); }
    void RecordText(int id) {
        Notes.push_back({TNotify::TextChanged, id, Updating});
        if (StoreOnTextChange && !Updating)
            TransferFromControls();
    }
    void RecordTimer(int id) { Notes.push_back({TNotify::Timer, id, Updating}); }

    static const TEventTable<TRecordingDialog> Events;
};

inline const TEventTable<TRecordingDialog> TRecordingDialog::Events{
    {TNotify::Clicked, 50, &TRecordingDialog::RecordClick},
    {TNotify::Clicked, 60, &TRecordingDialog::RecordClick},
    {TNotify::Clicked, 103, &TRecordingDialog::RecordClick},
    {TNotify::Clicked, 104, &TRecordingDialog::RecordClick},
    {TNotify::SelectionChanged, AnyId, &TRecordingDialog::RecordSelection},
    {TNotify::TextChanged, AnyId, &TRecordingDialog::RecordText},
    {TNotify::Timer, AnyId, &TRecordingDialog::RecordTimer},
};

inline TDialogTemplate MakeTemplate(std::vector<TDialogItem> items) {
    TDialogTemplate tpl;
    tpl.Width = 220;
    tpl.Height = 150;
    tpl.Items = std::move(items);
    return tpl;
}

// Shows the dialog and waits until it is the active window, so that focus moves as a user's would.
inline bool ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Records ShowValue, StoreValue and destruction of any bound control class.
template <class Base> class TRecording : public Base {
public:
    template <class... Args>
    TRecording(std::string name, std::vector<std::string>* log, Args&&... args)
        : Base(std::forward<Args>(args)...), Name(std::move(name)), Log(log) {}
    ~TRecording() override { ++Deaths()[Name]; }

    void ShowValue() override {
        Log->push_back("show " + Name);
        Base::ShowValue();
    }
    void StoreValue() override {
        Log->push_back("store " + Name);
        Base::StoreValue();
    }

    static std::map<std::string, int>& Deaths() {
        static std::map<std::string, int> deaths;
        return deaths;
    }

private:
    std::string Name;
    std::vector<std::string>* Log;
};

// Catches beeps and message boxes for the life of the test.
class TAlertCatcher {
public:
    TAlertCatcher() {
        Previous = SetAlertSink(
            TAlertSink{[this] { ++Beeps; },
                       [this](QWidget* owner, const QString& text, const QString& caption) {
                           Messages.push_back({owner, text, caption});
                           FocusDuringMessage.push_back(QApplication::focusWidget());
                       }});
    }
    ~TAlertCatcher() { SetAlertSink(Previous); }

    struct TMessage {
        QWidget* Owner;
        QString Text;
        QString Caption;
    };
    int Beeps = 0;
    std::vector<TMessage> Messages;
    std::vector<QWidget*> FocusDuringMessage;

private:
    TAlertSink Previous;
};
