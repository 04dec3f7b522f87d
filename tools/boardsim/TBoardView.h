// What a live feed shows the board on: the windowed board or the full-screen one.
#pragma once

class QString;

class TBoardView {
public:
    virtual ~TBoardView() = default;
    // The board may have changed.
    virtual void Refresh() = 0;
    // A word about the line ("line closed"); a view that shows only the lines leaves it out.
    virtual void SetNote(const QString& note) = 0;
};
