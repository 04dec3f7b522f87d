#include "toolkit/TWinDialog.h"

#include "resources/Pictures.h"
#include "toolkit/TDecGroupBox.h"
#include "toolkit/TEditAlpha.h"
#include "toolkit/TEditCheck.h"
#include "toolkit/TEditCombo.h"
#include "toolkit/TEditNum.h"
#include "toolkit/TEditRadio.h"
#include "toolkit/TEditStatic.h"
#include "toolkit/TEditTemps.h"
#include "toolkit/TGroupFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>
#include <optional>
#include <set>
#include <vector>

namespace {

const TDialogTemplate EmptyTemplate{};

constexpr int OkCommand = 1;
constexpr int CancelCommand = 2;

Qt::Alignment TextAlignment(unsigned style) {
    if (style & StyleRight)
        return Qt::AlignRight | Qt::AlignTop;
    if (style & StyleCenter)
        return Qt::AlignHCenter | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignTop;
}

QWidget* NewPlainWidget(const TDialogItem& item, QWidget* parent) {
    switch (item.Kind) {
    case TItemKind::GroupBox:
        return new TGroupFrame(parent);
    case TItemKind::DropDownList:
        return new QComboBox(parent);
    case TItemKind::RadioButton:
        return new QRadioButton(parent);
    case TItemKind::CheckBox:
        return new QCheckBox(parent);
    case TItemKind::EditField:
        return new QLineEdit(parent);
    case TItemKind::PushButton:
        return new QPushButton(parent);
    case TItemKind::Label:
    case TItemKind::Picture:
        break;
    }
    return new QLabel(parent);
}

// Captions and styles the template gives; a bound control may replace the caption in SetUp.
void ApplyItemLook(QWidget* widget, const TDialogItem& item) {
    const QString text = QString::fromLatin1(item.Text ? item.Text : "");
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        if (item.Kind == TItemKind::CheckBox && (item.Style & StyleLeftText))
            button->setLayoutDirection(Qt::RightToLeft);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (item.Style & (StyleRight | StyleCenter))
            edit->setAlignment(TextAlignment(item.Style) & Qt::AlignHorizontal_Mask);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (item.Kind == TItemKind::Picture) {
            label->setPixmap(QPixmap::fromImage(KadrantPicture(item.PictureId)));
            label->setAlignment((item.Style & StyleCenter) ? Qt::AlignCenter
                                                           : Qt::AlignLeft | Qt::AlignTop);
        } else {
            label->setText(text);
            label->setAlignment(TextAlignment(item.Style));
        }
    }
    if (auto* push = qobject_cast<QPushButton*>(widget);
        push && item.PictureId > 0 && dynamic_cast<TWindowControl*>(widget) == nullptr) {
        const QImage picture = KadrantPicture(item.PictureId);
        push->setIcon(QIcon(QPixmap::fromImage(picture)));
        push->setIconSize(picture.size());
    }
}

} // namespace

TWinDialog::TWinDialog(QWidget* parent, int templateId)
    : TWinDialog(parent, FindDialogTemplate(templateId) ? *FindDialogTemplate(templateId)
                                                        : EmptyTemplate) {}

TWinDialog::TWinDialog(QWidget* parent, const TDialogTemplate& dialogTemplate)
    : QWidget(parent), Template(dialogTemplate),
      Font(MakeDialogFont(dialogTemplate.FontFace, dialogTemplate.PointSize)),
      DialogUnits(TDialogUnits::ForFont(dialogTemplate.FontFace, dialogTemplate.PointSize)) {
    setFont(Font);
    setFixedSize(DialogUnits.X(Template.Width), DialogUnits.Y(Template.Height));
}

TWinDialog::~TWinDialog() {
    for (const auto& [timerId, qtTimer] : Timers)
        killTimer(qtTimer);
    Timers.clear();
    // No notification may reach a dialog that is being taken apart.
    for (QObject* child : children())
        child->disconnect(this);

    // Each listed control is deleted once, even if it was listed twice; group boxes go with
    // the other child widgets.
    std::set<TWindowControl*> deleted;
    auto deleteAll = [&deleted](const auto& list) {
        for (auto* control : list) {
            TWindowControl* base = control;
            if (deleted.insert(base).second)
                delete base;
        }
    };
    deleteAll(StaticList);
    deleteAll(AlphaList);
    deleteAll(NumList);
    deleteAll(DateList);
    deleteAll(TempsList);
    deleteAll(CheckList);
    deleteAll(RadioList);
    deleteAll(ComboList);
}

