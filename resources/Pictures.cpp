#include "resources/Pictures.h"

#include <QString>
#include <algorithm>

// Registers the embedded pictures once. Kept outside any namespace, as the resource
// initialiser must be; calling it also keeps a static link from dropping the data.
static void EnsureResourcesLoaded() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(kadrant_pictures);
        return true;
    }();
    (void)loaded;
}

namespace {

bool IsPictureId(int id) {
    return std::ranges::find(picture::All, id) != std::end(picture::All);
}

} // namespace

QImage KadrantPicture(int id) {
    if (!IsPictureId(id))
        return QImage();
    EnsureResourcesLoaded();
    return QImage(QStringLiteral(":/kadrant/pictures/%1.png").arg(id));
}

QIcon KadrantIcon(int id) {
    if (id != picture::WindowIcon)
        return QIcon();
    EnsureResourcesLoaded();
    QIcon icon;
    for (int size : {32, 64})
        icon.addFile(QStringLiteral(":/kadrant/pictures/%1-%2.png").arg(id).arg(size),
                     QSize(size, size));
    return icon;
}

QIcon KadrantPlugIcon(bool present) {
    EnsureResourcesLoaded();
    const QString name = present ? QStringLiteral("plug") : QStringLiteral("plug-absent");
    QIcon icon;
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/kadrant/pictures/%1-%2.png").arg(name).arg(size),
                     QSize(size, size));
    return icon;
}
