#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
}

// An .xlsx workbook edited in place: every entry of the file is kept, the sheets, styles and
// workbook parts that change are rewritten, and the result goes to a new file. Texts go in as
// inline strings (never formulas), numbers as numbers, dates as date serials, formulas only
// through setFormula; a cell keeps its style unless a style patch changes it.
namespace office {

// A block of cells, 1-based and inclusive.
struct CellRect {
    int top = 1, left = 1, bottom = 1, right = 1;
    bool operator==(const CellRect&) const = default;
};

// What a style patch changes; everything left unset stays as the cell has it.
struct StylePatch {
    std::optional<QString> fontName;
    std::optional<double> fontSize;
    std::optional<bool> bold, italic;
    std::optional<QString> underline;   // "" none, "single", "double"
    std::optional<QString> fontColour;  // "indexed:N", "rgb:FFRRGGBB", "" automatic
    std::optional<QString> fillColour;  // the same forms; "" no fill
    std::optional<QString> numberFormat;
    std::optional<QString> horizontal, vertical; // OOXML names ("center"); "" general
    std::optional<bool> wrap, locked;
    // Border edges: "left", "right", "top", "bottom", "insideV", "insideH", "diagonalDown",
    // "diagonalUp"; the line style ("thin", "" none) and colour when set.
    struct Edge {
        QString edge;
        std::optional<QString> style;
        std::optional<QString> colour;
    };
    std::vector<Edge> edges;
    QString key() const;
};

// A cell's style as read back.
struct CellStyle {
    QString fontName;
    double fontSize = 11;
    bool bold = false, italic = false;
    QString underline;
    QString fontColour;
    QString fillColour;
    QString numberFormat = QStringLiteral("General");
    QString horizontal, vertical;
    bool wrap = false, locked = true;
    std::map<QString, QString> borders; // edge -> line style
};

class XlsxWorkbook {
public:
    XlsxWorkbook();
    ~XlsxWorkbook();

    // A workbook file; false with error() when it cannot be read as one.
    bool open(const QString& path);
    // A workbook of one empty sheet, made here.
    void create();
    bool isOpen() const { return !m_sheets.empty(); }

    // Sheets, counted from 0. The active sheet is the one the cell operations act on.
    int sheetCount() const { return int(m_sheets.size()); }
    int activeSheet() const { return m_active; }
    bool selectSheet(int index);
    int sheetIndex(const QString& name) const; // -1 when none has the name
    QString sheetName(int index) const;
    // Characters a sheet name cannot hold become "_"; at most 31 are kept. False when another
    // sheet has the name.
    bool setSheetName(int index, const QString& name);
    // A new sheet before the active one, which it becomes.
    bool addSheet();
    bool deleteSheet(int index);

    // Values on the active sheet; `ref` is an A1 reference. False for a reference that is none.
    bool setText(const QString& ref, const QString& text);
    bool setNumber(const QString& ref, const QString& decimalText); // "-1234.5"
    bool setDate(const QString& ref, const QDate& date);
    bool setFormula(const QString& ref, const QString& formula); // without the "="
    void clearCells(const CellRect& rect);
    // The cell's value as shown: the text, the number as written, "=F" for a formula.
    QString cellValue(const QString& ref) const;
    // The active sheet's name.
    void setSheetTitle(const QString& title);
    QString sheetTitle() const;

    // Styles, column widths (in characters), row heights (in points), merged blocks.
    bool applyStyle(const CellRect& rect, const StylePatch& patch);
    CellStyle styleAt(int row, int column) const;
    void setColumnWidth(int first, int last, double width);
    double columnWidth(int column) const; // 0: the default
    void autoFitColumns(int first, int last);
    void setRowHeight(int first, int last, double height);
    double rowHeight(int row) const; // 0: the default
    void autoFitRows(int first, int last);
    void merge(const CellRect& rect, bool on);
    bool isMerged(const CellRect& rect) const;
    void insertRows(int at, int count);
    void insertColumns(int at, int count);
    // Replaces `what` inside every text cell of the active sheet; how many cells changed.
    int replaceText(const QString& what, const QString& with);
    void setAutoFilter(const CellRect& rect);
    void protect(const QString& password);
    // Page set-up of the active sheet; margins in points.
    void setPaper(int paperSize);
    void setOrientation(int orientation); // 1 portrait, 2 landscape
    void setMargin(const QString& which, double points); // "top", "bottom", "left", "right"
    // part: "LeftHeader" ... "RightFooter".
    void setHeaderFooter(const QString& part, const QString& text);
    QString headerFooter(const QString& part) const;

    // Cells taken for a paste: values, formulas and styles, relative to the block's corner.
    struct Clip;
    std::shared_ptr<Clip> copy(const CellRect& rect) const;
    void paste(const Clip& clip, int row, int column);
    // The last used cell of the active sheet (1,1 when empty).
    CellRect usedRange() const;

    // Writes every entry to `path` through a temporary file beside it; an existing file is
    // not replaced. The calculation chain goes and the workbook recalculates when opened.
    bool saveAs(const QString& path);
    QString error() const { return m_error; }

    // "B12" -> (12, 2); false for anything else.
    static bool parseRef(const QString& ref, int* row, int* column);
    // "B2:C5", "B2", "A:C", "3:4" -> a block; false for anything else.
    static bool parseRange(const QString& ref, CellRect* rect);
    static QString columnName(int column);

private:
    struct Sheet;
    pugi::xml_node cell(const QString& ref, bool make);
    pugi::xml_node cellAt(int row, int column, bool make) const;
    pugi::xml_node worksheet() const;
    pugi::xml_node part(const char* name) const; // child of the worksheet, made in schema order
    pugi::xml_node rowNode(int row, bool make) const;
    int styleFor(int xf, const StylePatch& patch);
    QString sharedString(int index) const;
    bool fail(const QString& text);
    bool load();

    std::map<QString, QByteArray> m_entries; // name -> bytes
    std::vector<QString> m_order;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    int m_active = 0;
    std::unique_ptr<pugi::xml_document> m_workbook, m_rels, m_types, m_styles;
    mutable std::unique_ptr<pugi::xml_document> m_shared;
    QString m_stylesEntry;
    std::map<QString, int> m_styleCache; // "xf|patch" -> xf
    qsizetype m_cellsSet = 0;            // how much the sheets grew, roughly
    QString m_error;
};

} // namespace office
