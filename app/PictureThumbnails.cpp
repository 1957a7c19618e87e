#include "app/PictureThumbnails.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <set>

#include "structured/AllegroExport.h"

namespace licytek {
namespace {

// Small enough for the narrower of two items side by side.
constexpr int kThumbnailSide = 96;

}  // namespace

QString LocalPicturePath(const std::string& utf8Source, const QString& projectFolder) {
    if (!structured::IsLocalPictureSource(utf8Source)) {
        return {};
    }
    const QString source = QString::fromStdString(utf8Source);
    if (source.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        return QUrl(source).toLocalFile();
    }
    return QDir(projectFolder).absoluteFilePath(source);
}

void ShowLocalThumbnails(QTextDocument& preview, const structured::Description& description,
                         const QString& projectFolder) {
    std::set<std::string> shown;
    for (const structured::Section& section : description.sections) {
        for (const structured::Item& item : section.items) {
            if (item.type != structured::ItemType::Image || !shown.insert(item.content).second) {
                continue;
            }
            const QString path = LocalPicturePath(item.content, projectFolder);
            if (path.isEmpty()) {
                continue;
            }
            QImageReader reader(path);
            reader.setAutoTransform(true);
            const QImage image = reader.read();
            if (image.isNull()) {
                continue;  // the box keeps its path; the send names what is wrong with it
            }
            const QUrl name(QStringLiteral("licytek-thumbnail:%1").arg(shown.size()));
            preview.addResource(QTextDocument::ImageResource, name,
                                image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio,
                                             Qt::SmoothTransformation));
            // Every box of this picture, found by the source it shows.
            const QString source = QString::fromStdString(item.content);
            QTextCursor found = preview.find(source, 0, QTextDocument::FindCaseSensitively);
            while (!found.isNull()) {
                QTextCursor at(found);
                at.setPosition(found.selectionStart());
                QTextImageFormat thumbnail;
                thumbnail.setName(name.toString());
                at.insertImage(thumbnail);
                at.insertText(QString(QChar::LineSeparator));
                found = preview.find(source, found, QTextDocument::FindCaseSensitively);
            }
        }
    }
}

}  // namespace licytek
