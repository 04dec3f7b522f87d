#include "tools/remote/TOverlayLook.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

// The <body> tag of pages/overlay.html, which holds the default look.
constexpr std::string_view DefaultBody =
    R"(<body data-color="#ffc400" data-unlit="on" data-align="centre" class="gone">)";

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> ColorNames{{
    {"amber", "#ffc400"},
    {"red", "#ff3b30"},
    {"orange", "#ff8c00"},
    {"yellow", "#ffee00"},
    {"green", "#30ff5a"},
    {"cyan", "#00e5ff"},
    {"blue", "#3d8bff"},
    {"white", "#ffffff"},
    {"magenta", "#ff40ff"},
}};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// #rrggbb for "#rgb", "#rrggbb" or a name; empty when it is none of them.
std::string ColorOf(std::string_view given) {
    std::string text = Lower(given);
    for (const auto& [name, hex] : ColorNames)
        if (text == name)
            return std::string(hex);
    if ((text.size() != 4 && text.size() != 7) || text[0] != '#' ||
        !std::all_of(text.begin() + 1, text.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; }))
        return {};
    if (text.size() == 7)
        return text;
    return {'#', text[1], text[1], text[2], text[2], text[3], text[3]};
}

} // namespace

TOverlayLook ParseOverlayLook(std::string_view color, std::string_view unlit,
                              std::string_view align) {
    TOverlayLook look;
    if (std::string hex = ColorOf(color); !hex.empty())
        look.Color = hex;
    std::string flag = Lower(unlit);
    if (flag == "0" || flag == "off" || flag == "no" || flag == "false")
        look.Unlit = false;
    std::string where = Lower(align);
    if (where == "left" || where == "right")
        look.Align = where;
    return look; // "centre", "center" and anything else: the middle
}

std::string OverlayPage(std::string_view page, const TOverlayLook& look) {
    std::string out(page);
    std::size_t at = out.find(DefaultBody);
    if (at != std::string::npos)
        out.replace(at, DefaultBody.size(),
                    "<body data-color=\"" + look.Color + "\" data-unlit=\"" +
                        (look.Unlit ? "on" : "off") + "\" data-align=\"" + look.Align +
                        "\" class=\"gone\">");
    return out;
}
