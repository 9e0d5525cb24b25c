#pragma once
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "runtime/Decimal.h"

// The arithmetic of one line item of an outgoing document and the Croatian screen forms of
// its amounts. No widgets and no database here: the item form and the tests drive it alike.
namespace business {

// The amounts of an item as the database holds them: decimal text, "." as the point, no
// grouping. Text that holds no number counts as zero.
struct ItemAmounts {
    std::string quantity;        // Q  IDS:KOLICINA_DECIMAL
    std::string price;           // P  IDS:CIJENA_DECIMAL
    std::string discountAmount;  // D  IDS:RABAT_JED_DECIMAL (of the whole line)
    std::string discountPercent; // R  IDS:RABAT_POST_DECIMAL
    std::string taxRate;         // S  IDS:POREZ_STOPA_DECIMAL
    std::string taxAmount;       // T  IDS:POREZ_IZNOS_DECIMAL
    std::string net;             // N  IDS:IZNOS_DECIMAL
    std::string gross;           // G  IDS:IZNOS_SPDVOM_DECIMAL
};

// Which entry the user changed; each runs its own step.
enum class ItemField { Quantity, Price, DiscountAmount, DiscountPercent, TaxRate, Net, Gross };

// Characters each column holds; a result that does not fit is refused, never cut in its
// whole part.
inline constexpr int kItemColumnChars = 19; // Q, P, D, R, N, G
inline constexpr int kTaxColumnChars = 20;  // S, T
inline constexpr int kDocumentAmountChars = 29;

// Places a quotient that does not terminate keeps before it is fitted to its column.
inline constexpr int kQuotientScale = 10;

struct CalcOutcome {
    bool ok = true;
    QString field; // the prompt of the amount that did not fit ("Cijena:")
};

class ItemCalc {
public:
    // Recomputes `item` after an edit of `edited`. On failure the item is left as it was and
    // the outcome names the amount that would not fit its column.
    static CalcOutcome apply(ItemAmounts& item, ItemField edited);

    static CalcOutcome calcLine(ItemAmounts& item);
    static CalcOutcome calcLineCapPercent(ItemAmounts& item);
    static CalcOutcome calcFromDiscountAmount(ItemAmounts& item);
    static CalcOutcome calcFromNet(ItemAmounts& item);
    static CalcOutcome calcFromGross(ItemAmounts& item);

    // The value of decimal text; zero for text that holds no number.
    static vrt::Decimal value(const std::string& text);
    // Canonical text of a computed value fitted to `chars`: trailing zeros of the fraction
    // dropped, then fraction digits cut while it is too long; nullopt when even the whole
    // part does not fit.
    static std::optional<std::string> fit(const vrt::Decimal& v, int chars);
};

// Exact sum of decimal texts (the document's amount is the sum of its items' gross amounts).
vrt::Decimal sumTexts(const std::vector<std::string>& texts);

// "1.234,56" with a leading minus; empty for zero. Rounded half away from zero to cents.
QString formatAmount(const std::string& text);
// "15,00 %"; empty for zero.
QString formatPercent(const std::string& text);
// What the user typed, read back through the same forms: "1.234,56", "1234,56", "-3,5",
// "15,00 %", "3.33" (a point with other than three digits after it is the decimal point).
// Empty text is zero ("0"). nullopt for text that is no number.
std::optional<std::string> parseAmount(const QString& text);

} // namespace business
