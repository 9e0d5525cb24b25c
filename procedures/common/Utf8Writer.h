#pragma once
#include <QString>
#include <QStringList>

namespace VelmoraDll {

// Writes `lines` to `fileName` as UTF-8 without a byte-order mark, each line ended by CR LF.
// The new file replaces the old one only when everything was written, so a failed export
// keeps the previous file. A failure is shown to the user and returns false.
bool S_WriteUTF8File(const QStringList& lines, const QString& fileName);

// The longest line kept; the rest of a longer line is cut off.
inline constexpr int kUtf8LineCapacity = 900000;

} // namespace VelmoraDll