void TWinDialog::TransferToControls() {
    Updating = 1;
    auto show = [](const auto& list) {
        for (auto* control : list)
            control->ShowValue();
    };
    show(StaticList);
    show(AlphaList);
    show(NumList);
    show(DateList);
    show(TempsList);
    show(CheckList);
    show(RadioList);
    show(ComboList);
    Updating = 0;
    ControlsUpdated();
}

void TWinDialog::TransferFromControls() {
    // Between the start of the set-up step and the controls' coming into being (a derived
    // dialog's splash), the controls are empty: storing them would wipe the variables.
    if (Created && !ControlsReady)
        return;
    auto store = [](const auto& list) {
        for (auto* control : list)
            control->StoreValue();
    };
    store(AlphaList);
    store(NumList);
    store(DateList);
    store(TempsList);
    store(CheckList);
    store(RadioList);
    store(ComboList);
}

void TWinDialog::Create() {
    if (Created)
        return;
    Created = true;
    StartUp();
}

void TWinDialog::StartUp() {
    // The control objects the derived constructor made, by the id they attach to.
    std::map<int, TWindowControl*> objects;
    for (QObject* child : children()) {
        if (auto* control = dynamic_cast<TWindowControl*>(child))
            objects.emplace(control->Id(), control);
    }

    std::set<QWidget*> templateWidgets;
    std::vector<TWindowControl*> attached;
    QWidget* previousInTabOrder = nullptr;
    for (const TDialogItem& item : Template.Items) {
        QWidget* widget = CreateItem(item, objects);
        templateWidgets.insert(widget);
        if (auto* control = dynamic_cast<TWindowControl*>(widget))
            attached.push_back(control);
        // Later items lie above earlier ones, so a group box stays behind its contents.
        widget->raise();
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previousInTabOrder)
                QWidget::setTabOrder(previousInTabOrder, widget);
            previousInTabOrder = widget;
        }
    }
    // Children that are not template controls (the digital display) lie above them all; control
    // objects whose id the template lacks stay hidden.
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || templateWidgets.count(widget))
            continue;
        if (dynamic_cast<TWindowControl*>(widget))
            widget->hide();
        else
            widget->raise();
    }
    for (TDecGroupBox* box : GroupBoxList)
        ApplyControlColors(box);
    for (TEditStatic* text : StaticList)
        ApplyControlColors(text);
    for (TWindowControl* control : attached)
        control->SetUp();
    ControlsReady = true;
    // Wired only now: a control showing its variable for the first time is not a user's change
    // and must not run the dialog's handlers on half-built controls.
    for (const auto& [widget, id] : IdsByControl)
        ConnectNotifications(const_cast<QWidget*>(widget), id);
}

QWidget* TWinDialog::CreateItem(const TDialogItem& item,
                                const std::map<int, TWindowControl*>& objects) {
    QWidget* widget = nullptr;
    if (item.Id != NoControlId) {
        const auto found = objects.find(item.Id);
        if (found != objects.end() && !ControlsById.count(item.Id))
            widget = found->second->Window();
    }
    if (widget == nullptr)
        widget = NewPlainWidget(item, this);

    ApplyItemLook(widget, item);
    QRect place = DialogUnits.Rect(item.X, item.Y, item.Width, item.Height);
    if (item.Kind == TItemKind::Picture && (item.Width <= 0 || item.Height <= 0)) {
        place.setSize(KadrantPicture(item.PictureId).size());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // The template height of a drop-down list includes its open list.
        const int closed = std::min(place.height(), DialogUnits.Y(12));
        const int itemHeight = std::max(1, combo->fontMetrics().height());
        combo->setMaxVisibleItems(std::max(1, (place.height() - closed) / itemHeight));
        place.setHeight(closed);
    }
    widget->setGeometry(place);
    widget->show();

    if (item.Id != NoControlId) {
        ControlsById.emplace(item.Id, widget);
        IdsByControl.emplace(widget, item.Id);
    }
    return widget;
}

