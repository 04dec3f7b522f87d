#include "toolkit/TEditCombo.h"

#include "toolkit/TComboStyle.h"
#include "toolkit/TWinDialog.h"

#include <QAbstractItemView>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>

void TComboBoxData::Clear() {
    Strings.clear();
    ItemData.clear();
    Selection = -1;
    SelectionString.clear();
}

void TComboBoxData::AddString(const char* text, bool select, int32_t itemData) {
    Strings.emplace_back(text ? text : "");
    ItemData.push_back(itemData);
    if (select) {
        Selection = static_cast<int>(Strings.size()) - 1;
        SelectionString = Strings.back();
    }
}

int32_t TComboBoxData::DataAt(int index) const {
    return index >= 0 && index < static_cast<int>(ItemData.size()) ? ItemData[index] : 0;
}

void TComboBoxData::SetTransfer(QComboBox* combo) const {
    combo->clear();
    for (const std::string& text : Strings)
        combo->addItem(QString::fromLatin1(text.c_str()));
    combo->setCurrentIndex(Selection);
}

void TComboBoxData::GetTransfer(const QComboBox* combo) {
    Selection = combo->currentIndex();
    SelectionString =
        Selection >= 0 ? combo->currentText().toLatin1().toStdString() : std::string();
}

void FillComboData(TComboBoxData& list, std::initializer_list<const char*> texts) {
    list.Clear();
    for (const char* text : texts)
        list.AddString(text, true);
}

TEditCombo::TEditCombo(TWinDialog* dialog, int id, int* value, TComboBoxData* source, int mode)
    : QComboBox(dialog), TBoundControl(dialog, id), SelectionMode(mode), Value(value),
      Shown(mode != ModeIndex ? std::make_unique<TComboBoxData>() : nullptr), Source(source) {
    auto* style = new TComboStyle;
    style->setParent(this);
    setStyle(style);
}

void TEditCombo::SetUp() {
    setFont(Dialog()->DialogFont());
    ShowValue();
}

void TEditCombo::ShowValue() {
    if (Value == nullptr || Source == nullptr)
        return;
    const int count = static_cast<int>(Source->Strings.size());
    switch (SelectionMode) {
    case ModeCompact: {
        ShownIndex = 0;
        int k = -1;
        Shown->Clear();
        for (int i = 0; i < count; ++i) {
            if (Source->Strings[i].empty())
                continue;
            ++k;
            Shown->AddString(Source->Strings[i].c_str(), false, Source->DataAt(i));
            if (i == *Value)
                ShownIndex = k;
        }
        Shown->SetTransfer(this);
        setCurrentIndex(ShownIndex < this->count() ? ShownIndex : -1);
        break;
    }
    case ModeItemData: {
        Source->SetTransfer(this);
        int selected = 0;
        for (int i = 0; i < count; ++i) {
            if (Source->DataAt(i) == *Value) {
                selected = i;
                break;
            }
        }
        setCurrentIndex(selected < this->count() ? selected : -1);
        break;
    }
    default:
        Source->SetTransfer(this);
        setCurrentIndex(*Value >= 0 && *Value < this->count() ? *Value : -1);
        break;
    }
}

void TEditCombo::StoreValue() {
    if (Value == nullptr || Source == nullptr)
        return;
    switch (SelectionMode) {
    case ModeCompact: {
        Shown->GetTransfer(this);
        const int s = currentIndex();
        *Value = 0;
        int k = -1;
        for (int i = 0; i < static_cast<int>(Source->Strings.size()); ++i) {
            if (!Source->Strings[i].empty() && ++k == s) {
                *Value = i;
                break;
            }
        }
        break;
    }
    case ModeItemData: {
        const int s = currentIndex();
        *Value = s >= 0 ? Source->DataAt(s) : 0;
        break;
    }
    default:
        Source->GetTransfer(this);
        *Value = currentIndex();
        break;
    }
}

bool TEditCombo::SetItemDecoration(const QString& text, const QIcon& icon, const QString& toolTip) {
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    Decorated = Decorated || !icon.isNull();
    setItemIcon(index, icon.isNull() ? NoIcon() : icon);
    setItemData(index, toolTip.isEmpty() ? QVariant() : QVariant(toolTip), Qt::ToolTipRole);
    return true;
}

const QIcon& TEditCombo::NoIcon() {
    if (Blank.isNull()) {
        QPixmap room(iconSize());
        room.fill(Qt::transparent);
        Blank = QIcon(room);
    }
    return Blank;
}

void TEditCombo::showPopup() {
    if (BeforePopup)
        BeforePopup();
    // Every entry keeps the same room for an icon, those never decorated too.
    for (int row = 0; Decorated && row < count(); ++row)
        if (itemIcon(row).isNull())
            setItemIcon(row, NoIcon());
    // Icons take room from the texts: the open list grows to show every text whole.
    if (Decorated)
        view()->setMinimumWidth(view()->sizeHintForColumn(0) +
                                view()->verticalScrollBar()->sizeHint().width() +
                                2 * view()->frameWidth());
    QComboBox::showPopup();
}

void TEditCombo::initStyleOption(QStyleOptionComboBox* option) const {
    QComboBox::initStyleOption(option);
    if (option->currentIcon.cacheKey() == Blank.cacheKey())
        option->currentIcon = QIcon(); // the room kept in the open list only
    if (option->currentIcon.isNull())
        return;
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, option, QStyle::SC_ComboBoxEditField, this);
    const int needed =
        option->iconSize.width() + 4 + option->fontMetrics.horizontalAdvance(option->currentText);
    if (needed > field.width())
        option->currentIcon = QIcon();
}
