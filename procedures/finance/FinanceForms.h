#pragma once
#include <QString>
#include <functional>
#include <optional>

namespace finance {

// Amounts on screen: a period between thousands, a comma before the two decimals, a leading
// minus, nothing for zero. Stored amounts are plain decimal text ("1234.56").
QString amountScreenText(const QString& stored);
// What the user typed back to stored text; nullopt when it is not a number. "1.234,56" and
// "1234,56" read the Croatian way; a lone point before one or two digits ("12.5") is taken as
// the decimal point, since a thousands group always has three.
std::optional<QString> amountFromScreen(const QString& typed);

using Translate = std::function<QString(const QString&)>;

// F_PrihodiRashodi: one income or expense entry in the PR: buffer, for GLOBALREQUEST.
// Answers (and leaves in GLOBALRESPONSE) 1 completed or 2 cancelled.
int F_PrihodiRashodi(long categoryId, int type, const Translate& translate = {});
// F_PrihodiRashodiKategorija: the category in the PRK: buffer, for GLOBALREQUEST.
int F_PrihodiRashodiKategorija(const Translate& translate = {});

} // namespace finance
