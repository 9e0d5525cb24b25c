#include "services/XlsxWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <pugixml.hpp>
#include <set>
#include <zip.h>

#include "protocols/ZipLimits.h"
#include "runtime/Decimal.h"
#include "runtime/PrivateFiles.h"

namespace office {

namespace {

const char* const RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const SheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
const char* const SheetRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";

const char* const SkeletonEntries[][2] = {
    {"[Content_Types].xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
     "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
     "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
     "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
     "</Types>"},
    {"_rels/.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
     "</Relationships>"},
    {"xl/workbook.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
     "<bookViews><workbookView activeTab=\"0\"/></bookViews>"
     "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
    {"xl/_rels/workbook.xml.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
     "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
     "</Relationships>"},
    {"xl/styles.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
     "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
     "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
     "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
     "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
     "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
     "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
     "</styleSheet>"},
    {"xl/worksheets/sheet1.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData/></worksheet>"},
};

const char* const EmptySheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                               "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData/></worksheet>";

// The order the schema gives the parts of a worksheet; spreadsheet programs insist on it.
const char* const WorksheetOrder[] = {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
                                      "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState",
                                      "dataConsolidate", "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting",
                                      "dataValidations", "hyperlinks", "printOptions", "pageMargins", "pageSetup", "headerFooter",
                                      "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors", "smartTags",
                                      "drawing", "legacyDrawing", "legacyDrawingHF", "picture", "oleObjects", "controls",
                                      "webPublishItems", "tableParts", "extLst"};
const char* const StylesOrder[] = {"numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                   "tableStyles", "colors", "extLst"};
const char* const FontOrder[] = {"b", "i", "strike", "condense", "extend", "outline", "shadow", "u", "vertAlign", "sz", "color",
                                 "name", "family", "charset", "scheme"};
const char* const BorderOrder[] = {"left", "right", "top", "bottom", "diagonal", "vertical", "horizontal"};

template <size_t N>
int orderOf(const char* const (&order)[N], const char* name)
{
    for (size_t i = 0; i < N; ++i)
        if (std::strcmp(order[i], name) == 0)
            return int(i);
    return int(N);
}

// The child `name` of `parent`, made at its place in `order` when missing.
template <size_t N>
pugi::xml_node orderedChild(pugi::xml_node parent, const char* name, const char* const (&order)[N])
{
    if (pugi::xml_node c = parent.child(name))
        return c;
    const int rank = orderOf(order, name);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (orderOf(order, c.name()) > rank)
            return parent.insert_child_before(name, c);
    return parent.append_child(name);
}

struct XmlWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), qsizetype(size)); }
};

QByteArray serialise(const pugi::xml_document& doc, qsizetype expected = 0)
{
    XmlWriter w;
    // Appending piece by piece to a buffer without room copies it over and over.
    w.out.reserve(std::max<qsizetype>(expected, 4096));
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return w.out;
}

std::unique_ptr<pugi::xml_document> parse(const QByteArray& bytes)
{
    auto doc = std::make_unique<pugi::xml_document>();
    if (!doc->load_buffer(bytes.constData(), size_t(bytes.size())))
        return nullptr;
    return doc;
}

void setAttr(pugi::xml_node n, const char* name, const QString& value)
{
    pugi::xml_attribute a = n.attribute(name);
    if (!a)
        a = n.append_attribute(name);
    a.set_value(value.toUtf8().constData());
}

QString attr(pugi::xml_node n, const char* name) { return QString::fromUtf8(n.attribute(name).value()); }

template <class Char>
bool parseRefChars(const Char* p, const Char* end, int* row, int* column)
{
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    if (p < end && *p == '$')
        ++p;
    int c = 0, letters = 0;
    for (; p < end && letters < 4; ++p, ++letters) {
        const int ch = int(*p) & ~0x20;
        if (ch < 'A' || ch > 'Z')
            break;
        c = c * 26 + (ch - 'A' + 1);
    }
    if (letters == 0 || letters > 3)
        return false;
    if (p < end && *p == '$')
        ++p;
    if (p == end || *p == '0')
        return false;
    long long r = 0;
    for (int digits = 0; p < end; ++p, ++digits) {
        if (*p < '0' || *p > '9' || digits >= 7)
            return false;
        r = r * 10 + (*p - '0');
    }
    if (c > 16384 || r > 1048576 || r < 1)
        return false;
    *row = int(r);
    *column = c;
    return true;
}

void refOf(pugi::xml_node cell, int* row, int* column)
{
    const char* r = cell.attribute("r").value();
    *row = *column = 0;
    parseRefChars(r, r + std::strlen(r), row, column);
}

int columnOf(pugi::xml_node cell)
{
    int r = 0, c = 0;
    refOf(cell, &r, &c);
    return c;
}

QString refName(int row, int column) { return XlsxWorkbook::columnName(column) + QString::number(row); }

// Empties a cell for a new value, keeping its style.
void clearValue(pugi::xml_node c)
{
    while (pugi::xml_node child = c.first_child())
        c.remove_child(child);
    c.remove_attribute("t");
}

QString cleanText(const QString& text)
{
    // Control characters other than tab and line ends cannot stand in XML 1.0.
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text)
        clean += (ch.unicode() < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') ? QChar(' ') : ch;
    return clean;
}

QString rectName(const CellRect& r)
{
    const QString a = refName(r.top, r.left);
    return r.top == r.bottom && r.left == r.right ? a : a + QLatin1Char(':') + refName(r.bottom, r.right);
}

const std::pair<const char*, int> BuiltinFormats[] = {{"General", 0}, {"0", 1}, {"0.00", 2}, {"#,##0", 3}, {"#,##0.00", 4},
                                                      {"0%", 9},      {"0.00%", 10}, {"0.00E+00", 11}, {"@", 49}};

// Excel's legacy sheet password hash.
QString passwordHash(const QString& password)
{
    unsigned hash = 0;
    int i = 1;
    for (QChar ch : password) {
        unsigned value = unsigned(ch.unicode()) << i++;
        const unsigned rotated = value >> 15;
        value &= 0x7fff;
        hash ^= (value | rotated);
    }
    hash ^= unsigned(password.size());
    hash ^= 0xCE4B;
    return QString::number(hash, 16).toUpper();
}

} // namespace

QString StylePatch::key() const
{
    QStringList k;
    auto o = [&](const auto& v) {
        if constexpr (std::is_same_v<std::decay_t<decltype(*v)>, bool>)
            k << (v ? QString::number(int(*v)) : QStringLiteral("~"));
        else if constexpr (std::is_same_v<std::decay_t<decltype(*v)>, double>)
            k << (v ? QString::number(*v) : QStringLiteral("~"));
        else
            k << (v ? QStringLiteral("'") + *v : QStringLiteral("~"));
    };
    o(fontName), o(fontSize), o(bold), o(italic), o(underline), o(fontColour), o(fillColour), o(numberFormat), o(horizontal),
        o(vertical), o(wrap), o(locked);
    for (const Edge& e : edges) {
        k << e.edge;
        o(e.style), o(e.colour);
    }
    return k.join(QLatin1Char('|'));
}

