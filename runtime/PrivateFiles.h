#pragma once
#include <QString>

// Mail bodies, attachments, Sent copies, exports, temporary copies and backups are the
// user's alone: folders 0700 and files 0600, whatever the umask. Links are never followed.
namespace vrt {

// Creates `folder` with any missing parents; the folder and those it created are 0700.
bool makePrivateFolder(const QString& folder);
// An existing file (or folder) made 0600 (0700); false when it cannot be.
bool makePrivate(const QString& path);
// A folder and everything below it.
void makePrivateTree(const QString& folder);
// The data folder's private parts (Email/, Excel/, the editor's HtmlFile_*.html) as an older
// build left them: a folder that is not yet private is made so with all it holds.
void makeDataFolderPrivate(const QString& dataFolder);

} // namespace vrt
