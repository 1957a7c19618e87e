// The two pages the window hands to the browser: the help page and the update page.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace licytek {

// Where the update page lives; the program itself never connects there.
inline constexpr const char* kUpdateSiteBase = "https://licytek.pl";
inline constexpr const char* kUpdatePagePath = "/allegro/ltk.html";

// The help page, relative to the current directory.
inline constexpr const char* kHelpPage = "instrukcja/index.html";

QUrl UpdatePageUrl();

// The help folders to try after the current directory's: beside the program (where the build
// puts a copy too) and in the install's data folder, both found from the program's folder.
QStringList InstalledHelpFolders(const QString& applicationFolder);

// The help page of the current directory when it has one, otherwise the first copy found in
// `fallbackFolders`; with none found, the current directory's path all the same.
QUrl HelpPageUrl(const QStringList& fallbackFolders);

}  // namespace licytek
