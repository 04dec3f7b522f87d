// Kadrant's pictures and window icon, looked up by the numeric ids the dialogs use.
#pragma once

#include "resources/PictureIds.h"

#include <QIcon>
#include <QImage>

// Picture by id (one of picture::All); a null image for an id that has no picture.
QImage KadrantPicture(int id);

// Window icon by id (picture::WindowIcon); a null icon for any other id.
QIcon KadrantIcon(int id);

// Port list: a plug for a Com number with a device behind it, a grey plug for an adapter that is
// not plugged in.
QIcon KadrantPlugIcon(bool present);
