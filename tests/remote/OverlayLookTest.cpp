// The overlay's look from its link: a colour of a fixed form or name, on/off, left/centre/right;
// anything else is the default, and only normalised values come out.
#include "tools/remote/TOverlayLook.h"

#include <gtest/gtest.h>

namespace {

struct TLookCase {
    const char* Color;
    const char* Unlit;
    const char* Align;
    TOverlayLook Expected;
};

void PrintTo(const TLookCase& c, std::ostream* os) {
    *os << "color=" << c.Color << " unlit=" << c.Unlit << " align=" << c.Align;
}

class OverlayLook : public testing::TestWithParam<TLookCase> {};

TEST_P(OverlayLook, IsParsedOrDefault) {
    const TLookCase& c = GetParam();
    EXPECT_EQ(ParseOverlayLook(c.Color, c.Unlit, c.Align), c.Expected);
}

const TOverlayLook Default;

INSTANTIATE_TEST_SUITE_P(
    Table, OverlayLook,
    testing::Values(
        TLookCase{"", "", "", Default},
        TLookCase{"#F0a", "off", "right", {"#ff00aa", false, "right"}},
        TLookCase{"#00E5ff", "0", "LEFT", {"#00e5ff", false, "left"}},
        TLookCase{"Red", "no", "center", {"#ff3b30", false, "centre"}},
        TLookCase{"white", "on", "centre", {"#ffffff", true, "centre"}},
        // Malformed or unknown: the default, never a piece of the input.
        TLookCase{"#ff00aa0", "maybe", "middle", Default}, TLookCase{"#ggg", "1", "left;", Default},
        TLookCase{"ff00aa", "true", " right", Default}, TLookCase{"#f0", "", "", Default},
        TLookCase{"\"><script>", "<b>", "right\"", Default},
        TLookCase{"rgb(255,0,0)", "", "", Default}, TLookCase{"redd", "", "", Default}));

TEST(OverlayLook, PageCarriesTheLookInItsBodyTag) {
    std::string page = OverlayPage(
        "<head></head><body data-color=\"#ffc400\" data-unlit=\"on\" data-align=\"centre\" "
        "class=\"gone\"><svg></svg></body>",
        {"#123456", false, "left"});
    EXPECT_EQ(page, "<head></head><body data-color=\"#123456\" data-unlit=\"off\" "
                    "data-align=\"left\" class=\"gone\"><svg></svg></body>");
}

} // namespace