struct XlsxWorkbook::Sheet {
    QString name;
    QString entry;
    std::unique_ptr<pugi::xml_document> doc;
};

struct XlsxWorkbook::Clip {
    int rows = 0, columns = 0;
    pugi::xml_document cells; // <c> nodes with "dr"/"dc" offsets
};

XlsxWorkbook::XlsxWorkbook() = default;
XlsxWorkbook::~XlsxWorkbook() = default;

bool XlsxWorkbook::fail(const QString& text)
{
    m_error = text;
    return false;
}

QString XlsxWorkbook::columnName(int column)
{
    QString s;
    for (; column > 0; column = (column - 1) / 26)
        s.prepend(QChar('A' + (column - 1) % 26));
    return s;
}

bool XlsxWorkbook::parseRef(const QString& ref, int* row, int* column)
{
    return parseRefChars(ref.utf16(), ref.utf16() + ref.size(), row, column);
}

bool XlsxWorkbook::parseRange(const QString& text, CellRect* rect)
{
    // One cell is by far the most common.
    if (int r = 0, c = 0; parseRef(text, &r, &c)) {
        *rect = {r, c, r, c};
        return true;
    }
    const QString t = text.trimmed().remove(QLatin1Char('$')).toUpper();
    const QStringList parts = t.split(QLatin1Char(':'));
    if (parts.size() > 2 || t.isEmpty())
        return false;
    static const QRegularExpression letters(QStringLiteral("^[A-Z]{1,3}$")), digits(QStringLiteral("^[1-9][0-9]{0,6}$"));
    auto colNumber = [](const QString& s) {
        int c = 0;
        for (QChar ch : s)
            c = c * 26 + (ch.unicode() - 'A' + 1);
        return c;
    };
    CellRect r;
    if (parts.size() == 2 && letters.match(parts[0]).hasMatch() && letters.match(parts[1]).hasMatch()) {
        r = {1, colNumber(parts[0]), 1048576, colNumber(parts[1])};
    } else if (parts.size() == 2 && digits.match(parts[0]).hasMatch() && digits.match(parts[1]).hasMatch()) {
        r = {parts[0].toInt(), 1, parts[1].toInt(), 16384};
    } else {
        if (!parseRef(parts[0], &r.top, &r.left))
            return false;
        r.bottom = r.top, r.right = r.left;
        if (parts.size() == 2 && !parseRef(parts[1], &r.bottom, &r.right))
            return false;
    }
    if (r.bottom < r.top)
        std::swap(r.bottom, r.top);
    if (r.right < r.left)
        std::swap(r.right, r.left);
    if (r.right > 16384 || r.bottom > 1048576 || r.left < 1 || r.top < 1)
        return false;
    *rect = r;
    return true;
}

void XlsxWorkbook::create()
{
    m_entries.clear();
    m_order.clear();
    for (const auto& e : SkeletonEntries) {
        m_order.push_back(QString::fromLatin1(e[0]));
        m_entries[QString::fromLatin1(e[0])] = QByteArray(e[1]);
    }
    load();
}

bool XlsxWorkbook::open(const QString& path)
{
    m_entries.clear();
    m_order.clear();
    m_sheets.clear();
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return fail(QStringLiteral("not a workbook: ") + path);
    // A workbook can be any file a user put in place: it is read within caps, and names that
    // would climb out of a folder are refused.
    controls::CappedZipReader reader(z);
    const qint64 n = reader.checkEntries();
    for (qint64 i = 0; i < n; ++i) {
        QByteArray bytes;
        if (!reader.readAll(uint64_t(i), &bytes))
            break;
        const QString name = reader.name(uint64_t(i));
        m_order.push_back(name);
        m_entries[name] = bytes;
    }
    if (!reader.error().isEmpty()) {
        zip_close(z);
        m_entries.clear();
        m_order.clear();
        return fail(QStringLiteral("the template is refused: ") + path + QStringLiteral(": ") + reader.error());
    }
    zip_close(z);
    if (!load()) {
        m_entries.clear();
        m_order.clear();
        return fail(QStringLiteral("no worksheet in ") + path);
    }
    return true;
}

bool XlsxWorkbook::load()
{
    m_sheets.clear();
    m_styleCache.clear();
    m_shared.reset();
    m_active = 0;
    m_workbook = parse(m_entries[QStringLiteral("xl/workbook.xml")]);
    m_rels = parse(m_entries[QStringLiteral("xl/_rels/workbook.xml.rels")]);
    m_types = parse(m_entries[QStringLiteral("[Content_Types].xml")]);
    if (!m_workbook || !m_rels || !m_types || !m_workbook->child("workbook"))
        return false;
    pugi::xml_node rels = m_rels->child("Relationships");
    for (pugi::xml_node s : m_workbook->child("workbook").child("sheets").children("sheet")) {
        const std::string id = s.attribute("r:id").value();
        QString entry;
        for (pugi::xml_node rel : rels.children("Relationship"))
            if (id == rel.attribute("Id").value()) {
                const QString target = attr(rel, "Target");
                entry = target.startsWith('/') ? target.mid(1) : QStringLiteral("xl/") + target;
            }
        auto it = m_entries.find(entry);
        if (it == m_entries.end())
            continue; // a chart sheet or a part that is gone: kept as it is, not edited
        auto doc = parse(it->second);
        if (!doc || !doc->child("worksheet"))
            continue;
        if (!doc->child("worksheet").child("sheetData"))
            orderedChild(doc->child("worksheet"), "sheetData", WorksheetOrder);
        auto sheet = std::make_unique<Sheet>();
        sheet->name = attr(s, "name");
        sheet->entry = entry;
        sheet->doc = std::move(doc);
        m_sheets.push_back(std::move(sheet));
    }
    if (m_sheets.empty())
        return false;
    const int tab = m_workbook->child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int();
    m_active = std::clamp(tab, 0, int(m_sheets.size()) - 1);
    // A workbook without styles gets the plain ones, so formats have somewhere to go.
    QString stylesEntry;
    for (pugi::xml_node rel : rels.children("Relationship"))
        if (QString::fromUtf8(rel.attribute("Type").value()).endsWith(QLatin1String("/styles"))) {
            const QString target = attr(rel, "Target");
            stylesEntry = target.startsWith('/') ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    if (stylesEntry.isEmpty() || !m_entries.count(stylesEntry)) {
        stylesEntry = QStringLiteral("xl/styles.xml");
        m_entries[stylesEntry] = QByteArray(SkeletonEntries[4][1]);
        m_order.push_back(stylesEntry);
        pugi::xml_node rel = rels.append_child("Relationship");
        rel.append_attribute("Id") = "rIdVelmoraStyles";
        rel.append_attribute("Type") = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
        rel.append_attribute("Target") = "styles.xml";
        pugi::xml_node o = m_types->child("Types").append_child("Override");
        o.append_attribute("PartName") = "/xl/styles.xml";
        o.append_attribute("ContentType") = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
    }
    m_styles = parse(m_entries[stylesEntry]);
    if (!m_styles || !m_styles->child("styleSheet"))
        return false;
    m_stylesEntry = stylesEntry;
    m_error.clear();
    return true;
}

pugi::xml_node XlsxWorkbook::worksheet() const
{
    return m_sheets.empty() ? pugi::xml_node() : m_sheets[size_t(m_active)]->doc->child("worksheet");
}

pugi::xml_node XlsxWorkbook::part(const char* name) const { return orderedChild(worksheet(), name, WorksheetOrder); }

bool XlsxWorkbook::selectSheet(int index)
{
    if (index < 0 || index >= sheetCount())
        return fail(QStringLiteral("no sheet %1").arg(index + 1));
    m_active = index;
    return true;
}

int XlsxWorkbook::sheetIndex(const QString& name) const
{
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i]->name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString XlsxWorkbook::sheetName(int index) const
{
    return index >= 0 && index < sheetCount() ? m_sheets[size_t(index)]->name : QString();
}

bool XlsxWorkbook::setSheetName(int index, const QString& name)
{
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\\[\\]\\x00-\\x1f]"));
    const QString clean = QString(name).replace(refused, QStringLiteral("_")).trimmed().left(31);
    if (index < 0 || index >= sheetCount())
        return fail(QStringLiteral("no sheet %1").arg(index + 1));
    if (clean.isEmpty())
        return fail(QStringLiteral("a sheet needs a name"));
    const int other = sheetIndex(clean);
    if (other >= 0 && other != index)
        return fail(QStringLiteral("another sheet is named ") + clean);
    m_sheets[size_t(index)]->name = clean;
    return true;
}

