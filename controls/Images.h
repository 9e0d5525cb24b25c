#pragma once
#include <QIcon>
#include <QString>

namespace controls {

// The icon of an image file the program names ("printer.ico"): the data folder's own
// `Images/<file>` when it is there, else the built-in drawing of the same base name, else none.
QIcon imageIcon(const QString& dataFolder, const QString& file);

} // namespace controls
