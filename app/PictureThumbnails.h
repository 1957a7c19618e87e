// Pictures from the seller's disk in a section preview: the preview shows each picture as a box
// with its source; for a file on the disk, its thumbnail goes into that box as well.
#pragma once

#include <QString>

#include "structured/Description.h"

class QTextDocument;

namespace licytek {

// The file a local picture source names (a path, relative to `projectFolder` when not
// absolute, or a file:// address), or an empty text for a web address.
QString LocalPicturePath(const std::string& utf8Source, const QString& projectFolder);

// Puts a thumbnail of each picture of `description` that is a readable file on the disk
// before its source in `preview` (made from structured::DescriptionPreviewHtml).
void ShowLocalThumbnails(QTextDocument& preview, const structured::Description& description,
                         const QString& projectFolder);

}  // namespace licytek