void XlsxWorkbook::setSheetTitle(const QString& title) { setSheetName(m_active, title); }
QString XlsxWorkbook::sheetTitle() const { return sheetName(m_active); }

bool XlsxWorkbook::addSheet()
{
    if (!isOpen())
        return fail(QStringLiteral("no active workbook"));
    int n = 1;
    while (m_entries.count(QStringLiteral("xl/worksheets/sheet%1.xml").arg(n)))
        ++n;
    QString name;
    for (int k = sheetCount() + 1;; ++k)
        if (sheetIndex(name = QStringLiteral("Sheet%1").arg(k)) < 0)
            break;
    auto sheet = std::make_unique<Sheet>();
    sheet->name = name;
    sheet->entry = QStringLiteral("xl/worksheets/sheet%1.xml").arg(n);
    sheet->doc = parse(QByteArray(EmptySheet));
    m_entries[sheet->entry] = QByteArray(EmptySheet);
    m_order.push_back(sheet->entry);
    m_sheets.insert(m_sheets.begin() + m_active, std::move(sheet));
    return true;
}

bool XlsxWorkbook::deleteSheet(int index)
{
    if (index < 0 || index >= sheetCount())
        return fail(QStringLiteral("no sheet %1").arg(index + 1));
    if (sheetCount() == 1)
        return fail(QStringLiteral("a workbook keeps at least one sheet"));
    m_entries.erase(m_sheets[size_t(index)]->entry);
    m_sheets.erase(m_sheets.begin() + index);
    m_active = std::min(m_active, sheetCount() - 1);
    return true;
}

pugi::xml_node XlsxWorkbook::rowNode(int r, bool make) const
{
    pugi::xml_node data = worksheet().child("sheetData");
    if (!data)
        return {};
    pugi::xml_node last = data.last_child();
    // Filling goes down the sheet: a row past the last one is added without a search.
    if (!last || last.attribute("r").as_int() < r) {
        if (!make)
            return {};
        pugi::xml_node row = data.append_child("row");
        row.append_attribute("r") = r;
        return row;
    }
    if (last.attribute("r").as_int() == r)
        return last;
    for (pugi::xml_node x = data.child("row"); x; x = x.next_sibling("row")) {
        const int at = x.attribute("r").as_int();
        if (at == r)
            return x;
        if (at > r) {
            if (!make)
                return {};
            pugi::xml_node row = data.insert_child_before("row", x);
            row.append_attribute("r") = r;
            return row;
        }
    }
    return {};
}

pugi::xml_node XlsxWorkbook::cellAt(int r, int c, bool make) const
{
    pugi::xml_node row = rowNode(r, make);
    if (!row)
        return {};
    const std::string name = refName(r, c).toStdString();
    auto made = [&](pugi::xml_node before) {
        pugi::xml_node n = before ? row.insert_child_before("c", before) : row.append_child("c");
        n.append_attribute("r") = name.c_str();
        // A new cell takes the style of its row or column, as a spreadsheet program would.
        if (row.attribute("customFormat").as_bool() && row.attribute("s"))
            n.append_attribute("s") = row.attribute("s").value();
        return n;
    };
    pugi::xml_node last = row.last_child();
    if (!last)
        return make ? made({}) : pugi::xml_node();
    const int lc = columnOf(last);
    if (lc == c)
        return last;
    if (lc < c)
        return make ? made({}) : pugi::xml_node();
    for (pugi::xml_node x : row.children("c")) {
        const int xc = columnOf(x);
        if (xc == c)
            return x;
        if (xc > c)
            return make ? made(x) : pugi::xml_node();
    }
    return make ? made({}) : pugi::xml_node();
}

pugi::xml_node XlsxWorkbook::cell(const QString& ref, bool make)
{
    int r = 0, c = 0;
    if (!isOpen() || !parseRef(ref, &r, &c))
        return {};
    return cellAt(r, c, make);
}

bool XlsxWorkbook::setText(const QString& ref, const QString& text)
{
    ++m_cellsSet;
    pugi::xml_node c = cell(ref, true);
    if (!c)
        return fail(QStringLiteral("not a cell: ") + ref);
    clearValue(c);
    c.append_attribute("t") = "inlineStr";
    pugi::xml_node t = c.append_child("is").append_child("t");
    t.append_attribute("xml:space") = "preserve";
    t.text().set(cleanText(text).toUtf8().constData());
    return true;
}

bool XlsxWorkbook::setNumber(const QString& ref, const QString& decimalText)
{
    ++m_cellsSet;
    const auto d = vrt::Decimal::parse(QStringView(decimalText).trimmed());
    if (!d)
        return fail(QStringLiteral("not a number: ") + decimalText);
    pugi::xml_node c = cell(ref, true);
    if (!c)
        return fail(QStringLiteral("not a cell: ") + ref);
    clearValue(c);
    c.append_child("v").text().set(d->toString().c_str());
    return true;
}

bool XlsxWorkbook::setDate(const QString& ref, const QDate& date)
{
    ++m_cellsSet;
    if (!date.isValid())
        return setText(ref, QString());
    // Spreadsheet serials count days from 1899-12-30.
    const qint64 serial = QDate(1899, 12, 30).daysTo(date);
    pugi::xml_node c = cell(ref, true);
    if (!c)
        return fail(QStringLiteral("not a cell: ") + ref);
    clearValue(c);
    c.append_child("v").text().set(std::to_string(serial).c_str());
    return true;
}

