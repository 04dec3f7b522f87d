#include "app/window/MainDialogTemplate.h"

#include "app/timing/TMainControls.h"
#include "resources/PictureIds.h"

namespace {

using K = TItemKind;

// 220 x 214 units, Arial 8 pt; items in tab order.
const TDialogTemplate MainDialog{
    220,
    214,
    "Arial",
    8,
    {
        {IdScoreboardBox, K::GroupBox, 7, 2, 205, 38, "Scoreboard"},
        {NoControlId, K::Label, 9, 13, 34, 12, "Type:", 0, StyleRight},
        {IdBoardType, K::DropDownList, 48, 11, 139, 56},
        {NoControlId, K::Label, 9, 27, 34, 12, "Port :", 0, StyleRight},
        {IdPort, K::DropDownList, 48, 25, 47, 56},
        {IdFunctionsBox, K::GroupBox, 7, 44, 73, 77, "Functions"},
        {IdCountUp, K::RadioButton, 16, 56, 60, 12, "Count-up"},
        {IdCountDown, K::RadioButton, 16, 66, 60, 12, "Count-down"},
        {IdTest, K::RadioButton, 16, 86, 60, 12, "Test"},
        {IdLapCounter, K::RadioButton, 16, 76, 60, 12, "Lap counter"},
        {IdDisplayBox, K::GroupBox, 86, 44, 126, 77, "Display"},
        {NoControlId, K::Label, 88, 56, 49, 12, "Type:", 0, StyleRight},
        {IdDisplayType, K::DropDownList, 140, 55, 64, 69},
        {IdStartTimeLabel, K::Label, 88, 71, 49, 12, "Start at:", 0, StyleRight},
        {IdStartTime, K::EditField, 140, 69, 64, 12},
        {NoControlId, K::Label, 88, 84, 49, 12, "2nd Start at:", 0, StyleRight},
        {IdSecondStartTime, K::EditField, 140, 82, 64, 12},
        {IdInitialNumberLabel, K::Label, 88, 96, 49, 12, "Initial number:", 0, StyleRight},
        {IdInitialNumber, K::EditField, 140, 95, 64, 12, "", 0, StyleAutoHScroll},
        {IdInLoop, K::CheckBox, 89, 107, 58, 12, "In Loop", 0, StyleLeftText | StyleRight},
        {IdSoundBox, K::GroupBox, 7, 125, 205, 26, "Sound"},
        {NoControlId, K::Label, 13, 136, 38, 12, "File:", 0, StyleRight},
        {IdSoundFile, K::EditField, 54, 134, 122, 12},
        {IdBrowse, K::PushButton, 183, 134, 18, 13, "", picture::Browse},
        {IdStart, K::PushButton, 27, 196, 50, 14, "", picture::Start},
        {IdStop, K::PushButton, 86, 196, 50, 14, "", picture::Stop},
        {IdReset, K::PushButton, 144, 196, 50, 14, "", picture::Reset},
        // The frame behind the digital display, which the dialog places in pixels over it.
        {NoControlId, K::Picture, 5, 157, 0, 0, "", picture::DisplayFrame},
    },
};

const TDialogTemplateRegistration Registration(MainDialogId, &MainDialog);

} // namespace

const TDialogTemplate& MainDialogTemplate() {
    return MainDialog;
}
