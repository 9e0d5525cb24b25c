#pragma once
#include <QString>
#include <string>

namespace vrt {

// Capacities count characters; a longer value is cut on a character boundary (never inside
// a UTF-8 sequence or a surrogate pair).
QString clip(const QString& text, int maxChars);
std::string clipUtf8(const std::string& text, int maxChars);

// The runtime's CLIP: the text without trailing blanks.
QString clipTrailing(const QString& text);

} // namespace vrt