bool XlsxWorkbook::setFormula(const QString& ref, const QString& formula)
{
    ++m_cellsSet;
    pugi::xml_node c = cell(ref, true);
    if (!c)
        return fail(QStringLiteral("not a cell: ") + ref);
    clearValue(c);
    QString f = formula.trimmed();
    if (f.startsWith(QLatin1Char('=')))
        f.remove(0, 1);
    c.append_child("f").text().set(cleanText(f).toUtf8().constData());
    return true;
}

void XlsxWorkbook::clearCells(const CellRect& rect)
{
    for (pugi::xml_node row : worksheet().child("sheetData").children("row")) {
        const int r = row.attribute("r").as_int();
        if (r < rect.top || r > rect.bottom)
            continue;
        for (pugi::xml_node c : row.children("c")) {
            const int col = columnOf(c);
            if (col >= rect.left && col <= rect.right)
                clearValue(c);
        }
    }
}

QString XlsxWorkbook::sharedString(int index) const
{
    if (!m_shared) {
        const auto it = m_entries.find(QStringLiteral("xl/sharedStrings.xml"));
        m_shared = it == m_entries.end() ? std::make_unique<pugi::xml_document>() : parse(it->second);
        if (!m_shared)
            m_shared = std::make_unique<pugi::xml_document>();
    }
    int i = 0;
    for (pugi::xml_node si : m_shared->child("sst").children("si"))
        if (i++ == index) {
            QString out;
            for (const pugi::xpath_node& t : si.select_nodes(".//t"))
                out += QString::fromUtf8(t.node().text().get());
            return out;
        }
    return {};
}

QString XlsxWorkbook::cellValue(const QString& ref) const
{
    pugi::xml_node c = const_cast<XlsxWorkbook*>(this)->cell(ref, false);
    if (!c)
        return {};
    const std::string t = c.attribute("t").value();
    if (t == "inlineStr")
        return QString::fromUtf8(c.child("is").child("t").text().get());
    if (t == "s")
        return sharedString(c.child("v").text().as_int());
    if (c.child("f") && !c.child("v"))
        return QLatin1Char('=') + QString::fromUtf8(c.child("f").text().get());
    return QString::fromUtf8(c.child("v").text().get());
}

CellRect XlsxWorkbook::usedRange() const
{
    CellRect r{1, 1, 1, 1};
    for (pugi::xml_node row : worksheet().child("sheetData").children("row")) {
        r.bottom = std::max(r.bottom, row.attribute("r").as_int());
        for (pugi::xml_node c : row.children("c"))
            r.right = std::max(r.right, columnOf(c));
    }
    return r;
}

namespace {
void setColour(pugi::xml_node parent, const char* name, const QString& colour)
{
    parent.remove_child(name);
    if (colour.isEmpty())
        return;
    pugi::xml_node c = parent.append_child(name);
    if (colour.startsWith(QLatin1String("indexed:")))
        c.append_attribute("indexed") = colour.mid(8).toInt();
    else if (colour.startsWith(QLatin1String("rgb:")))
        c.append_attribute("rgb") = colour.mid(4).toUtf8().constData();
    else
        c.append_attribute("auto") = 1;
}

QString colourOf(pugi::xml_node c)
{
    if (!c)
        return {};
    if (c.attribute("indexed"))
        return QStringLiteral("indexed:") + attr(c, "indexed");
    if (c.attribute("rgb"))
        return QStringLiteral("rgb:") + attr(c, "rgb");
    if (c.attribute("theme"))
        return QStringLiteral("theme:") + attr(c, "theme");
    return {};
}

// Appends `node`'s copy to the list `list` and returns its index, updating the count.
int appendTo(pugi::xml_node list, pugi::xml_node node)
{
    int n = 0;
    for (pugi::xml_node x = list.first_child(); x; x = x.next_sibling())
        ++n;
    list.append_copy(node);
    setAttr(list, "count", QString::number(n + 1));
    return n;
}

pugi::xml_node nth(pugi::xml_node list, int index)
{
    int i = 0;
    for (pugi::xml_node x = list.first_child(); x; x = x.next_sibling())
        if (i++ == index)
            return x;
    return {};
}

// Puts a font's children back in the schema's order.
void orderChildren(pugi::xml_node node, const char* const (&order)[15])
{
    std::vector<pugi::xml_node> kids;
    for (pugi::xml_node x = node.first_child(); x; x = x.next_sibling())
        kids.push_back(x);
    std::stable_sort(kids.begin(), kids.end(),
                     [&](pugi::xml_node a, pugi::xml_node b) { return orderOf(order, a.name()) < orderOf(order, b.name()); });
    for (pugi::xml_node k : kids)
        node.append_move(k);
}

} // namespace

