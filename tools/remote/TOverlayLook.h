// How the overlay draws line 1, from its link: `color` (#rgb, #rrggbb or a name of a short list),
// `unlit` (whether unlit segments show) and `align` (left, centre, right). Anything not understood
// gives the default, so that a mistyped link still shows the clock on the stream, never an error
// page; only values from fixed forms reach the page, nothing of the link as it was written.
#pragma once

#include <string>
#include <string_view>

struct TOverlayLook {
    std::string Color = "#ffc400"; // the board's amber; always #rrggbb, lower case
    bool Unlit = true;
    std::string Align = "centre";

    bool operator==(const TOverlayLook&) const = default;
};

TOverlayLook ParseOverlayLook(std::string_view color, std::string_view unlit,
                              std::string_view align);

// The overlay page (as embedded) with `look` in its <body> tag.
std::string OverlayPage(std::string_view page, const TOverlayLook& look);
