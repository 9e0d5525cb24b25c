#include "procedures/documents/ItemCalc.h"

#include <QRegularExpression>

#include <vector>

namespace business {

using vrt::Decimal;

namespace {

const Decimal kHundredth = Decimal::fromUnscaled(1, 2);

// Drops the zeros a computation's scale leaves at the end of the fraction.
Decimal trimmed(const Decimal& v)
{
    __int128 u = v.unscaled();
    int scale = v.scale();
    while (scale > 0 && u % 10 == 0) {
        u /= 10;
        --scale;
    }
    return Decimal::fromUnscaled(u, scale);
}

// The percent as a fraction, exactly (15 -> 0.15).
Decimal percentOf(const Decimal& percent)
{
    const Decimal p = trimmed(percent);
    if (p.scale() + 2 <= Decimal::MaxScale)
        return Decimal::fromUnscaled(p.unscaled(), p.scale() + 2);
    return p.divide(100, Decimal::MaxScale);
}

// The results of one step, written back only when every one fits its column.
class Writer {
public:
    explicit Writer(ItemAmounts& item) : m_item(item), m_next(item) {}
    void set(std::string ItemAmounts::*field, const Decimal& v, int chars, const char* prompt)
    {
        if (!m_outcome.ok)
            return;
        const auto text = ItemCalc::fit(v, chars);
        if (!text) {
            m_outcome = {false, QString::fromUtf8(prompt)};
            return;
        }
        m_next.*field = *text;
    }
    // A rounded amount keeps its two places ("0.00").
    void setRounded(std::string ItemAmounts::*field, const Decimal& v, int chars, const char* prompt)
    {
        if (!m_outcome.ok)
            return;
        const std::string text = v.toString();
        if (int(text.size()) > chars) {
            m_outcome = {false, QString::fromUtf8(prompt)};
            return;
        }
        m_next.*field = text;
    }
    void setText(std::string ItemAmounts::*field, const char* text) { m_next.*field = text; }
    CalcOutcome commit()
    {
        if (m_outcome.ok)
            m_item = m_next;
        return m_outcome;
    }
    void fail(const char* prompt) { m_outcome = {false, QString::fromUtf8(prompt)}; }

private:
    ItemAmounts& m_item;
    ItemAmounts m_next;
    CalcOutcome m_outcome;
};

constexpr const char* kQ = "Količina:";
constexpr const char* kP = "Cijena:";
constexpr const char* kD = "Rabat jedinično:";
constexpr const char* kR = "Rabat %:";
constexpr const char* kT = "Porez iznos:";
constexpr const char* kN = "Iznos stavke:";
constexpr const char* kG = "Iznos s PDV-om:";

// T = ROUND(S/100 × N, 0.01); G = T + N.
void taxAndGross(Writer& w, const Decimal& s, const Decimal& n)
{
    const Decimal t = (percentOf(s) * n).round(2);
    w.setRounded(&ItemAmounts::taxAmount, t, kTaxColumnChars, kT);
    w.set(&ItemAmounts::gross, t + n, kItemColumnChars, kG);
}

template <class Body>
CalcOutcome guarded(ItemAmounts& item, Body body)
{
    Writer w(item);
    try {
        body(w);
    } catch (const vrt::DecimalError&) {
        // A value beyond what the arithmetic holds fits no column either.
        w.fail(kG);
    }
    return w.commit();
}

} // namespace

Decimal ItemCalc::value(const std::string& text)
{
    if (const auto v = Decimal::parse(std::string_view(text)))
        return *v;
    return {};
}

std::optional<std::string> ItemCalc::fit(const Decimal& v, int chars)
{
    Decimal d = trimmed(v);
    std::string text = d.toString();
    while (int(text.size()) > chars && d.scale() > 0) {
        d = trimmed(d.round(d.scale() - 1, vrt::Rounding::Down));
        text = d.toString();
    }
    if (int(text.size()) > chars)
        return std::nullopt;
    return text;
}

CalcOutcome ItemCalc::calcLine(ItemAmounts& item)
{
    return guarded(item, [&](Writer& w) {
        const Decimal q = value(item.quantity), p = value(item.price), r = value(item.discountPercent),
                      s = value(item.taxRate);
        const Decimal line = q * p;
        const Decimal d = percentOf(r) * line;
        const Decimal n = line - d;
        w.set(&ItemAmounts::discountAmount, d, kItemColumnChars, kD);
        w.set(&ItemAmounts::net, n, kItemColumnChars, kN);
        taxAndGross(w, s, n);
    });
}

CalcOutcome ItemCalc::calcLineCapPercent(ItemAmounts& item)
{
    ItemAmounts next = item;
    if (value(next.discountPercent) > Decimal(100))
        next.discountPercent = "100";
    const CalcOutcome out = calcLine(next);
    if (out.ok)
        item = next;
    return out;
}

CalcOutcome ItemCalc::calcFromDiscountAmount(ItemAmounts& item)
{
    return guarded(item, [&](Writer& w) {
        Decimal d = value(item.discountAmount);
        const Decimal q = value(item.quantity), p = value(item.price), s = value(item.taxRate);
        // The cap compares in cents, as the form's two-place working values did.
        if (d.round(2) > q.round(2) * p.round(2)) {
            d = q * p;
            w.set(&ItemAmounts::discountAmount, d, kItemColumnChars, kD);
        }
        const Decimal line = p * q;
        if (line.isZero())
            w.setText(&ItemAmounts::discountPercent, "0"); // no line to take a share of
        else
            w.set(&ItemAmounts::discountPercent, (d * Decimal(100)).divide(line, kQuotientScale), kItemColumnChars, kR);
        const Decimal n = line - d;
        w.set(&ItemAmounts::net, n, kItemColumnChars, kN);
        taxAndGross(w, s, n);
    });
}

CalcOutcome ItemCalc::calcFromNet(ItemAmounts& item)
{
    return guarded(item, [&](Writer& w) {
        const Decimal q = value(item.quantity), s = value(item.taxRate), n = value(item.net);
        w.setText(&ItemAmounts::discountAmount, "0");
        w.setText(&ItemAmounts::discountPercent, "0");
        w.set(&ItemAmounts::net, n, kItemColumnChars, kN);
        taxAndGross(w, s, n);
        // Without a quantity there is no price per unit: the typed price stays.
        if (!q.isZero())
            w.set(&ItemAmounts::price, n.divide(q, kQuotientScale), kItemColumnChars, kP);
    });
}

CalcOutcome ItemCalc::calcFromGross(ItemAmounts& item)
{
    return guarded(item, [&](Writer& w) {
        const Decimal q = value(item.quantity), s = value(item.taxRate), g = value(item.gross);
        const Decimal k = (Decimal(1) + percentOf(s)).round(4);
        // A rate of -100 % leaves no ratio: the whole gross is net.
        const Decimal h = k.isZero() ? Decimal() : s.divide(k, 4).round(6);
        const Decimal n = g - percentOf(h) * g;
        w.setText(&ItemAmounts::discountAmount, "0");
        w.setText(&ItemAmounts::discountPercent, "0");
        w.set(&ItemAmounts::net, n, kItemColumnChars, kN);
        const Decimal t = (g - n).round(2);
        w.setRounded(&ItemAmounts::taxAmount, t, kTaxColumnChars, kT);
        if (!q.isZero())
            w.set(&ItemAmounts::price, n.divide(q, kQuotientScale), kItemColumnChars, kP);
        w.set(&ItemAmounts::gross, t + n, kItemColumnChars, kG);
    });
}

CalcOutcome ItemCalc::apply(ItemAmounts& item, ItemField edited)
{
    // A typed value itself must fit before anything is computed from it.
    const std::pair<std::string ItemAmounts::*, const char*> typed[] = {
        {&ItemAmounts::quantity, kQ}, {&ItemAmounts::price, kP},      {&ItemAmounts::discountAmount, kD},
        {&ItemAmounts::discountPercent, kR}, {&ItemAmounts::taxRate, "Porez stopa %:"}, {&ItemAmounts::net, kN},
        {&ItemAmounts::gross, kG}};
    const auto& [field, prompt] = typed[int(edited)];
    const int chars = edited == ItemField::TaxRate ? kTaxColumnChars : kItemColumnChars;
    if (int((item.*field).size()) > chars)
        return {false, QString::fromUtf8(prompt)};
    switch (edited) {
    case ItemField::Quantity:
    case ItemField::Price:
    case ItemField::TaxRate: return calcLine(item);
    case ItemField::DiscountPercent: return calcLineCapPercent(item);
    case ItemField::DiscountAmount: return calcFromDiscountAmount(item);
    case ItemField::Net: return calcFromNet(item);
    case ItemField::Gross: return calcFromGross(item);
    }
    return {};
}

Decimal sumTexts(const std::vector<std::string>& texts)
{
    Decimal sum;
    for (const auto& t : texts)
        sum += ItemCalc::value(t);
    return sum;
}

QString formatAmount(const std::string& text)
{
    const Decimal v = ItemCalc::value(text).round(2);
    if (v.isZero())
        return {};
    return v.format(2, u',', u'.');
}

QString formatPercent(const std::string& text)
{
    const Decimal v = ItemCalc::value(text).round(2);
    if (v.isZero())
        return {};
    return v.format(2, u',') + QStringLiteral(" %");
}

std::optional<std::string> parseAmount(const QString& input)
{
    QString text = input.trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    text = text.trimmed();
    if (text.isEmpty())
        return std::string("0");
    std::optional<Decimal> v;
    if (text.contains(QLatin1Char(','))) {
        v = Decimal::parse(QStringView(text), u',', u'.');
    } else {
        // Without a comma a point is grouping only where every group after it has three digits.
        static const QRegularExpression grouped(QStringLiteral("^[-\\x{2212}]?\\d{1,3}(\\.\\d{3})+$"));
        v = grouped.match(text).hasMatch() ? Decimal::parse(QStringView(text), u',', u'.')
                                           : Decimal::parse(QStringView(text), u'.');
    }
    if (!v)
        return std::nullopt;
    return v->toString();
}

} // namespace business