int XlsxWorkbook::styleFor(int xf, const StylePatch& patch)
{
    const QString key = QString::number(xf) + QLatin1Char('#') + patch.key();
    if (auto it = m_styleCache.find(key); it != m_styleCache.end())
        return it->second;
    pugi::xml_node sheet = m_styles->child("styleSheet");
    pugi::xml_node xfs = orderedChild(sheet, "cellXfs", StylesOrder);
    pugi::xml_node base = nth(xfs, xf);
    pugi::xml_document scratch;
    pugi::xml_node x = base ? scratch.append_copy(base) : scratch.append_child("xf");
    for (const char* a : {"numFmtId", "fontId", "fillId", "borderId"})
        if (!x.attribute(a))
            x.append_attribute(a) = 0;
    if (!x.attribute("xfId"))
        x.append_attribute("xfId") = 0;

    if (patch.fontName || patch.fontSize || patch.bold || patch.italic || patch.underline || patch.fontColour) {
        pugi::xml_node fonts = orderedChild(sheet, "fonts", StylesOrder);
        pugi::xml_document f;
        pugi::xml_node font = nth(fonts, x.attribute("fontId").as_int());
        font = font ? f.append_copy(font) : f.append_child("font");
        auto toggle = [&](const char* name, const std::optional<bool>& on) {
            if (!on)
                return;
            font.remove_child(name);
            if (*on)
                font.append_child(name);
        };
        toggle("b", patch.bold);
        toggle("i", patch.italic);
        if (patch.underline) {
            font.remove_child("u");
            if (!patch.underline->isEmpty()) {
                pugi::xml_node u = font.append_child("u");
                if (*patch.underline != QLatin1String("single"))
                    u.append_attribute("val") = patch.underline->toUtf8().constData();
            }
        }
        if (patch.fontSize) {
            font.remove_child("sz");
            font.append_child("sz").append_attribute("val") = *patch.fontSize;
        }
        if (patch.fontColour)
            setColour(font, "color", *patch.fontColour);
        if (patch.fontName) {
            font.remove_child("name");
            font.remove_child("scheme"); // a theme font would override the name
            font.append_child("name").append_attribute("val") = patch.fontName->toUtf8().constData();
        }
        orderChildren(font, FontOrder);
        x.attribute("fontId") = appendTo(fonts, font);
        setAttr(x, "applyFont", QStringLiteral("1"));
    }
    if (patch.fillColour) {
        pugi::xml_node fills = orderedChild(sheet, "fills", StylesOrder);
        pugi::xml_document f;
        pugi::xml_node fill = f.append_child("fill");
        pugi::xml_node p = fill.append_child("patternFill");
        if (patch.fillColour->isEmpty()) {
            p.append_attribute("patternType") = "none";
        } else {
            p.append_attribute("patternType") = "solid";
            setColour(p, "fgColor", *patch.fillColour);
            p.append_child("bgColor").append_attribute("indexed") = 64;
        }
        x.attribute("fillId") = appendTo(fills, fill);
        setAttr(x, "applyFill", QStringLiteral("1"));
    }
    if (!patch.edges.empty()) {
        pugi::xml_node borders = orderedChild(sheet, "borders", StylesOrder);
        pugi::xml_document f;
        pugi::xml_node border = nth(borders, x.attribute("borderId").as_int());
        border = border ? f.append_copy(border) : f.append_child("border");
        for (const auto& e : patch.edges) {
            const char* name = e.edge == QLatin1String("diagonalDown") || e.edge == QLatin1String("diagonalUp") ? "diagonal"
                               : e.edge == QLatin1String("insideV")                                           ? "vertical"
                               : e.edge == QLatin1String("insideH")                                           ? "horizontal"
                                                                                                              : nullptr;
            const QByteArray own = e.edge.toUtf8();
            pugi::xml_node side = border.child(name ? name : own.constData());
            if (!side)
                side = border.append_child(name ? name : own.constData());
            if (e.style) {
                side.remove_attribute("style");
                if (!e.style->isEmpty())
                    side.append_attribute("style") = e.style->toUtf8().constData();
            }
            if (e.colour)
                setColour(side, "color", *e.colour);
            if (name && std::strcmp(name, "diagonal") == 0)
                setAttr(border, e.edge == QLatin1String("diagonalDown") ? "diagonalDown" : "diagonalUp", QStringLiteral("1"));
        }
        std::vector<pugi::xml_node> kids;
        for (pugi::xml_node k = border.first_child(); k; k = k.next_sibling())
            kids.push_back(k);
        std::stable_sort(kids.begin(), kids.end(), [](pugi::xml_node a, pugi::xml_node b) {
            return orderOf(BorderOrder, a.name()) < orderOf(BorderOrder, b.name());
        });
        for (pugi::xml_node k : kids)
            border.append_move(k);
        x.attribute("borderId") = appendTo(borders, border);
        setAttr(x, "applyBorder", QStringLiteral("1"));
    }
    if (patch.numberFormat) {
        int id = -1;
        for (const auto& [code, builtin] : BuiltinFormats)
            if (*patch.numberFormat == QLatin1String(code))
                id = builtin;
        pugi::xml_node fmts = orderedChild(sheet, "numFmts", StylesOrder);
        int highest = 163;
        for (pugi::xml_node n : fmts.children("numFmt")) {
            highest = std::max(highest, n.attribute("numFmtId").as_int());
            if (id < 0 && attr(n, "formatCode") == *patch.numberFormat)
                id = n.attribute("numFmtId").as_int();
        }
        if (id < 0) {
            pugi::xml_document f;
            pugi::xml_node n = f.append_child("numFmt");
            n.append_attribute("numFmtId") = id = highest + 1;
            n.append_attribute("formatCode") = patch.numberFormat->toUtf8().constData();
            appendTo(fmts, n);
        }
        if (!fmts.first_child())
            sheet.remove_child(fmts);
        x.attribute("numFmtId") = id;
        setAttr(x, "applyNumberFormat", QStringLiteral("1"));
    }
    if (patch.horizontal || patch.vertical || patch.wrap) {
        pugi::xml_node a = x.child("alignment") ? x.child("alignment") : x.prepend_child("alignment");
        auto set = [&](const char* name, const std::optional<QString>& v) {
            if (!v)
                return;
            a.remove_attribute(name);
            if (!v->isEmpty())
                a.append_attribute(name) = v->toUtf8().constData();
        };
        set("horizontal", patch.horizontal);
        set("vertical", patch.vertical);
        if (patch.wrap) {
            a.remove_attribute("wrapText");
            if (*patch.wrap)
                a.append_attribute("wrapText") = 1;
        }
        setAttr(x, "applyAlignment", QStringLiteral("1"));
    }
    if (patch.locked) {
        pugi::xml_node p = x.child("protection") ? x.child("protection") : x.append_child("protection");
        setAttr(p, "locked", *patch.locked ? QStringLiteral("1") : QStringLiteral("0"));
        setAttr(x, "applyProtection", QStringLiteral("1"));
    }
    const int made = appendTo(xfs, x);
    m_styleCache[key] = made;
    return made;
}

bool XlsxWorkbook::applyStyle(const CellRect& rect, const StylePatch& patch)
{
    if (!isOpen())
        return fail(QStringLiteral("no active workbook"));
    // Whole columns or rows reach the cells in use; the rest would be a million empty cells.
    CellRect r = rect;
    const CellRect used = usedRange();
    r.bottom = std::min(r.bottom, std::max(used.bottom, r.top));
    r.right = std::min(r.right, std::max(used.right, r.left));
    for (int row = r.top; row <= r.bottom; ++row)
        for (int col = r.left; col <= r.right; ++col) {
            StylePatch own = patch;
            own.edges.clear();
            // Outer edges go to the block's outer cells, inner lines to the cells inside.
            for (const auto& e : patch.edges) {
                auto add = [&](const char* edge) { own.edges.push_back({QString::fromLatin1(edge), e.style, e.colour}); };
                if (e.edge == QLatin1String("left") && col == r.left)
                    add("left");
                else if (e.edge == QLatin1String("right") && col == r.right)
                    add("right");
                else if (e.edge == QLatin1String("top") && row == r.top)
                    add("top");
                else if (e.edge == QLatin1String("bottom") && row == r.bottom)
                    add("bottom");
                else if (e.edge == QLatin1String("insideV")) {
                    if (col > r.left)
                        add("left");
                    if (col < r.right)
                        add("right");
                } else if (e.edge == QLatin1String("insideH")) {
                    if (row > r.top)
                        add("top");
                    if (row < r.bottom)
                        add("bottom");
                } else if (e.edge.startsWith(QLatin1String("diagonal")))
                    own.edges.push_back(e);
            }
            if (own.key() == StylePatch().key())
                continue;
            pugi::xml_node c = cellAt(row, col, true);
            const int xf = c.attribute("s").as_int();
            const int made = styleFor(xf, own);
            setAttr(c, "s", QString::number(made));
        }
    return true;
}

