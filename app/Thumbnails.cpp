#include "app/Thumbnails.h"

#include <QFile>
#include <QImage>

#include "app/jpeg/JpegDecoder.h"

// The pictures live in a static library: name their resources once so the linker keeps them.
static void RegisterThumbnailResources() {
    Q_INIT_RESOURCE(thumbnails);
}

namespace licytek {

QPixmap LayoutThumbnail(int number) {
    static const bool registered = (RegisterThumbnailResources(), true);
    (void)registered;
    QFile file(QStringLiteral(":/thumbnails/layout%1.jpg").arg(number));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    const auto decoded = DecodeJpeg(reinterpret_cast<const unsigned char*>(data.constData()),
                                    static_cast<std::size_t>(data.size()));
    if (!decoded) {
        return {};
    }
    const QImage image(decoded->rgb.data(), decoded->width, decoded->height, decoded->width * 3,
                       QImage::Format_RGB888);
    return QPixmap::fromImage(image.copy());  // the pixels must outlive `decoded`
}

}  // namespace licytek
