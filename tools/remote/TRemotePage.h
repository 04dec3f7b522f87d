// The bridge's pages, kept in the program: they must work on a venue network without internet
// access. Each is one self-contained document, made at build time from the HTML, CSS and script
// files in pages/ (pages/embed.cmake).
#pragma once

#include <string_view>

// The phone remote: the board's line 1 drawn as seven-segment digits, the buttons, and a script
// that follows /api/events. The token comes from the page's own address.
extern const std::string_view PhonePageHtml;
// Line 1 alone on a transparent page, for a browser source on a live stream (see TOverlayLook).
extern const std::string_view OverlayPageHtml;
// Line 1 alone, full screen on black, for a TV or a tablet.
extern const std::string_view ViewPageHtml;
