#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// The single-byte code page of runtime strings at the program's edges (legacy files, the
// string classes' single-byte side). Text inside the program stays Unicode; only these
// conversions meet the code page. Process-wide; Windows-1250 until the language sets another.
namespace ansicp {

QString codePage();
// Takes a code page name Qt knows ("windows-1251", "GBK", ...); false keeps the current one.
bool setCodePage(const QString& name);

// Single-byte text to Unicode; nothing when the bytes are not valid in the code page.
std::optional<QString> toUnicode(QByteArrayView bytes);
// Unicode to the code page. `lossy` is set when a character has no form there (it becomes
// "?"); nothing when the text itself is not valid Unicode.
std::optional<QByteArray> fromUnicode(QStringView text, bool* lossy = nullptr);

} // namespace ansicp
