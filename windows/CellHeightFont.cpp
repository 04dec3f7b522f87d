#include "windows/CellHeightFont.h"

#include <QFontMetrics>

QFont FontWithCellHeight(const char* face, int cellHeight, int weight) {
    QFont font(QString::fromLatin1(face));
    font.setWeight(QFont::Weight(weight));
    for (int pixelSize = cellHeight; pixelSize > 1; --pixelSize) {
        font.setPixelSize(pixelSize);
        if (QFontMetrics(font).height() <= cellHeight)
            return font;
    }
    font.setPixelSize(1);
    return font;
}
