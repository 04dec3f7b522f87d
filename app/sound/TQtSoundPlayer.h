// The count-down's sound through Qt Multimedia. Loading and playing happen on Qt's side; Play
// only hands over the file and returns.
#pragma once

#include "app/timing/TSoundPlayer.h"

#include <QObject>
#include <QSoundEffect>

#include <functional>

class TQtSoundPlayer : public QObject, public TSoundPlayer {
    Q_OBJECT

public:
    using TBeep = std::function<void()>;

    // beep sounds the platform's default sound; by default QApplication::beep.
    explicit TQtSoundPlayer(QObject* parent = nullptr, TBeep beep = {});

    // path is in the local file-name encoding. A missing or unreadable file, or one the sound
    // system cannot decode, sounds the default sound instead.
    void Play(const char* path) override;

private:
    void OnStatusChanged();

    QSoundEffect Effect;
    TBeep Beep;
};