CellStyle XlsxWorkbook::styleAt(int row, int column) const
{
    CellStyle s;
    pugi::xml_node sheet = m_styles ? m_styles->child("styleSheet") : pugi::xml_node();
    pugi::xml_node c = cellAt(row, column, false);
    pugi::xml_node x = nth(sheet.child("cellXfs"), c ? c.attribute("s").as_int() : 0);
    pugi::xml_node font = nth(sheet.child("fonts"), x.attribute("fontId").as_int());
    s.fontName = attr(font.child("name"), "val");
    s.fontSize = font.child("sz").attribute("val").as_double(11);
    s.bold = font.child("b") && font.child("b").attribute("val").as_bool(true);
    s.italic = font.child("i") && font.child("i").attribute("val").as_bool(true);
    s.underline = font.child("u") ? (font.child("u").attribute("val") ? attr(font.child("u"), "val") : QStringLiteral("single")) : QString();
    s.fontColour = colourOf(font.child("color"));
    pugi::xml_node fill = nth(sheet.child("fills"), x.attribute("fillId").as_int()).child("patternFill");
    if (std::string(fill.attribute("patternType").value()) == "solid")
        s.fillColour = colourOf(fill.child("fgColor"));
    const int fmt = x.attribute("numFmtId").as_int();
    for (const auto& [code, id] : BuiltinFormats)
        if (id == fmt)
            s.numberFormat = QString::fromLatin1(code);
    for (pugi::xml_node n : sheet.child("numFmts").children("numFmt"))
        if (n.attribute("numFmtId").as_int() == fmt)
            s.numberFormat = attr(n, "formatCode");
    s.horizontal = attr(x.child("alignment"), "horizontal");
    s.vertical = attr(x.child("alignment"), "vertical");
    s.wrap = x.child("alignment").attribute("wrapText").as_bool();
    s.locked = x.child("protection").attribute("locked").as_bool(true);
    pugi::xml_node border = nth(sheet.child("borders"), x.attribute("borderId").as_int());
    for (pugi::xml_node side = border.first_child(); side; side = side.next_sibling())
        if (side.attribute("style"))
            s.borders[QString::fromUtf8(side.name())] = attr(side, "style");
    return s;
}

void XlsxWorkbook::setColumnWidth(int first, int last, double width)
{
    pugi::xml_node cols = part("cols");
    // Ranges that overlap the new one are cut around it.
    for (pugi::xml_node c = cols.child("col"); c;) {
        pugi::xml_node next = c.next_sibling("col");
        const int lo = c.attribute("min").as_int(), hi = c.attribute("max").as_int();
        if (hi >= first && lo <= last) {
            if (lo < first) {
                pugi::xml_node left = cols.insert_copy_before(c, c);
                left.attribute("max") = first - 1;
            }
            if (hi > last) {
                pugi::xml_node right = cols.insert_copy_after(c, c);
                right.attribute("min") = last + 1;
            }
            cols.remove_child(c);
        }
        c = next;
    }
    pugi::xml_node before;
    for (pugi::xml_node c : cols.children("col"))
        if (c.attribute("min").as_int() > last) {
            before = c;
            break;
        }
    pugi::xml_node col = before ? cols.insert_child_before("col", before) : cols.append_child("col");
    col.append_attribute("min") = first;
    col.append_attribute("max") = last;
    col.append_attribute("width") = width;
    col.append_attribute("customWidth") = 1;
}

double XlsxWorkbook::columnWidth(int column) const
{
    for (pugi::xml_node c : worksheet().child("cols").children("col"))
        if (column >= c.attribute("min").as_int() && column <= c.attribute("max").as_int())
            return c.attribute("width").as_double();
    return 0;
}

void XlsxWorkbook::autoFitColumns(int first, int last)
{
    const CellRect used = usedRange();
    last = std::min(last, used.right);
    for (int col = first; col <= last; ++col) {
        qsizetype widest = 0;
        for (int row = 1; row <= used.bottom; ++row)
            widest = std::max(widest, cellValue(refName(row, col)).size());
        setColumnWidth(col, col, std::max(8.43, double(widest) + 1.5));
    }
}

void XlsxWorkbook::setRowHeight(int first, int last, double height)
{
    last = std::min(last, std::max(first, usedRange().bottom));
    for (int r = first; r <= last; ++r) {
        pugi::xml_node row = rowNode(r, true);
        setAttr(row, "ht", QString::number(height));
        setAttr(row, "customHeight", QStringLiteral("1"));
    }
}

double XlsxWorkbook::rowHeight(int row) const
{
    pugi::xml_node r = rowNode(row, false);
    return r ? r.attribute("ht").as_double() : 0;
}

void XlsxWorkbook::autoFitRows(int first, int last)
{
    for (pugi::xml_node row : worksheet().child("sheetData").children("row")) {
        const int r = row.attribute("r").as_int();
        if (r >= first && r <= last) {
            row.remove_attribute("ht");
            row.remove_attribute("customHeight");
        }
    }
}

void XlsxWorkbook::merge(const CellRect& rect, bool on)
{
    pugi::xml_node merges = part("mergeCells");
    const std::string name = rectName(rect).toStdString();
    for (pugi::xml_node m = merges.child("mergeCell"); m;) {
        pugi::xml_node next = m.next_sibling("mergeCell");
        CellRect other;
        if (parseRange(attr(m, "ref"), &other)
            && !(other.right < rect.left || other.left > rect.right || other.bottom < rect.top || other.top > rect.bottom))
            merges.remove_child(m); // overlapping blocks cannot stay merged
        m = next;
    }
    if (on && !(rect.top == rect.bottom && rect.left == rect.right))
        merges.append_child("mergeCell").append_attribute("ref") = name.c_str();
    int n = 0;
    for (pugi::xml_node m : merges.children("mergeCell"))
        (void)m, ++n;
    if (n == 0)
        worksheet().remove_child(merges);
    else
        setAttr(merges, "count", QString::number(n));
}

bool XlsxWorkbook::isMerged(const CellRect& rect) const
{
    for (pugi::xml_node m : worksheet().child("mergeCells").children("mergeCell")) {
        CellRect other;
        if (parseRange(attr(m, "ref"), &other) && other.left <= rect.left && other.right >= rect.right && other.top <= rect.top
            && other.bottom >= rect.bottom)
            return true;
    }
    return false;
}

void XlsxWorkbook::insertRows(int at, int count)
{
    pugi::xml_node data = worksheet().child("sheetData");
    for (pugi::xml_node row : data.children("row")) {
        const int r = row.attribute("r").as_int();
        if (r < at)
            continue;
        row.attribute("r") = r + count;
        for (pugi::xml_node c : row.children("c")) {
            int cr = 0, cc = 0;
            refOf(c, &cr, &cc);
            c.attribute("r") = refName(r + count, cc).toUtf8().constData();
        }
    }
    for (pugi::xml_node m : worksheet().child("mergeCells").children("mergeCell")) {
        CellRect x;
        if (parseRange(attr(m, "ref"), &x) && x.top >= at) {
            x.top += count, x.bottom += count;
            m.attribute("ref") = rectName(x).toUtf8().constData();
        }
    }
}

void XlsxWorkbook::insertColumns(int at, int count)
{
    for (pugi::xml_node row : worksheet().child("sheetData").children("row"))
        for (pugi::xml_node c : row.children("c")) {
            int cr = 0, cc = 0;
            refOf(c, &cr, &cc);
            if (cc >= at)
                c.attribute("r") = refName(cr, cc + count).toUtf8().constData();
        }
    for (pugi::xml_node col : worksheet().child("cols").children("col")) {
        if (col.attribute("min").as_int() >= at)
            col.attribute("min") = col.attribute("min").as_int() + count;
        if (col.attribute("max").as_int() >= at)
            col.attribute("max") = col.attribute("max").as_int() + count;
    }
    for (pugi::xml_node m : worksheet().child("mergeCells").children("mergeCell")) {
        CellRect x;
        if (parseRange(attr(m, "ref"), &x) && x.left >= at) {
            x.left += count, x.right += count;
            m.attribute("ref") = rectName(x).toUtf8().constData();
        }
    }
}

