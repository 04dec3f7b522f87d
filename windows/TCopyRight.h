// The about box, shown once as a splash: the product picture in a sunken frame, the name, the
// version line, the copyright line and the maker's web address; it closes itself after its
// display time.
#pragma once

#include "windows/TModalWindow.h"

#include <QString>

// The maker's web address shown under the texts, and the copyright line the program passes.
inline constexpr const char* MakerWebAddress = "www.kadrant-timing.example";
inline constexpr const char* CopyrightLine = "\xA9 2004 Kadrant Timing";

class TCopyRight : public TModalWindow {
public:
    static constexpr int GroupBoxTextsId = 101;
    static constexpr int GroupBoxAddressId = 102;
    static constexpr int WebAddressId = 103;

    // The five texts are borrowed, not copied: the caller keeps them alive for the box's life.
    // A null text counts as empty.
    TCopyRight(QWidget* owner, int width, int height, const char* name, const char* version,
               const char* date, const char* copyright, const char* extraLine, int pictureId,
               int displayTime);
    ~TCopyRight() override;

    // "Version: <version>  -  <date>", or "Version: <version>" when the date is empty.
    QString VersionLine() const;

protected:
    void SetupWindow() override;
    void PaintClient(QPainter& painter) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void CreateChildren(int pictureWidth, int pictureHeight);

    const char* Name;
    const char* Version;
    const char* Date;
    const char* Copyright;
    const char* ExtraLine;
    int PictureId;
    int DisplayTime;
    int DisplayTimer = 0;
};
