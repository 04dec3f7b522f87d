#include "toolkit/TComboStyle.h"

#include <QStyleOptionComboBox>

QRect TComboStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl part, const QWidget* widget) const {
    if (control != CC_ComboBox || option == nullptr ||
        (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField))
        return QProxyStyle::subControlRect(control, option, part, widget);
    // Inside a two-pixel frame: the text from the left border to the arrow area.
    const QRect inside = option->rect.adjusted(2, 2, -2, -2);
    const QRect arrow(inside.right() + 1 - ArrowWidth, option->rect.top(), ArrowWidth,
                      option->rect.height());
    if (part == SC_ComboBoxArrow)
        return visualRect(option->direction, option->rect, arrow);
    const QRect text(inside.left(), inside.top(), arrow.left() - inside.left(), inside.height());
    return visualRect(option->direction, option->rect, text);
}
