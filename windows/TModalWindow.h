// Base of the program's pop-up windows: no child style, a double dialog border drawn around the
// client area, placed centred on the screen on request, one shared small font for its controls,
// and a task-modal run that ends with a close result.
#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>

class QEventLoop;

class TModalWindow : public QWidget {
public:
    static constexpr int ResultOk = 1;
    static constexpr int ResultCancel = 2;
    // Width of the double dialog border; the client area starts this far inside the window.
    static constexpr int FrameWidth = 3;

    // x and y both -1 centre the window on the screen. Width and height are the outer size.
    TModalWindow(QWidget* owner, const char* caption, int x, int y, int width, int height);
    ~TModalWindow() override;

    // Shows the window, runs its set-up step and a task-modal loop; returns the close result
    // (0 if it is already running).
    int Execute();
    // Ends the modal loop with the result and takes the window down; it never refuses.
    void Close(int result);
    void CmOk() { Close(ResultOk); }
    void CmCancel() { Close(ResultCancel); }

    const QFont& SharedFont() const { return Font; }
    bool IsRunning() const { return Loop != nullptr; }

protected:
    // Runs once the window is shown: hands the shared font to the window and its children.
    virtual void SetupWindow();
    // Paints the client area; the painter's origin is the client's top-left corner.
    virtual void PaintClient(QPainter& painter);
    // Client coordinates to window coordinates.
    QRect ClientToWindow(int x, int y, int width, int height) const;

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DisableOtherWindows();
    void EnableOtherWindows();

    QPointer<QWidget> Owner;
    QFont Font;
    QEventLoop* Loop = nullptr;
    int Result = 0;
    QList<QPointer<QWidget>> DisabledWindows;
};
