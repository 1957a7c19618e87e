#include "app/ExternalPages.h"

#include <QDir>
#include <QFileInfo>

namespace licytek {

QUrl UpdatePageUrl() {
    return QUrl(QString::fromLatin1(kUpdateSiteBase) + QString::fromLatin1(kUpdatePagePath));
}

QStringList InstalledHelpFolders(const QString& applicationFolder) {
    QStringList folders = {
        applicationFolder + QStringLiteral("/instrukcja"),
        applicationFolder + QStringLiteral("/../share/licytek/instrukcja"),
    };
#ifdef LICYTEK_SOURCE_HELP_DIR
    folders.append(QStringLiteral(LICYTEK_SOURCE_HELP_DIR));
#endif
    return folders;
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
