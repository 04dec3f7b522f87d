// The board on a TV or projector: a borderless full-screen window, black, showing the first line
// (or all nine) in large amber dot-matrix characters and nothing else. It repaints only the
// characters that changed, follows its screen when one is unplugged or plugged back or changes
// resolution, and closes on Escape or Ctrl+Q.
#pragma once

#include "tools/boardsim/TBoardLines.h"
#include "tools/boardsim/TBoardView.h"
#include "tools/boardsim/TTvLayout.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

class QScreen;

class TTvBoardWindow : public QWidget, public TBoardView {
    Q_OBJECT
public:
    // `screenNumber` 1-based; 0 means the second screen if there is one, else the first.
    TTvBoardWindow(const TBoardLines& board, int lineCount, int screenNumber);

    // Goes full screen on the chosen screen.
    void Start();
    // The board may have changed: repaints the characters on show that did.
    void Refresh() override;
    // The TV only ever shows the lines: no note of a closed line or a malformed message.
    void SetNote(const QString&) override {}

    int PaintCount() const { return Paints; }
    const TTvLayout& Layout() const { return Current; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Place();
    void PlaceSoon();
    QRect CellRect(int line, int column) const;
    const QPixmap& GlyphImage(char c);

    const TBoardLines& Board;
    int LineCount;
    int WantedScreen;
    std::string WantedScreenName;
    QPointer<QScreen> OnScreen;
    TTvLayout Current;
    int Pad = 0; // room round a glyph for the glow of its dots
    std::array<std::string, TBoardLines::LineCount> Shown;
    QHash<char, QPixmap> Glyphs; // drawn once per layout
    int Paints = 0;
};
