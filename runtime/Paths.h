#pragma once
#include <QString>

namespace vrt {

// Joins folder and name with '/', accepting '\' in either (texts carried over from the
// Windows-era settings use it). Never upper-cases and never truncates.
QString joinPath(const QString& folder, const QString& name);

// '\' -> '/', runs of separators collapsed, a trailing separator dropped (except root).
QString normalizePath(const QString& path);

// The current working folder, canonical, case kept.
QString currentFolder();

// True when `path` (after normalisation and resolving "..") stays inside `folder`.
bool isInsideFolder(const QString& folder, const QString& path);

// A single file-name component made safe: separators, control characters, "." and ".."
// are replaced, so the result can be joined to a folder without leaving it.
QString safeFileName(const QString& name, const QString& fallback = QStringLiteral("_"));

} // namespace vrt
