#include "procedures/finance/XlsxWorkbook.h"

#include <QRegularExpression>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <QSaveFile>
#include <pugixml.hpp>
#include <sstream>
#include <zip.h>

#include "protocols/ZipLimits.h"
#include "runtime/Decimal.h"
#include "runtime/PrivateFiles.h"

namespace finance {

namespace {

const char* const SkeletonEntries[][2] = {
    {"[Content_Types].xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
     "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
     "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
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
     "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
    {"xl/_rels/workbook.xml.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
     "</Relationships>"},
    {"xl/worksheets/sheet1.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData/></worksheet>"},
};

QString columnName(int column)
{
    QString s;
    for (; column > 0; column = (column - 1) / 26)
        s.prepend(QChar('A' + (column - 1) % 26));
    return s;
}

struct XmlWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), qsizetype(size)); }
};

QByteArray serialise(const pugi::xml_document& doc, qsizetype expected = 0)
{
    XmlWriter w;
    w.out.reserve(expected);
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return w.out;
}

// Edits an XML entry in place; false when it does not parse.
template <class F>
bool editXml(QByteArray& bytes, F edit)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), size_t(bytes.size())))
        return false;
    edit(doc);
    bytes = serialise(doc);
    return true;
}

} // namespace

XlsxWorkbook::XlsxWorkbook() = default;
XlsxWorkbook::~XlsxWorkbook() = default;

bool XlsxWorkbook::fail(const QString& text)
{
    m_error = text;
    return false;
}

namespace {
// "B12" / "$B$12" -> (12, 2); false for anything else.
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
        const int ch = int(*p) & ~0x20; // upper case
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

int columnOf(pugi::xml_node cell)
{
    const char* r = cell.attribute("r").value();
    int row = 0, column = 0;
    return parseRefChars(r, r + std::strlen(r), &row, &column) ? column : 0;
}
} // namespace

bool XlsxWorkbook::parseRef(const QString& ref, int* row, int* column)
{
    return parseRefChars(ref.utf16(), ref.utf16() + ref.size(), row, column);
}

void XlsxWorkbook::create()
{
    m_entries.clear();
    m_order.clear();
    for (const auto& e : SkeletonEntries) {
        m_order.push_back(QString::fromLatin1(e[0]));
        m_entries[QString::fromLatin1(e[0])] = QByteArray(e[1]);
    }
    m_sheetName = QStringLiteral("xl/worksheets/sheet1.xml");
    m_sheet = std::make_unique<pugi::xml_document>();
    const QByteArray& s = m_entries[m_sheetName];
    m_sheet->load_buffer(s.constData(), size_t(s.size()));
    m_error.clear();
}

bool XlsxWorkbook::open(const QString& path)
{
    m_entries.clear();
    m_order.clear();
    m_sheet.reset();
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return fail(QStringLiteral("not a workbook: ") + path);
    // A template can be any file a user put in Templates/: it is read within caps, and names
    // that would climb out of a folder are refused rather than passed on to the export.
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
    // The first sheet of the workbook: its relationship target, else sheet1.xml.
    m_sheetName = QStringLiteral("xl/worksheets/sheet1.xml");
    {
        pugi::xml_document wb, rels;
        const QByteArray& w = m_entries[QStringLiteral("xl/workbook.xml")];
        const QByteArray& r = m_entries[QStringLiteral("xl/_rels/workbook.xml.rels")];
        if (wb.load_buffer(w.constData(), size_t(w.size())) && rels.load_buffer(r.constData(), size_t(r.size()))) {
            const char* id = wb.child("workbook").child("sheets").child("sheet").attribute("r:id").value();
            for (pugi::xml_node rel : rels.child("Relationships").children("Relationship"))
                if (*id && std::string(rel.attribute("Id").value()) == id) {
                    QString target = QString::fromUtf8(rel.attribute("Target").value());
                    m_sheetName = target.startsWith('/') ? target.mid(1) : QStringLiteral("xl/") + target;
                }
        }
    }
    const auto it = m_entries.find(m_sheetName);
    m_sheet = std::make_unique<pugi::xml_document>();
    if (it == m_entries.end() || !m_sheet->load_buffer(it->second.constData(), size_t(it->second.size()))
        || !m_sheet->child("worksheet")) {
        m_entries.clear();
        return fail(QStringLiteral("no worksheet in ") + path);
    }
    if (!m_sheet->child("worksheet").child("sheetData"))
        m_sheet->child("worksheet").append_child("sheetData");
    m_error.clear();
    return true;
}

