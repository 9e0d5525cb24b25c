#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <map>
#include <memory>

namespace pugi {
class xml_document;
class xml_node;
}

// An .xlsx workbook filled cell by cell: the template's entries are kept as they are, the
// first sheet is edited, and the result is written to a new file. Texts go in as inline
// strings (never formulas), numbers as numbers, dates as date serials; a cell keeps the
// template's style.
namespace finance {

class XlsxWorkbook {
public:
    XlsxWorkbook();
    ~XlsxWorkbook();

    // A template file; false with error() when it cannot be read as a workbook.
    bool open(const QString& path);
    // A workbook of one empty sheet, made here.
    void create();
    bool isOpen() const { return !m_entries.empty(); }

    // `ref` is an A1 reference. False for a reference that is none.
    bool setText(const QString& ref, const QString& text);
    bool setNumber(const QString& ref, const QString& decimalText); // "-1234.5"
    bool setDate(const QString& ref, const QDate& date);
    // The cell's value as written (tests, reading back).
    QString cellValue(const QString& ref) const;
    // The name on the first sheet's tab, at most 31 characters; characters a sheet name
    // cannot hold become "_". Written with the workbook.
    void setSheetTitle(const QString& title);
    QString sheetTitle() const;

    // Writes every entry to `path` through a temporary file beside it; the earlier
    // calculation chain goes, and the workbook recalculates when opened.
    bool saveAs(const QString& path);
    QString error() const { return m_error; }

    // "B12" -> (12, 2); false for anything else.
    static bool parseRef(const QString& ref, int* row, int* column);

private:
    pugi::xml_node cell(const QString& ref, bool make);
    bool fail(const QString& text);

    std::map<QString, QByteArray> m_entries; // name -> bytes, in the template's order below
    std::vector<QString> m_order;
    QString m_sheetName;
    QString m_sheetTitle; // empty: the template's
    std::unique_ptr<pugi::xml_document> m_sheet;
    QString m_error;
    qsizetype m_cellsSet = 0; // how much the sheet grew, roughly
};

} // namespace finance
