// The numeric ids of Kadrant's pictures and of its window icon: the dialogs, their templates and
// the resources name them from here.
#pragma once

namespace picture {

constexpr int DigitStrip = 115; // the digital display's eleven cells, 0 to 9 then blank
constexpr int Minus = 116;
constexpr int Plus = 117;
constexpr int Start = 119;
constexpr int Stop = 120;
constexpr int Reset = 121;
constexpr int About = 122; // the about box's artwork
constexpr int Browse = 123;
constexpr int DisplayFrame = 124;

// Every picture id, for a lookup that must refuse the others.
constexpr int All[] = {DigitStrip, Minus, Plus, Start, Stop, Reset, About, Browse, DisplayFrame};

constexpr int WindowIcon = 10;

} // namespace picture
