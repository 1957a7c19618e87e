#include "app/ExternalPages.h"

#include <QDir>
#include <QFileInfo>

namespace licytek {

QUrl UpdatePageUrl() {
    return QUrl(QString::fromLatin1(kUpdateSiteBase) + QString::fromLatin1(kUpdatePagePath));
}

QStringList InstalledHelpFolders(const QString& applicationFolder) {
    // Found from the program's own place only, so that no build machine's path is compiled in
    // and the install may be moved to any prefix.
    return {
        applicationFolder + QStringLiteral("/instrukcja"),
        applicationFolder + QStringLiteral("/../share/licytek/instrukcja"),
    };
}

QUrl HelpPageUrl(const QStringList& fallbackFolders) {
    const QString local = QDir::current().absoluteFilePath(QString::fromLatin1(kHelpPage));
    if (QFileInfo(local).isFile()) {
        return QUrl::fromLocalFile(local);
    }
    for (const QString& folder : fallbackFolders) {
        const QFileInfo page(QDir(folder), QStringLiteral("index.html"));
        if (page.isFile()) {
            return QUrl::fromLocalFile(page.canonicalFilePath());
        }
    }
    return QUrl::fromLocalFile(local);
}

}  // namespace licytek