void TWinDialog::ConnectNotifications(QWidget* widget, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { Command(TNotify::Clicked, id); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, id] { Command(TNotify::SelectionChanged, id); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, id] { Command(TNotify::TextChanged, id); });
    }
}

void TWinDialog::CloseWithResult(int result) {
    if (result == OkCommand)
        TransferFromControls();
    CloseResult = result;
    window()->close();
}

void TWinDialog::Command(TNotify kind, int id) {
    if (kind == TNotify::Clicked && id == OkCommand) {
        // Enter in a field arrives as command 1: only a focused control 1 may give it.
        const QWidget* focused = focusWidget();
        if (focused == nullptr || ControlId(focused) != OkCommand)
            return;
    }
    Dispatch(kind, id);
}

bool TWinDialog::Dispatch(TNotify kind, int id) {
    if (kind == TNotify::Clicked && (id == OkCommand || id == CancelCommand)) {
        CloseWithResult(id);
        return true;
    }
    return false;
}

QWidget* TWinDialog::Control(int id) const {
    const auto found = ControlsById.find(id);
    return found == ControlsById.end() ? nullptr : found->second;
}

int TWinDialog::ControlId(const QWidget* control) const {
    const auto found = IdsByControl.find(control);
    return found == IdsByControl.end() ? NoControlId : found->second;
}

int TWinDialog::SetTimer(int timerId, int periodMs) {
    KillTimer(timerId);
    const int qtTimer = startTimer(periodMs, Qt::PreciseTimer);
    if (qtTimer == 0)
        return 0;
    Timers[timerId] = qtTimer;
    return 1;
}

int TWinDialog::SetTimer(int timerId, int periodMs, int firstDelayMs) {
    if (firstDelayMs == periodMs || !SetTimer(timerId, firstDelayMs))
        return SetTimer(timerId, periodMs);
    LaterPeriods[timerId] = periodMs;
    return 1;
}

int TWinDialog::KillTimer(int timerId) {
    LaterPeriods.erase(timerId);
    const auto found = Timers.find(timerId);
    if (found == Timers.end())
        return 0;
    killTimer(found->second);
    Timers.erase(found);
    return 1;
}

void TWinDialog::ApplyControlColors(QWidget* child) {
    for (TDecGroupBox* box : GroupBoxList) {
        if (box != child)
            continue;
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText,
                         QApplication::palette().color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
        box->setPalette(palette);
        return;
    }
    for (TEditStatic* text : StaticList) {
        if (text != child)
            continue;
        if (text->Framed && text->isEnabled()) {
            QPalette palette = text->palette();
            palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
            palette.setColor(QPalette::Window, text->BackgroundColor);
            text->setPalette(palette);
            text->setAutoFillBackground(true);
        } else {
            text->setPalette(QPalette());
            text->setAutoFillBackground(false);
        }
        return;
    }
}

void TWinDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused push button is the default one; anywhere else Enter means command 1.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button && isAncestorOf(button))
            button->click();
        else
            Command(TNotify::Clicked, OkCommand);
        return;
    case Qt::Key_Escape:
        Command(TNotify::Clicked, CancelCommand);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TWinDialog::timerEvent(QTimerEvent* event) {
    // Found first, dispatched after: the handler may set or kill timers.
    std::optional<int> expired;
    for (const auto& [timerId, qtTimer] : Timers) {
        if (qtTimer == event->timerId())
            expired = timerId;
    }
    if (expired) {
        if (const auto later = LaterPeriods.find(*expired); later != LaterPeriods.end()) {
            // The first, phase-setting expiry: from here on the timer runs at its period.
            const int period = later->second;
            LaterPeriods.erase(later);
            killTimer(event->timerId());
            if (const int qtTimer = startTimer(period, Qt::PreciseTimer); qtTimer != 0)
                Timers[*expired] = qtTimer;
            else
                Timers.erase(*expired);
        }
        Dispatch(TNotify::Timer, *expired);
    } else
        QWidget::timerEvent(event);
}

void TWinDialog::showEvent(QShowEvent* event) {
    Create();
    QWidget::showEvent(event);
}

void TWinDialog::closeEvent(QCloseEvent* event) {
    if (isWindow()) {
        const bool wasClosing = Closing;
        Closing = true;
        if (!QueryClose()) {
            Closing = wasClosing;
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}
