#pragma once
#include <QIcon>
#include <QString>

namespace controls {

// The icon of an image file the program names ("printer.ico"): a full path that exists as it
// stands, else the data folder's own `Images/<file>`, else the built-in drawing of the same
// base name, else none. "~printer.ico" names the built-in drawing only.
QIcon imageIcon(const QString& dataFolder, const QString& file);

} // namespace controls
