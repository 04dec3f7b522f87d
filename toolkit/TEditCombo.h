// A drop-down list bound to an int, and the string list it is filled from. Three selection
// modes: 0 the variable is the selected index; 1 compact, empty entries are not shown and the
// variable is the index into the full list; 2 the variable is the selected entry's item data.
#pragma once

#include "toolkit/TWindowControl.h"

#include <QComboBox>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// Entries (Latin-1) with parallel item data, and a selection.
struct TComboBoxData {
    std::vector<std::string> Strings;
    std::vector<int32_t> ItemData;
    int Selection = -1;
    std::string SelectionString;

    void Clear();
    // Appends an entry; select makes it the selection.
    void AddString(const char* text, bool select = false, int32_t itemData = 0);
    // Item data of an entry; 0 past the end of ItemData.
    int32_t DataAt(int index) const;
    // Fills a combo box: its entries become these, and the selection is selected.
    void SetTransfer(QComboBox* combo) const;
    // Records the combo box's selection.
    void GetTransfer(const QComboBox* combo);
};

// Clears the list, then appends the texts in order, each becoming the selection.
void FillComboData(TComboBoxData& list, std::initializer_list<const char*> texts);

class TEditCombo : public QComboBox, public TBoundControl {
    Q_OBJECT

public:
    enum { ModeIndex = 0, ModeCompact = 1, ModeItemData = 2 };

    // The source list is not owned and must outlive the control.
    TEditCombo(TWinDialog* dialog, int id, int* value, TComboBoxData* source, int mode);

    QWidget* Window() override { return this; }
    void SetUp() override;
    void ShowValue() override;
    void StoreValue() override;

    const int SelectionMode;
    int ShownIndex = 0;

    // Puts an icon and a tooltip beside the shown entry with this text, leaving the text as it
    // is; a null icon and an empty tooltip take them away (the entry keeps the icon's room, so
    // that the texts of the open list stay in line). False when no shown entry has the text.
    bool SetItemDecoration(const QString& text, const QIcon& icon, const QString& toolTip);
    // Runs just before the list opens, so that what the entries show can be brought up to date.
    std::function<void()> BeforePopup;
    void showPopup() override;

protected:
    // The closed box leaves out the icon where it would cut the text short.
    void initStyleOption(QStyleOptionComboBox* option) const override;

private:
    // An empty picture of the icons' size: the room an entry without an icon keeps.
    const QIcon& NoIcon();

    bool Decorated = false; // an entry carries an icon
    QIcon Blank;
    int* Value;
    std::unique_ptr<TComboBoxData> Shown; // compact mode: the entries actually shown
    TComboBoxData* Source;
};
