// The eight layout thumbnails, compiled into the program as JPEG pictures and decoded by Qt.
#pragma once

#include <QPixmap>

namespace licytek {

inline constexpr int kLayoutCount = 8;

// The thumbnail of layout `number` (1 to 8), or a null pixmap when its picture cannot be
// decoded.
QPixmap LayoutThumbnail(int number);

}  // namespace licytek
