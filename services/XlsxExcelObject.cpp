#include "services/XlsxExcelObject.h"

#include "services/OfficeAutomation.h"
#include "services/XlsxWorkbook.h"

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QLocale>

namespace office {

namespace {

// "B" or "3" names a whole column or row: as a range it is "B:B" or "3:3".
QString spanOf(const QString& a) { return a.contains(QLatin1Char(':')) ? a : a + QLatin1Char(':') + a; }

// Cells written by one value write at most: a whole column would be a million.
constexpr qint64 CellWriteLimit = 100000;

const std::pair<int, const char*> HorizontalNames[] = {{-4131, "left"},  {-4108, "center"}, {-4152, "right"},
                                                       {-4130, "justify"}, {5, "fill"},      {7, "centerContinuous"},
                                                       {-4117, "distributed"}, {1, ""}};
const std::pair<int, const char*> VerticalNames[] = {{-4160, "top"}, {-4108, "center"}, {-4107, "bottom"},
                                                     {-4130, "justify"}, {-4117, "distributed"}};
// Border edges by number, and line style and weight to the file's border styles.
const std::pair<int, const char*> EdgeNames[] = {{5, "diagonalDown"}, {6, "diagonalUp"}, {7, "left"},   {8, "top"},
                                                 {9, "bottom"},       {10, "right"},     {11, "insideV"}, {12, "insideH"}};

QString borderStyle(long line, long weight)
{
    if (line == -4142 || line == 0)
        return {};
    const bool medium = weight == -4138, thick = weight == 4, hair = weight == 1;
    switch (line) {
    case -4115: return medium ? QStringLiteral("mediumDashed") : QStringLiteral("dashed");
    case -4118: return hair ? QStringLiteral("hair") : QStringLiteral("dotted");
    case -4119: return QStringLiteral("double");
    case 4: return medium ? QStringLiteral("mediumDashDot") : QStringLiteral("dashDot");
    case 5: return medium ? QStringLiteral("mediumDashDotDot") : QStringLiteral("dashDotDot");
    case 13: return QStringLiteral("slantDashDot");
    default: return thick ? QStringLiteral("thick") : medium ? QStringLiteral("medium") : hair ? QStringLiteral("hair") : QStringLiteral("thin");
    }
}

std::pair<long, long> lineAndWeight(const QString& style)
{
    if (style.isEmpty())
        return {-4142, 2};
    if (style == QLatin1String("double"))
        return {-4119, 4};
    if (style.contains(QLatin1String("DashDotDot"), Qt::CaseInsensitive))
        return {5, style.startsWith(QLatin1String("medium")) ? -4138 : 2};
    if (style.contains(QLatin1String("DashDot"), Qt::CaseInsensitive))
        return {style == QLatin1String("slantDashDot") ? 13 : 4, style.startsWith(QLatin1String("medium")) ? -4138 : 2};
    if (style.contains(QLatin1String("ashed")))
        return {-4115, style.startsWith(QLatin1String("medium")) ? -4138 : 2};
    if (style == QLatin1String("dotted"))
        return {-4118, 2};
    if (style == QLatin1String("hair"))
        return {1, 1};
    return {1, style == QLatin1String("thick") ? 4 : style == QLatin1String("medium") ? -4138 : 2};
}

// A colour index of the spreadsheet palette (1-56) to the file's indexed colours (8-63).
std::optional<QString> indexColour(long index)
{
    if (index == -4105 || index == 0)
        return QStringLiteral("auto");
    if (index == -4142)
        return QString();
    if (index >= 1 && index <= 56)
        return QStringLiteral("indexed:%1").arg(index + 7);
    return std::nullopt;
}

long colourIndexOf(const QString& colour)
{
    if (colour.startsWith(QLatin1String("indexed:")))
        return colour.mid(8).toLong() - 7;
    return colour.isEmpty() ? -4105 : 0;
}

// The colour numbers of the protocol are red + 256 * green + 65536 * blue.
QString rgbColour(long bgr)
{
    const long rgb = ((bgr & 0xff) << 16) | (bgr & 0xff00) | ((bgr >> 16) & 0xff);
    return QStringLiteral("rgb:FF") + QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QString flagText(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }

QString number(double v) { return QLocale::c().toString(v, 'g', 15); }

class XlsxExcelObject : public AutomationObject {
public:
    QString read(const QString& path) override;
    void write(const QString& path, const QVariant& value) override;

private:
    struct Target {
        CellRect rect;
        bool columns = false, rows = false;
        size_t next = 0; // the first member after the target
    };
    XlsxWorkbook* book()
    {
        if (m_books.empty()) {
            fail(QStringLiteral("no active workbook"));
            return nullptr;
        }
        return m_books.back().get();
    }
    bool resolve(const std::vector<PathMember>& m, Target* t);
    QString readTarget(const Target& t, const std::vector<PathMember>& m, const QString& path);
    void writeTarget(const Target& t, const std::vector<PathMember>& m, const QVariant& value, const QString& path);
    void setValue(XlsxWorkbook* b, const QString& ref, const QVariant& value, bool formula);
    QString command(const std::vector<PathMember>& m, const QString& path);
    QString sheets(const std::vector<PathMember>& m, size_t at, const QVariant* value);
    void select(const CellRect& r)
    {
        m_selection = r;
        m_active = {r.top, r.left, r.top, r.left};
    }
    void unsupported(const QString& path) { fail(QStringLiteral("unsupported automation path: ") + path); }
    void notAvailable(const QString& what) { fail(QStringLiteral("not available: ") + what); }
    void resetSelection()
    {
        m_selection = m_active = CellRect{};
    }
    void paste();

    std::vector<std::unique_ptr<XlsxWorkbook>> m_books;
    CellRect m_selection, m_active;
    bool m_visible = false, m_alerts = true, m_updating = true;
    int m_windowState = -4143;
    std::shared_ptr<XlsxWorkbook::Clip> m_clip;
    std::optional<CellRect> m_cut;
    QString m_clipText; // what our copy put on the clipboard
};

bool XlsxExcelObject::resolve(const std::vector<PathMember>& m, Target* t)
{
    if (m.empty())
        return false;
    const QString& head = m[0].name;
    auto named = [&](const char* n) { return head.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    t->next = 1;
    if (named("Range") && m[0].args.size() == 1)
        return XlsxWorkbook::parseRange(m[0].args[0], &t->rect);
    if (named("Cells") && m[0].args.size() == 2) {
        const int r = m[0].args[0].toInt(), c = m[0].args[1].toInt();
        if (r < 1 || c < 1 || r > 1048576 || c > 16384)
            return false;
        t->rect = {r, c, r, c};
        return true;
    }
    if (named("Cells") && !m[0].hasArgs) {
        t->rect = {1, 1, 1048576, 16384};
        return true;
    }
    if (named("Columns") && m[0].args.size() == 1) {
        const QString a = m[0].arg(0);
        int c = 0;
        if (m[0].isText(0)) {
            CellRect r;
            if (!XlsxWorkbook::parseRange(spanOf(a), &r))
                return false;
            t->rect = r;
        } else if ((c = a.toInt()) >= 1 && c <= 16384) {
            t->rect = {1, c, 1048576, c};
        } else {
            return false;
        }
        t->columns = true;
        return true;
    }
    if (named("Rows") && m[0].args.size() == 1) {
        const QString a = m[0].arg(0);
        CellRect r;
        if (!XlsxWorkbook::parseRange(spanOf(a), &r) || r.right != 16384)
            return false;
        t->rect = r;
        t->rows = true;
        return true;
    }
    if (named("Selection") || named("ActiveCell")) {
        t->rect = named("Selection") ? m_selection : m_active;
        // "Selection.Columns.ColumnWidth", "Selection.Rows.AutoFit"
        if (m.size() > 2 && m[1].name.compare(QLatin1String("Columns"), Qt::CaseInsensitive) == 0 && !m[1].hasArgs)
            t->columns = true, t->next = 2;
        else if (m.size() > 2 && m[1].name.compare(QLatin1String("Rows"), Qt::CaseInsensitive) == 0 && !m[1].hasArgs)
            t->rows = true, t->next = 2;
        else {
            t->columns = t->rect.top == 1 && t->rect.bottom == 1048576;
            t->rows = t->rect.left == 1 && t->rect.right == 16384;
        }
        return true;
    }
    return false;
}

void XlsxExcelObject::setValue(XlsxWorkbook* b, const QString& ref, const QVariant& value, bool formula)
{
    bool done = false;
    if (value.userType() == qMetaTypeId<CellNumber>())
        done = b->setNumber(ref, value.value<CellNumber>().decimal);
    else if (value.userType() == QMetaType::QDate)
        done = b->setDate(ref, value.toDate());
    else if (value.userType() == QMetaType::Int || value.userType() == QMetaType::LongLong)
        done = b->setNumber(ref, QString::number(value.toLongLong()));
    else if (value.userType() == QMetaType::Double)
        done = b->setNumber(ref, number(value.toDouble()));
    else if (formula && value.toString().trimmed().startsWith(QLatin1Char('=')))
        done = b->setFormula(ref, value.toString());
    else // a text is literal, whatever it begins with
        done = b->setText(ref, value.toString());
    if (!done)
        fail(b->error());
}

QString XlsxExcelObject::readTarget(const Target& t, const std::vector<PathMember>& m, const QString& path)
{
    XlsxWorkbook* b = book();
    if (!b)
        return {};
    const size_t i = t.next;
    auto rest = [&](std::initializer_list<const char*> names) { return is(m, names, i); };
    if (rest({"Select"})) {
        select(t.rect);
        return QStringLiteral("True");
    }
    if (rest({"Value"}) || rest({"FormulaR1C1"}) || rest({"Formula"}) || rest({"Text"}))
        return b->cellValue(XlsxWorkbook::columnName(t.rect.left) + QString::number(t.rect.top));
    const CellStyle s = b->styleAt(t.rect.top, t.rect.left);
    if (rest({"Font", "Bold"}))
        return flagText(s.bold);
    if (rest({"Font", "Italic"}))
        return flagText(s.italic);
    if (rest({"Font", "Name"}))
        return s.fontName;
    if (rest({"Font", "Size"}))
        return number(s.fontSize);
    if (rest({"Font", "Underline"}))
        return QString::number(s.underline.isEmpty() ? -4142 : s.underline == QLatin1String("double") ? -4119 : 2);
    if (rest({"Font", "ColorIndex"}))
        return QString::number(colourIndexOf(s.fontColour));
    if (rest({"Interior", "ColorIndex"}))
        return QString::number(s.fillColour.isEmpty() ? -4142 : colourIndexOf(s.fillColour));
    if (rest({"WrapText"}))
        return flagText(s.wrap);
    if (rest({"Locked"}))
        return flagText(s.locked);
    if (rest({"NumberFormat"}))
        return s.numberFormat;
    if (rest({"HorizontalAlignment"})) {
        for (const auto& [n, name] : HorizontalNames)
            if (s.horizontal == QLatin1String(name))
                return QString::number(n);
        return QStringLiteral("1");
    }
    if (rest({"VerticalAlignment"})) {
        for (const auto& [n, name] : VerticalNames)
            if (s.vertical == QLatin1String(name))
                return QString::number(n);
        return QStringLiteral("-4107");
    }
    if (rest({"MergeCells"}))
        return flagText(b->isMerged(t.rect));
    if (rest({"ColumnWidth"})) {
        const double w = b->columnWidth(t.rect.left);
        return number(w > 0 ? w : 8.43);
    }
    if (rest({"RowHeight"})) {
        const double h = b->rowHeight(t.rect.top);
        return number(h > 0 ? h : 15);
    }
    if (m.size() == i + 2 && m[i].name.compare(QLatin1String("Borders"), Qt::CaseInsensitive) == 0) {
        QString edge;
        for (const auto& [n, name] : EdgeNames)
            if (m[i].arg(0).toInt() == n)
                edge = QString::fromLatin1(name);
        const CellStyle corner = edge == QLatin1String("bottom") || edge == QLatin1String("right")
                                     ? b->styleAt(std::min(t.rect.bottom, b->usedRange().bottom), std::min(t.rect.right, b->usedRange().right))
                                     : s;
        const QString style = corner.borders.count(edge) ? corner.borders.at(edge) : QString();
        const auto [line, weight] = lineAndWeight(style);
        if (m[i + 1].name.compare(QLatin1String("LineStyle"), Qt::CaseInsensitive) == 0)
            return QString::number(line);
        if (m[i + 1].name.compare(QLatin1String("Weight"), Qt::CaseInsensitive) == 0)
            return QString::number(weight);
    }
    // Commands on a target
    if (rest({"Merge"})) {
        b->merge(t.rect, true);
        return QStringLiteral("True");
    }
    if (rest({"UnMerge"})) {
        b->merge(t.rect, false);
        return QStringLiteral("True");
    }
    if (rest({"AutoFit"})) {
        if (t.columns)
            b->autoFitColumns(t.rect.left, t.rect.right);
        else if (t.rows)
            b->autoFitRows(t.rect.top, t.rect.bottom);
        else
            unsupported(path);
        return QStringLiteral("True");
    }
    if (rest({"Insert"})) {
        if (t.rows)
            b->insertRows(t.rect.top, t.rect.bottom - t.rect.top + 1);
        else if (t.columns)
            b->insertColumns(t.rect.left, t.rect.right - t.rect.left + 1);
        else
            notAvailable(QStringLiteral("inserting cells other than whole rows or columns"));
        return QStringLiteral("True");
    }
    if (rest({"AutoFilter"})) {
        b->setAutoFilter(t.rect);
        return QStringLiteral("True");
    }
    if (rest({"Copy"}) || rest({"Cut"})) {
        m_clip = b->copy(t.rect);
        m_cut.reset();
        if (m[i].name.compare(QLatin1String("Cut"), Qt::CaseInsensitive) == 0)
            m_cut = t.rect;
        // Other programs get the values as tab-separated text.
        QStringList lines;
        const CellRect used = b->usedRange();
        for (int r = t.rect.top; r <= std::min(t.rect.bottom, used.bottom); ++r) {
            QStringList cells;
            for (int c = t.rect.left; c <= std::min(t.rect.right, used.right); ++c)
                cells << b->cellValue(XlsxWorkbook::columnName(c) + QString::number(r));
            lines << cells.join(QLatin1Char('\t'));
        }
        m_clipText = lines.join(QLatin1Char('\n'));
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::clipboard()->setText(m_clipText);
        return QStringLiteral("True");
    }
    if (rest({"Paste"})) {
        select(t.rect);
        paste();
        return QStringLiteral("True");
    }
    if (rest({"Replace"}) && m[i].args.size() >= 2) {
        b->replaceText(m[i].args[0], m[i].args[1]);
        return QStringLiteral("True");
    }
    if (rest({"AutoFormat"})) {
        notAvailable(QStringLiteral("automatic table formats"));
        return {};
    }
    unsupported(path);
    return {};
}

void XlsxExcelObject::paste()
{
    XlsxWorkbook* b = book();
    if (!b)
        return;
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const QString text = gui ? QGuiApplication::clipboard()->text() : m_clipText;
    if (m_clip && text == m_clipText) {
        if (m_cut) {
            b->clearCells(*m_cut);
            m_cut.reset();
        }
        b->paste(*m_clip, m_active.top, m_active.left);
        return;
    }
    if (text.isEmpty())
        return fail(QStringLiteral("nothing to paste"));
    // Text from elsewhere: numbers become numbers, and "=..." is a formula, as the text asks.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype r = 0; r < lines.size(); ++r) {
        const QStringList fields = QString(lines[r]).remove(QLatin1Char('\r')).split(QLatin1Char('\t'));
        for (qsizetype c = 0; c < fields.size(); ++c) {
            const QString ref = XlsxWorkbook::columnName(m_active.left + int(c)) + QString::number(m_active.top + int(r));
            bool isNumber = false;
            QLocale::c().toDouble(fields[c].trimmed(), &isNumber);
            if (isNumber && b->setNumber(ref, fields[c].trimmed()))
                continue;
            setValue(b, ref, fields[c], true);
        }
    }
}

void XlsxExcelObject::writeTarget(const Target& t, const std::vector<PathMember>& m, const QVariant& value, const QString& path)
{
    XlsxWorkbook* b = book();
    if (!b)
        return;
    const size_t i = t.next;
    auto rest = [&](std::initializer_list<const char*> names) { return is(m, names, i); };
    if (rest({"Value"}) || rest({"FormulaR1C1"}) || rest({"Formula"})) {
        const bool formula = m[i].name.compare(QLatin1String("Formula"), Qt::CaseInsensitive) == 0;
        const qint64 count = qint64(t.rect.bottom - t.rect.top + 1) * (t.rect.right - t.rect.left + 1);
        if (count > CellWriteLimit)
            return fail(QStringLiteral("too many cells for one value: ") + path);
        for (int r = t.rect.top; r <= t.rect.bottom; ++r)
            for (int c = t.rect.left; c <= t.rect.right; ++c)
                setValue(b, XlsxWorkbook::columnName(c) + QString::number(r), value, formula);
        return;
    }
    const QString text = value.toString();
    const long n = toLong(text);
    StylePatch p;
    if (rest({"ColumnWidth"}))
        return b->setColumnWidth(t.rect.left, t.rect.right, QLocale::c().toDouble(text));
    if (rest({"RowHeight"}))
        return b->setRowHeight(t.rect.top, t.rect.bottom, QLocale::c().toDouble(text));
    if (rest({"MergeCells"}))
        return b->merge(t.rect, toFlag(value));
    if (rest({"Font", "Bold"}))
        p.bold = toFlag(value);
    else if (rest({"Font", "Italic"}))
        p.italic = toFlag(value);
    else if (rest({"Font", "Name"}))
        p.fontName = text;
    else if (rest({"Font", "Size"}))
        p.fontSize = QLocale::c().toDouble(text);
    else if (rest({"Font", "Underline"}))
        p.underline = n == -4119 ? QStringLiteral("double") : (n == -4142 || n == 0) ? QString() : QStringLiteral("single");
    else if (rest({"Font", "ColorIndex"})) {
        const auto c = indexColour(n);
        if (!c)
            return fail(QStringLiteral("not a colour index: ") + text);
        p.fontColour = *c == QLatin1String("auto") ? QString() : *c;
    } else if (rest({"Font", "Color"}))
        p.fontColour = rgbColour(n);
    else if (rest({"Interior", "ColorIndex"})) {
        const auto c = indexColour(n);
        if (!c)
            return fail(QStringLiteral("not a colour index: ") + text);
        p.fillColour = *c == QLatin1String("auto") ? QString() : *c;
    } else if (rest({"Interior", "Color"}))
        p.fillColour = rgbColour(n);
    else if (rest({"WrapText"}))
        p.wrap = toFlag(value);
    else if (rest({"Locked"}))
        p.locked = toFlag(value);
    else if (rest({"NumberFormat"}))
        p.numberFormat = text;
    else if (rest({"HorizontalAlignment"}) || rest({"VerticalAlignment"})) {
        const bool h = m[i].name.compare(QLatin1String("HorizontalAlignment"), Qt::CaseInsensitive) == 0;
        std::optional<QString> name;
        for (const auto& [k, v] : h ? std::vector(std::begin(HorizontalNames), std::end(HorizontalNames))
                                    : std::vector(std::begin(VerticalNames), std::end(VerticalNames)))
            if (k == n)
                name = QString::fromLatin1(v);
        if (!name)
            return fail(QStringLiteral("not an alignment: ") + text);
        (h ? p.horizontal : p.vertical) = *name;
    } else if (m.size() == i + 2 && m[i].name.compare(QLatin1String("Borders"), Qt::CaseInsensitive) == 0) {
        QString edge;
        for (const auto& [k, name] : EdgeNames)
            if (m[i].arg(0).toInt() == k)
                edge = QString::fromLatin1(name);
        if (edge.isEmpty())
            return fail(QStringLiteral("not a border: ") + m[i].arg(0));
        const QString member = m[i + 1].name.toLower();
        // Line style and weight arrive one by one: each keeps what the other set.
        const CellStyle s = b->styleAt(t.rect.top, t.rect.left);
        const QString sideName = edge == QLatin1String("insideV") ? QStringLiteral("left") : edge == QLatin1String("insideH") ? QStringLiteral("top") : edge;
        auto [line, weight] = lineAndWeight(s.borders.count(sideName) ? s.borders.at(sideName) : QString());
        StylePatch::Edge e{edge, std::nullopt, std::nullopt};
        if (member == QLatin1String("linestyle"))
            e.style = borderStyle(n, weight);
        else if (member == QLatin1String("weight"))
            e.style = borderStyle(line == -4142 ? 1 : line, n);
        else if (member == QLatin1String("colorindex")) {
            const auto c = indexColour(n);
            if (!c)
                return fail(QStringLiteral("not a colour index: ") + text);
            e.colour = *c == QLatin1String("auto") ? QString() : *c;
        } else if (member == QLatin1String("color"))
            e.colour = rgbColour(n);
        else
            return unsupported(path);
        p.edges.push_back(e);
    } else
        return unsupported(path);
    if (!b->applyStyle(t.rect, p))
        fail(b->error());
}

QString XlsxExcelObject::sheets(const std::vector<PathMember>& m, size_t at, const QVariant* value)
{
    XlsxWorkbook* b = book();
    if (!b)
        return {};
    int index = b->activeSheet();
    if (m[0].name.compare(QLatin1String("ActiveSheet"), Qt::CaseInsensitive) != 0) {
        if (m[0].hasArgs) {
            index = m[0].isText(0) ? b->sheetIndex(m[0].arg(0)) : m[0].arg(0).toInt() - 1;
            if (index < 0 || index >= b->sheetCount()) {
                fail(QStringLiteral("no such sheet: ") + m[0].arg(0));
                return {};
            }
        } else {
            // The collection itself
            if (is(m, {"Count"}, 1))
                return QString::number(b->sheetCount());
            if (is(m, {"Add"}, 1)) {
                if (!b->addSheet())
                    fail(b->error());
                resetSelection();
                return QStringLiteral("True");
            }
            fail(QStringLiteral("unsupported automation path: ") + m[0].name + QStringLiteral("..."));
            return {};
        }
    }
    auto member = [&](const char* n) { return m.size() == at + 1 && m[at].name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (value) {
        if (member("Name") && !b->setSheetName(index, value->toString()))
            fail(b->error());
        else if (!member("Name"))
            fail(QStringLiteral("unsupported automation path: sheet member ") + (at < m.size() ? m[at].name : QString()));
        return {};
    }
    if (member("Name"))
        return b->sheetName(index);
    if (member("Index"))
        return QString::number(index + 1);
    if (member("Select") || member("Activate")) {
        b->selectSheet(index);
        resetSelection();
        return QStringLiteral("True");
    }
    if (member("Delete")) {
        if (!b->deleteSheet(index))
            fail(b->error());
        resetSelection();
        return QStringLiteral("True");
    }
    if (member("Protect")) {
        b->selectSheet(index);
        b->protect(m[at].arg(0));
        return QStringLiteral("True");
    }
    if (member("Paste")) {
        paste();
        return QStringLiteral("True");
    }
    if (member("PrintOut")) {
        notAvailable(QStringLiteral("printing a workbook needs a spreadsheet program; open the saved file and print it there"));
        return {};
    }
    fail(QStringLiteral("unsupported automation path: sheet member ") + (at < m.size() ? m[at].name : QString()));
    return {};
}

QString XlsxExcelObject::command(const std::vector<PathMember>& m, const QString& path)
{
    auto app = [&](std::initializer_list<const char*> names) {
        return is(m, names) || (!m.empty() && m[0].name.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0 && is(m, names, 1));
    };
    if (is(m, {"Application", "Version"}))
        return QStringLiteral("16.0");
    if (is(m, {"Application", "Activate"}))
        return QStringLiteral("True");
    if (app({"Visible"}))
        return flagText(m_visible);
    if (app({"DisplayAlerts"}))
        return flagText(m_alerts);
    if (app({"ScreenUpdating"}))
        return flagText(m_updating);
    if (app({"WindowState"}))
        return QString::number(m_windowState);
    if (app({"CentimetersToPoints"}))
        return number(QLocale::c().toDouble(m.back().arg(0)) * 72.0 / 2.54);
    if (app({"International"})) {
        switch (m.back().arg(0).toInt()) {
        case 1: return QStringLiteral("1");
        case 3: return QStringLiteral(".");
        case 4: return QStringLiteral(",");
        default: notAvailable(QStringLiteral("that regional setting")); return {};
        }
    }
    if (app({"Workbooks", "Add"})) {
        auto b = std::make_unique<XlsxWorkbook>();
        if (m.back().args.isEmpty())
            b->create();
        else if (!b->open(m.back().arg(0))) {
            fail(b->error());
            return {};
        }
        m_books.push_back(std::move(b));
        resetSelection();
        return QStringLiteral("Book%1").arg(m_books.size());
    }
    if (app({"Workbooks", "Open"})) {
        if (!m.back().arg(4).isEmpty()) {
            notAvailable(QStringLiteral("password-protected workbooks"));
            return {};
        }
        auto b = std::make_unique<XlsxWorkbook>();
        if (!b->open(m.back().arg(0))) {
            fail(b->error());
            return {};
        }
        m_books.push_back(std::move(b));
        resetSelection();
        return QStringLiteral("Book%1").arg(m_books.size());
    }
    if (app({"Workbooks", "Count"}))
        return QString::number(m_books.size());
    if (app({"ActiveWorkbook", "SaveAs"})) {
        const PathMember& a = m.back();
        XlsxWorkbook* b = book();
        if (!b)
            return {};
        const long format = a.arg(1).isEmpty() ? 51 : a.arg(1).toLong();
        if (format != 51 && format != 0) {
            notAvailable(QStringLiteral("workbooks are written as .xlsx only"));
            return {};
        }
        if (!a.arg(2).trimmed().remove(QLatin1Char('"')).isEmpty() || !a.arg(4).trimmed().remove(QLatin1Char('"')).isEmpty()) {
            notAvailable(QStringLiteral("password-protected workbooks"));
            return {};
        }
        if (!b->saveAs(a.arg(0)))
            fail(b->error());
        return QStringLiteral("True");
    }
    if (app({"ActiveWindow", "Close"}) || app({"ActiveWorkbook", "Close"})) {
        if (!m_books.empty())
            m_books.pop_back();
        resetSelection();
        return QStringLiteral("True");
    }
    if (is(m, {"Quit"}) || is(m, {"Application", "Quit"})) {
        m_books.clear();
        return QStringLiteral("True");
    }
    if (app({"Goto"})) {
        CellRect r;
        if (!XlsxWorkbook::parseRange(m.back().arg(0), &r)) {
            fail(QStringLiteral("not a cell: ") + m.back().arg(0));
            return {};
        }
        select(r);
        return QStringLiteral("True");
    }
    if (app({"Run"})) {
        notAvailable(QStringLiteral("workbooks run no macros here"));
        return {};
    }
    if (!m.empty() && (m[0].name.startsWith(QLatin1String("Chart"), Qt::CaseInsensitive)
                       || m[0].name.compare(QLatin1String("ActiveChart"), Qt::CaseInsensitive) == 0)) {
        notAvailable(QStringLiteral("charts are not written to workbooks"));
        return {};
    }
    size_t from = m.size() > 1 && m[0].name.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0 ? 1 : 0;
    if (m.size() > from) {
        const QString& n = m[from].name;
        if (n.compare(QLatin1String("Sheets"), Qt::CaseInsensitive) == 0 || n.compare(QLatin1String("Worksheets"), Qt::CaseInsensitive) == 0
            || n.compare(QLatin1String("ActiveSheet"), Qt::CaseInsensitive) == 0) {
            const std::vector<PathMember> rest(m.begin() + long(from), m.end());
            return sheets(rest, 1, nullptr);
        }
    }
    Target t;
    if (resolve(m, &t) && m.size() > t.next)
        return readTarget(t, m, path);
    unsupported(path);
    return {};
}

QString XlsxExcelObject::read(const QString& path)
{
    bool ok = false;
    const auto m = parsePath(path, &ok);
    if (!ok || m.empty()) {
        fail(QStringLiteral("malformed automation path: ") + path);
        return {};
    }
    return command(m, path);
}

void XlsxExcelObject::write(const QString& path, const QVariant& value)
{
    bool ok = false;
    auto m = parsePath(path, &ok);
    if (!ok || m.empty())
        return fail(QStringLiteral("malformed automation path: ") + path);
    if (m.size() > 1 && m[0].name.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0)
        m.erase(m.begin());
    if (is(m, {"Visible"}))
        m_visible = toFlag(value);
    else if (is(m, {"DisplayAlerts"}))
        m_alerts = toFlag(value);
    else if (is(m, {"ScreenUpdating"}))
        m_updating = toFlag(value);
    else if (is(m, {"WindowState"}))
        m_windowState = int(toLong(value.toString()));
    else if (m[0].name.compare(QLatin1String("ActiveChart"), Qt::CaseInsensitive) == 0)
        notAvailable(QStringLiteral("charts are not written to workbooks"));
    else if (m.size() == 3 && is({m[0], m[1]}, {"ActiveSheet", "PageSetup"})) {
        XlsxWorkbook* b = book();
        if (!b)
            return;
        const QString member = m[2].name.toLower();
        if (member == QLatin1String("papersize"))
            b->setPaper(int(toLong(value.toString())));
        else if (member == QLatin1String("orientation"))
            b->setOrientation(int(toLong(value.toString())));
        else if (member.endsWith(QLatin1String("margin")))
            b->setMargin(member.chopped(6), QLocale::c().toDouble(value.toString()));
        else if (member.endsWith(QLatin1String("header")) || member.endsWith(QLatin1String("footer")))
            b->setHeaderFooter(m[2].name, value.toString());
        else
            unsupported(path);
    } else if (m[0].name.compare(QLatin1String("Sheets"), Qt::CaseInsensitive) == 0
               || m[0].name.compare(QLatin1String("Worksheets"), Qt::CaseInsensitive) == 0
               || m[0].name.compare(QLatin1String("ActiveSheet"), Qt::CaseInsensitive) == 0) {
        sheets(m, 1, &value);
    } else {
        Target t;
        if (resolve(m, &t) && m.size() > t.next)
            writeTarget(t, m, value, path);
        else
            unsupported(path);
    }
}

} // namespace

AutomationObject* makeExcelObject() { return new XlsxExcelObject; }

} // namespace office
