#include "app/sound/TQtSoundPlayer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

TQtSoundPlayer::TQtSoundPlayer(QObject* parent, TBeep beep)
    : QObject(parent), Beep(beep ? std::move(beep) : TBeep(&QApplication::beep)) {
    connect(&Effect, &QSoundEffect::statusChanged, this, &TQtSoundPlayer::OnStatusChanged);
}

void TQtSoundPlayer::Play(const char* path) {
    Effect.stop(); // a sound still playing is cut off
    const QFileInfo file(QFile::decodeName(path));
    if (!file.isFile() || !file.isReadable()) {
        Beep();
        return;
    }
    const QUrl source = QUrl::fromLocalFile(file.absoluteFilePath());
    if (Effect.source() != source || Effect.status() == QSoundEffect::Error) {
        // Setting the same source again does nothing: clear it first so a file that failed
        // before, or was replaced since, is loaded afresh.
        Effect.setSource(QUrl());
        Effect.setSource(source);
    }
    // Before loading completes this only marks the effect to play once it is ready.
    Effect.play();
}

void TQtSoundPlayer::OnStatusChanged() {
    if (Effect.status() == QSoundEffect::Error)
        Beep();
}
