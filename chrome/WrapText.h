#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace MH {

// The width of a piece of text in pixels.
using TextMeasurer = std::function<int(QStringView)>;

// Cuts `text` into one line for each width of `widths`: after the last whole word that fits,
// at a carriage return (a following line feed goes with it), or inside a word wider than the
// line. Blanks at a break are not carried to the next line. Every line takes at least one
// character, so a column narrower than a letter still shows the text, a letter a line. Lines
// past the end of the text are empty; text left after the last line is not shown.
QStringList wrapLines(const QString& text, const std::vector<int>& widths, const TextMeasurer& measure);

} // namespace MH