int XlsxWorkbook::replaceText(const QString& what, const QString& with)
{
    if (what.isEmpty())
        return 0;
    int changed = 0;
    std::vector<std::pair<QString, QString>> edits;
    for (pugi::xml_node row : worksheet().child("sheetData").children("row"))
        for (pugi::xml_node c : row.children("c")) {
            const std::string t = c.attribute("t").value();
            if (t != "inlineStr" && t != "s")
                continue;
            const QString ref = attr(c, "r");
            QString text = cellValue(ref);
            if (text.contains(what, Qt::CaseInsensitive))
                edits.emplace_back(ref, text.replace(what, with, Qt::CaseInsensitive));
        }
    for (const auto& [ref, text] : edits)
        changed += setText(ref, text) ? 1 : 0;
    return changed;
}

void XlsxWorkbook::setAutoFilter(const CellRect& rect)
{
    pugi::xml_node f = part("autoFilter");
    setAttr(f, "ref", rectName(rect));
}

void XlsxWorkbook::protect(const QString& password)
{
    pugi::xml_node p = part("sheetProtection");
    for (const char* a : {"sheet", "objects", "scenarios"})
        setAttr(p, a, QStringLiteral("1"));
    p.remove_attribute("password");
    if (!password.isEmpty())
        setAttr(p, "password", passwordHash(password));
}

void XlsxWorkbook::setPaper(int paperSize) { setAttr(part("pageSetup"), "paperSize", QString::number(paperSize)); }

void XlsxWorkbook::setOrientation(int orientation)
{
    setAttr(part("pageSetup"), "orientation", orientation == 2 ? QStringLiteral("landscape") : QStringLiteral("portrait"));
}

void XlsxWorkbook::setMargin(const QString& which, double points)
{
    const bool made = !worksheet().child("pageMargins");
    pugi::xml_node m = part("pageMargins");
    if (made) // the schema wants all six
        for (const auto& [a, v] : {std::pair{"left", 0.7}, {"right", 0.7}, {"top", 0.75}, {"bottom", 0.75}, {"header", 0.3}, {"footer", 0.3}})
            m.append_attribute(a) = v;
    setAttr(m, which.toLower().toUtf8().constData(), QString::number(points / 72.0, 'g', 10));
}

namespace {
// "&Lleft&Ccentre&Rright" -> the three pieces.
QStringList splitSections(const QString& text)
{
    QStringList out{QString(), QString(), QString()};
    int current = 1;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            const QChar n = text[i + 1];
            if (n == QLatin1Char('L') || n == QLatin1Char('C') || n == QLatin1Char('R')) {
                current = n == QLatin1Char('L') ? 0 : n == QLatin1Char('C') ? 1 : 2;
                ++i;
                continue;
            }
        }
        out[current] += text[i];
    }
    return out;
}
} // namespace