pugi::xml_node XlsxWorkbook::cell(const QString& ref, bool make)
{
    int r = 0, c = 0;
    if (!m_sheet || !parseRef(ref, &r, &c))
        return {};
    pugi::xml_node data = m_sheet->child("worksheet").child("sheetData");
    pugi::xml_node row;
    // Filling goes down the sheet: a row past the last one is added without a search.
    if (pugi::xml_node last = data.last_child(); make && (!last || last.attribute("r").as_int() < r)) {
        row = data.append_child("row");
        row.append_attribute("r") = r;
    } else if (last && last.attribute("r").as_int() == r) {
        row = last;
    }
    for (pugi::xml_node x = row ? pugi::xml_node() : data.child("row"); x; x = x.next_sibling("row")) {
        const int at = x.attribute("r").as_int();
        if (at == r) {
            row = x;
            break;
        }
        if (at > r) {
            if (!make)
                return {};
            row = data.insert_child_before("row", x);
            row.append_attribute("r") = r;
            break;
        }
    }
    if (!row) {
        if (!make)
            return {};
        row = data.append_child("row");
        row.append_attribute("r") = r;
    }
    const std::string name = (columnName(c) + QString::number(r)).toStdString();
    // Likewise a cell right of the row's last one.
    if (pugi::xml_node last = row.last_child(); make && !last) {
        pugi::xml_node n = row.append_child("c");
        n.append_attribute("r") = name.c_str();
        return n;
    } else if (last) {
        const int lc = columnOf(last);
        if (lc == c)
            return last;
        if (lc < c && make) {
            pugi::xml_node n = row.append_child("c");
            n.append_attribute("r") = name.c_str();
            return n;
        }
    }
    for (pugi::xml_node x : row.children("c")) {
        const int xc = columnOf(x);
        if (xc == c)
            return x;
        if (xc > c) {
            if (!make)
                return {};
            pugi::xml_node n = row.insert_child_before("c", x);
            n.append_attribute("r") = name.c_str();
            return n;
        }
    }
    if (!make)
        return {};
    pugi::xml_node n = row.append_child("c");
    n.append_attribute("r") = name.c_str();
    return n;
}

namespace {
// Empties a cell for a new value, keeping its style.
void clearValue(pugi::xml_node c)
{
    while (pugi::xml_node child = c.first_child())
        c.remove_child(child);
    c.remove_attribute("t");
}
} // namespace

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
    // Control characters other than tab and line ends cannot stand in XML 1.0.
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text)
        clean += (ch.unicode() < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') ? QChar(' ') : ch;
    t.text().set(clean.toUtf8().constData());
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

QString XlsxWorkbook::cellValue(const QString& ref) const
{
    pugi::xml_node c = const_cast<XlsxWorkbook*>(this)->cell(ref, false);
    if (!c)
        return {};
    if (std::string(c.attribute("t").value()) == "inlineStr")
        return QString::fromUtf8(c.child("is").child("t").text().get());
    return QString::fromUtf8(c.child("v").text().get());
}

void XlsxWorkbook::setSheetTitle(const QString& title)
{
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\\[\\]\\x00-\\x1f]"));
    m_sheetTitle = QString(title).replace(refused, QStringLiteral("_")).trimmed().left(31);
}

QString XlsxWorkbook::sheetTitle() const
{
    if (!m_sheetTitle.isEmpty())
        return m_sheetTitle;
    pugi::xml_document wb;
    const auto it = m_entries.find(QStringLiteral("xl/workbook.xml"));
    if (it == m_entries.end() || !wb.load_buffer(it->second.constData(), size_t(it->second.size())))
        return {};
    return QString::fromUtf8(wb.child("workbook").child("sheets").child("sheet").attribute("name").value());
}

bool XlsxWorkbook::saveAs(const QString& path)
{
    if (!m_sheet)
        return fail(QStringLiteral("no active workbook"));
    std::map<QString, QByteArray> out = m_entries;
    out[m_sheetName] = serialise(*m_sheet, m_entries[m_sheetName].size() + 64 * m_cellsSet);
    // The old calculation chain may name cells that now hold values: it goes, and the
    // workbook recalculates its own formulas when opened.
    out.erase(QStringLiteral("xl/calcChain.xml"));
    auto& types = out[QStringLiteral("[Content_Types].xml")];
    editXml(types, [](pugi::xml_document& d) {
        pugi::xml_node t = d.child("Types");
        for (pugi::xml_node o = t.child("Override"); o;) {
            pugi::xml_node next = o.next_sibling("Override");
            if (std::string(o.attribute("PartName").value()) == "/xl/calcChain.xml")
                t.remove_child(o);
            o = next;
        }
    });
    auto rels = out.find(QStringLiteral("xl/_rels/workbook.xml.rels"));
    if (rels != out.end())
        editXml(rels->second, [](pugi::xml_document& d) {
            pugi::xml_node t = d.child("Relationships");
            for (pugi::xml_node o = t.child("Relationship"); o;) {
                pugi::xml_node next = o.next_sibling("Relationship");
                if (std::string(o.attribute("Target").value()).find("calcChain") != std::string::npos)
                    t.remove_child(o);
                o = next;
            }
        });
    editXml(out[QStringLiteral("xl/workbook.xml")], [this](pugi::xml_document& d) {
        pugi::xml_node wb = d.child("workbook");
        if (pugi::xml_node sheet = wb.child("sheets").child("sheet"); sheet && !m_sheetTitle.isEmpty())
            sheet.attribute("name").set_value(m_sheetTitle.toUtf8().constData());
        pugi::xml_node calc = wb.child("calcPr");
        if (!calc) {
            // calcPr follows the sheets and defined names in the schema's order.
            pugi::xml_node after = wb.child("definedNames") ? wb.child("definedNames") : wb.child("sheets");
            calc = after ? wb.insert_child_after("calcPr", after) : wb.append_child("calcPr");
        }
        if (calc.attribute("fullCalcOnLoad"))
            calc.attribute("fullCalcOnLoad") = "1";
        else
            calc.append_attribute("fullCalcOnLoad") = "1";
    });

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
        if (out.count(n) && n != order.front())
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

} // namespace finance
