#include "app/Thumbnails.h"

#include <QImage>

// The pictures live in a static library: name their resources once so the linker keeps them.
static void RegisterThumbnailResources() {
    Q_INIT_RESOURCE(thumbnails);
}

namespace licytek {

QPixmap LayoutThumbnail(int number) {
    static const bool registered = (RegisterThumbnailResources(), true);
    (void)registered;
    // Qt's own JPEG plugin decodes them; a picture it cannot read gives a null image.
    const QImage image(QStringLiteral(":/thumbnails/layout%1.jpg").arg(number), "JPG");
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace licytek
