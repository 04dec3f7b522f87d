// Dialog units to pixels. The base units come from the dialog font: the average width of the 52
// letters A-Z a-z and the font's height; 4 horizontal and 8 vertical units make one base unit.
#pragma once

#include <QFont>
#include <QRect>

// The dialog font: the face at pointSize points on the 96 DPI screen the layouts were drawn for.
QFont MakeDialogFont(const char* face, int pointSize);

struct TDialogUnits {
    int BaseX = 6;  // pixels per 4 horizontal units
    int BaseY = 14; // pixels per 8 vertical units

    // The base units the font gives, measured as the platform measures them.
    static TDialogUnits Measure(const QFont& font);
    // The base units for a template's font. Arial 8 pt must give 6 and 14, or the layouts that
    // mix pixels and units (the digital display inside its panel) break; if this machine's
    // fonts measure otherwise, those figures are used all the same.
    static TDialogUnits ForFont(const char* face, int pointSize);

    int X(int units) const;
    int Y(int units) const;
    // Both edges are converted, as the platform converts a rectangle.
    QRect Rect(int x, int y, int width, int height) const;
};
