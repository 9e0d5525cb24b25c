#pragma once
#include <QFont>
#include <QMarginsF>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace vrt {

// A band of a report: a strip of fixed height (millimetres) holding texts, lines and boxes
// placed relative to its top-left corner. Texts are computed when the band is printed, so
// they show the record that is current at that moment; a text may grow the band downwards
// when it wraps ("multi-line" fields).
struct ReportItem {
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    QRectF rect; // mm, relative to the band
    QString text;                      // fixed text; "%PAGE%" and "%PAGES%" are filled in
    std::function<QString()> value;    // computed text (wins over `text`)
    QFont font;
    int align = 0x0001 | 0x0080;       // Qt::AlignLeft | Qt::AlignVCenter
    bool wrap = false;                 // wraps and grows the band when longer than the rect
    double penWidth = 0.2;             // mm, lines and boxes
};

struct ReportBand {
    QString name;
    double height = 5; // mm
    std::vector<ReportItem> items;

    ReportItem& addText(QRectF rect, QString text, QFont font = {}, int align = 0x0001 | 0x0080);
    ReportItem& addValue(QRectF rect, std::function<QString()> value, QFont font = {},
                         int align = 0x0001 | 0x0080);
    ReportItem& addLine(QRectF rect, double penWidth = 0.2);
    ReportItem& addBox(QRectF rect, double penWidth = 0.2);
};

// A report: bands laid out on pages as they are printed, then drawn on any paged device
// (a PDF file, a printer, the print preview). Each page carries the page header at the top
// and the page footer at the bottom.
class Report {
public:
    Report();

    void setPage(QPageSize size, QMarginsF marginsMm, bool landscape = false);
    QPageSize pageSize() const { return m_pageSize; }
    bool landscape() const { return m_landscape; }
    void setTitle(const QString& title) { m_title = title; }
    QString title() const { return m_title; }

    ReportBand pageHeader;
    ReportBand pageFooter;

    // Places `band` below what is on the page, opening a new page when it does not fit.
    void print(const ReportBand& band);
    // Prints a long text line by line, `widthMm` wide from the left edge, so that it flows over
    // as many pages as it needs. Its line breaks stay; a word wider than a line is broken.
    void printText(const QString& text, const QFont& font, double widthMm);
    // The height (mm) a text takes when wrapped at `widthMm`, as printed.
    static double textHeight(const QString& text, const QFont& font, double widthMm);
    // Ends the current page; the next band starts a new one.
    void pageBreak();
    // Forget everything printed.
    void clear();

    int pageCount() const { return int(m_pages.size()); }
    bool empty() const { return m_pages.empty(); }

    // Every text on a page, in drawing order (what a test or a search sees).
    QStringList pageTexts(int page) const;

    // Draws every page onto `device` (PDF writer or printer). False when painting failed.
    bool render(QPagedPaintDevice& device) const;
    bool writePdf(const QString& fileName, QString* error = nullptr) const;
    // Shows the print preview; true when the user printed from it.
    bool preview();
    // The preview's zoom: 1 shows the page at its real size; 0 (the default) fits its width.
    void setPreviewZoom(double factor) { m_previewZoom = factor; }
    double previewZoom() const { return m_previewZoom; }

    // Replaces the preview (tests: never open a window). Answers whether it printed.
    using PreviewRunner = std::function<bool(Report& report)>;
    static PreviewRunner setPreviewRunner(PreviewRunner runner);

    // The built-in preview: a QPrintPreviewDialog, maximised, shown through runModal.
    static bool qtPreview(Report& report);

private:
    struct Op {
        ReportItem::Kind kind;
        QRectF rect; // mm, page coordinates
        QString text;
        QFont font;
        int align;
        bool wrap;
        double penWidth;
    };
    struct Page {
        std::vector<Op> ops;
    };

    void startPage();
    void finishPage();
    double bandHeight(const ReportBand& band) const;
    void place(const ReportBand& band, double top, double height);
    QRectF body() const; // printable area in mm
    static QString pageText(const QString& text, int page, int pages);

    QPageSize m_pageSize;
    QMarginsF m_margins;
    bool m_landscape = false;
    double m_previewZoom = 0;
    QString m_title;
    std::vector<Page> m_pages;
    bool m_pageOpen = false;
    double m_y = 0; // mm from the top of the body, next free line
};

class Process;
class ProgressSink;

// A report procedure's run: the process walks its records (its takeRecord prints the bands),
// then the preview shows what was printed. Answers REQUEST_COMPLETED when the walk ended
// normally and the preview was shown, REQUEST_CANCELLED when the user cancelled or the
// walk failed.
int runReport(Report& report, Process& process, ProgressSink* progress);

} // namespace vrt