void XlsxWorkbook::setHeaderFooter(const QString& which, const QString& text)
{
    const bool footer = which.endsWith(QLatin1String("Footer"), Qt::CaseInsensitive);
    const int section = which.startsWith(QLatin1String("Left"), Qt::CaseInsensitive)     ? 0
                        : which.startsWith(QLatin1String("Center"), Qt::CaseInsensitive) ? 1
                                                                                          : 2;
    pugi::xml_node hf = part("headerFooter");
    const char* name = footer ? "oddFooter" : "oddHeader";
    QStringList parts = splitSections(QString::fromUtf8(hf.child(name).text().get()));
    // An "&" of the user's own must not start a code.
    parts[section] = cleanText(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
    QString joined;
    const char* codes[] = {"&L", "&C", "&R"};
    for (int i = 0; i < 3; ++i)
        if (!parts[i].isEmpty())
            joined += QLatin1String(codes[i]) + parts[i];
    pugi::xml_node node = hf.child(name);
    if (!node)
        node = footer || !hf.child("oddFooter") ? hf.append_child(name) : hf.insert_child_before(name, hf.child("oddFooter"));
    node.text().set(joined.toUtf8().constData());
}

QString XlsxWorkbook::headerFooter(const QString& which) const
{
    const bool footer = which.endsWith(QLatin1String("Footer"), Qt::CaseInsensitive);
    const int section = which.startsWith(QLatin1String("Left"), Qt::CaseInsensitive)     ? 0
                        : which.startsWith(QLatin1String("Center"), Qt::CaseInsensitive) ? 1
                                                                                          : 2;
    const QString text = QString::fromUtf8(worksheet().child("headerFooter").child(footer ? "oddFooter" : "oddHeader").text().get());
    return splitSections(text)[section].replace(QStringLiteral("&&"), QStringLiteral("&"));
}

std::shared_ptr<XlsxWorkbook::Clip> XlsxWorkbook::copy(const CellRect& rect) const
{
    auto clip = std::make_shared<Clip>();
    CellRect r = rect;
    const CellRect used = usedRange();
    r.bottom = std::min(r.bottom, used.bottom);
    r.right = std::min(r.right, used.right);
    clip->rows = r.bottom - r.top + 1;
    clip->columns = r.right - r.left + 1;
    pugi::xml_node root = clip->cells.append_child("clip");
    for (pugi::xml_node row : worksheet().child("sheetData").children("row")) {
        const int rr = row.attribute("r").as_int();
        if (rr < r.top || rr > r.bottom)
            continue;
        for (pugi::xml_node c : row.children("c")) {
            const int cc = columnOf(c);
            if (cc < r.left || cc > r.right)
                continue;
            pugi::xml_node copy = root.append_copy(c);
            copy.append_attribute("dr") = rr - r.top;
            copy.append_attribute("dc") = cc - r.left;
            // A shared string is taken as its text: the copy may go to another workbook.
            if (std::string(c.attribute("t").value()) == "s") {
                const QString text = sharedString(c.child("v").text().as_int());
                clearValue(copy);
                copy.append_attribute("t") = "inlineStr";
                copy.append_child("is").append_child("t").text().set(text.toUtf8().constData());
            }
        }
    }
    return clip;
}

void XlsxWorkbook::paste(const Clip& clip, int row, int column)
{
    for (pugi::xml_node c : clip.cells.child("clip").children("c")) {
        pugi::xml_node target = cellAt(row + c.attribute("dr").as_int(), column + c.attribute("dc").as_int(), true);
        if (!target)
            continue;
        clearValue(target);
        target.remove_attribute("s");
        for (pugi::xml_attribute a : c.attributes())
            if (std::strcmp(a.name(), "r") != 0 && std::strcmp(a.name(), "dr") != 0 && std::strcmp(a.name(), "dc") != 0)
                target.append_attribute(a.name()) = a.value();
        for (pugi::xml_node k = c.first_child(); k; k = k.next_sibling())
            target.append_copy(k);
    }
}

bool XlsxWorkbook::saveAs(const QString& path)
{
    if (!isOpen())
        return fail(QStringLiteral("no active workbook"));
    std::map<QString, QByteArray> out = m_entries;
    // The sheets as they stand: the workbook's list, relationships and content types follow.
    pugi::xml_node wb = m_workbook->child("workbook");
    pugi::xml_node rels = m_rels->child("Relationships");
    pugi::xml_node types = m_types->child("Types");
    std::set<std::string> sheetEntries;
    for (const auto& s : m_sheets)
        sheetEntries.insert(("/" + s->entry).toStdString());
    // Worksheet parts no longer in the workbook go with their relationships and types.
    for (pugi::xml_node o = types.child("Override"); o;) {
        pugi::xml_node next = o.next_sibling("Override");
        const std::string partName = o.attribute("PartName").value();
        if ((std::string(o.attribute("ContentType").value()) == SheetType && !sheetEntries.count(partName))
            || partName == "/xl/calcChain.xml")
            types.remove_child(o);
        o = next;
    }
    for (pugi::xml_node r = rels.child("Relationship"); r;) {
        pugi::xml_node next = r.next_sibling("Relationship");
        const std::string target = r.attribute("Target").value();
        const std::string full = !target.empty() && target.front() == '/' ? target : "/xl/" + target;
        if ((std::string(r.attribute("Type").value()) == SheetRel && !sheetEntries.count(full))
            || target.find("calcChain") != std::string::npos)
            rels.remove_child(r);
        r = next;
    }
    out.erase(QStringLiteral("xl/calcChain.xml"));
    pugi::xml_node sheets = wb.child("sheets");
    std::map<std::string, int> oldIds; // r:id -> sheetId of the sheets that stay
    for (pugi::xml_node s : sheets.children("sheet"))
        oldIds[s.attribute("r:id").value()] = s.attribute("sheetId").as_int();
    while (sheets.first_child())
        sheets.remove_child(sheets.first_child());
    int nextSheetId = 1;
    for (const auto& [id, n] : oldIds)
        nextSheetId = std::max(nextSheetId, n + 1);
    for (const auto& s : m_sheets) {
        const std::string entry = "/" + s->entry.toStdString();
        std::string relId;
        for (pugi::xml_node r : rels.children("Relationship")) {
            const std::string target = r.attribute("Target").value();
            if ((!target.empty() && target.front() == '/' ? target : "/xl/" + target) == entry)
                relId = r.attribute("Id").value();
        }
        if (relId.empty()) {
            for (int k = 1; relId.empty(); ++k) {
                const std::string candidate = "rIdSheet" + std::to_string(k);
                if (!rels.find_child_by_attribute("Relationship", "Id", candidate.c_str()))
                    relId = candidate;
            }
            pugi::xml_node r = rels.append_child("Relationship");
            r.append_attribute("Id") = relId.c_str();
            r.append_attribute("Type") = SheetRel;
            r.append_attribute("Target") = entry.substr(4).c_str(); // relative to xl/
            pugi::xml_node o = types.append_child("Override");
            o.append_attribute("PartName") = entry.c_str();
            o.append_attribute("ContentType") = SheetType;
        }
        pugi::xml_node sheet = sheets.append_child("sheet");
        sheet.append_attribute("name") = s->name.toUtf8().constData();
        sheet.append_attribute("sheetId") = oldIds.count(relId) ? oldIds[relId] : nextSheetId++;
        sheet.append_attribute("r:id") = relId.c_str();
        const auto old = m_entries.find(s->entry);
        out[s->entry] = serialise(*s->doc, (old != m_entries.end() ? old->second.size() : 0) + 96 * m_cellsSet);
    }
    if (!wb.attribute("xmlns:r"))
        wb.append_attribute("xmlns:r") = RelNs;
    // The active sheet is the one that opens; only it is marked selected.
    pugi::xml_node views = wb.child("bookViews");
    if (!views)
        views = wb.insert_child_before("bookViews", sheets);
    pugi::xml_node view = views.child("workbookView") ? views.child("workbookView") : views.append_child("workbookView");
    setAttr(view, "activeTab", QString::number(m_active));
    view.remove_attribute("firstSheet");
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        pugi::xml_node sv = m_sheets[i]->doc->child("worksheet").child("sheetViews").child("sheetView");
        if (sv) {
            sv.remove_attribute("tabSelected");
            if (int(i) == m_active)
                sv.append_attribute("tabSelected") = 1;
            out[m_sheets[i]->entry] = serialise(*m_sheets[i]->doc, out[m_sheets[i]->entry].size() + 64);
        }
    }
    // Defined names of a sheet that went would point nowhere.
    if (pugi::xml_node names = wb.child("definedNames"))
        for (pugi::xml_node d = names.child("definedName"); d;) {
            pugi::xml_node next = d.next_sibling("definedName");
            if (d.attribute("localSheetId") && d.attribute("localSheetId").as_int() >= int(m_sheets.size()))
                names.remove_child(d);
            d = next;
        }
    pugi::xml_node calc = wb.child("calcPr");
    if (!calc) {
        // calcPr follows the sheets and defined names in the schema's order.
        pugi::xml_node after = wb.child("definedNames") ? wb.child("definedNames") : sheets;
        calc = wb.insert_child_after("calcPr", after);
    }
    setAttr(calc, "fullCalcOnLoad", QStringLiteral("1"));
    out[QStringLiteral("xl/workbook.xml")] = serialise(*m_workbook);
    out[QStringLiteral("xl/_rels/workbook.xml.rels")] = serialise(*m_rels);
    out[QStringLiteral("[Content_Types].xml")] = serialise(*m_types);
    out[m_stylesEntry] = serialise(*m_styles);

    vrt::makePrivateFolder(QFileInfo(path).absolutePath());
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(temp).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!z)
        return fail(QStringLiteral("cannot write ") + path);
    // The content types first, as spreadsheet programs expect.
    std::vector<QString> order{QStringLiteral("[Content_Types].xml")};
    for (const QString& n : m_order)
        if (out.count(n) && n != order.front() && std::find(order.begin(), order.end(), n) == order.end())
            order.push_back(n);
    std::vector<QByteArray> keep; // the buffers live until the archive is closed
    keep.reserve(order.size());
    for (const QString& n : order) {
        keep.push_back(out[n]);
        zip_source_t* src = zip_source_buffer(z, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        const zip_int64_t index = src ? zip_file_add(z, n.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        // The quickest deflate: the sheets are text that packs well at any level.
        if (index < 0 || zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 1) != 0) {
            if (src && index < 0) // once added, the archive owns it
                zip_source_free(src);
            zip_discard(z);
            QFile::remove(temp);
            return fail(QStringLiteral("cannot write ") + path);
        }
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        QFile::remove(temp);
        return fail(QStringLiteral("cannot write ") + path);
    }
    vrt::makePrivate(temp); // an export of the user's own figures
    // Never over an existing file: the caller chose a new name.
    if (QFile::exists(path) || !QFile::rename(temp, path)) {
        QFile::remove(temp);
        return fail(QStringLiteral("cannot write ") + path);
    }
    return true;
}

} // namespace office
