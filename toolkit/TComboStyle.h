// The drop-down lists' look: a narrower arrow area and text margin than the platform style's,
// so that an entry as long as the control's template width allows is shown whole.
#pragma once

#include <QProxyStyle>

class TComboStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Width of the arrow area at the right of a closed list, in pixels.
    static constexpr int ArrowWidth = 14;

    TComboStyle() = default;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
};
