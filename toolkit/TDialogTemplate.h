// A dialog described in dialog units: its size, its font and its controls in tab order. Dialogs
// are looked up by numeric resource id in a registry filled by the libraries that hold them.
#pragma once

#include <vector>

enum class TItemKind {
    GroupBox,
    Label,
    DropDownList,
    RadioButton,
    CheckBox,
    EditField,
    PushButton,
    Picture,
};

// Style flags of an item; combine with |.
enum TItemStyle : unsigned {
    StyleNone = 0,
    StyleRight = 1,       // text right-aligned
    StyleLeftText = 2,    // check box: text left of the box
    StyleAutoHScroll = 4, // edit field: scrolls horizontally
    StyleCenter = 8,      // text or picture centred
};

constexpr int NoControlId = -1;

struct TDialogItem {
    int Id = NoControlId;
    TItemKind Kind = TItemKind::Label;
    int X = 0, Y = 0, Width = 0, Height = 0; // dialog units; a picture takes its own size
    const char* Text = "";                   // caption (Latin-1)
    int PictureId = 0;                       // picture items and picture push buttons
    unsigned Style = StyleNone;
};

struct TDialogTemplate {
    int Width = 0, Height = 0; // dialog units
    const char* FontFace = "Arial";
    int PointSize = 8;
    std::vector<TDialogItem> Items; // in tab order
};

// Makes tpl findable under id; the template must outlive every dialog built from it.
// Returns 0 when the id is already taken (the first registration stays).
int RegisterDialogTemplate(int id, const TDialogTemplate* tpl);
// The template registered under id, or null.
const TDialogTemplate* FindDialogTemplate(int id);

// Registers a template while a library's static objects are initialised.
struct TDialogTemplateRegistration {
    TDialogTemplateRegistration(int id, const TDialogTemplate* tpl) {
        RegisterDialogTemplate(id, tpl);
    }
};
