#include "runtime/Report.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QTextLayout>

#include "runtime/Process.h"
#include "runtime/WindowManager.h"

namespace vrt {

namespace {
Report::PreviewRunner g_previewRunner;

// Texts are measured at print resolution so a wrapped field takes the same lines on paper
// as it did when the band was laid out.
const QPaintDevice& measuringDevice()
{
    static QImage image = [] {
        QImage i(1, 1, QImage::Format_Mono);
        i.setDotsPerMeterX(47244); // 1200 dpi
        i.setDotsPerMeterY(47244);
        return i;
    }();
    return image;
}

} // namespace

double Report::textHeight(const QString& text, const QFont& font, double widthMm)
{
    const double dpi = measuringDevice().logicalDpiY();
    const double perMm = dpi / 25.4;
    QFontMetricsF metrics(font, const_cast<QPaintDevice*>(&measuringDevice()));
    const QRectF bound = metrics.boundingRect(QRectF(0, 0, widthMm * perMm, 1e9),
                                              Qt::TextWordWrap, text);
    return bound.height() / perMm;
}

ReportItem& ReportBand::addText(QRectF rect, QString text, QFont font, int align)
{
    ReportItem item;
    item.rect = rect;
    item.text = std::move(text);
    item.font = std::move(font);
    item.align = align;
    items.push_back(std::move(item));
    return items.back();
}

ReportItem& ReportBand::addValue(QRectF rect, std::function<QString()> value, QFont font, int align)
{
    ReportItem& item = addText(rect, {}, std::move(font), align);
    item.value = std::move(value);
    return item;
}

ReportItem& ReportBand::addLine(QRectF rect, double penWidth)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.rect = rect;
    item.penWidth = penWidth;
    items.push_back(std::move(item));
    return items.back();
}

ReportItem& ReportBand::addBox(QRectF rect, double penWidth)
{
    ReportItem& item = addLine(rect, penWidth);
    item.kind = ReportItem::Kind::Box;
    return item;
}

Report::Report() : m_pageSize(QPageSize::A4), m_margins(10, 10, 10, 10)
{
    pageHeader.height = 0;
    pageFooter.height = 0;
}

void Report::setPage(QPageSize size, QMarginsF marginsMm, bool landscape)
{
    m_pageSize = std::move(size);
    m_margins = marginsMm;
    m_landscape = landscape;
}

QRectF Report::body() const
{
    QSizeF size = m_pageSize.size(QPageSize::Millimeter);
    if (m_landscape)
        size.transpose();
    return QRectF(m_margins.left(), m_margins.top(), size.width() - m_margins.left() - m_margins.right(),
                  size.height() - m_margins.top() - m_margins.bottom());
}

double Report::bandHeight(const ReportBand& band) const
{
    double height = band.height;
    for (const auto& item : band.items) {
        if (item.kind != ReportItem::Kind::Text || !item.wrap)
            continue;
        const QString text = item.value ? item.value() : item.text;
        const double needed = textHeight(text, item.font, item.rect.width());
        height = std::max(height, item.rect.top() + needed);
    }
    return height;
}

void Report::place(const ReportBand& band, double top, double height)
{
    const QRectF area = body();
    Page& page = m_pages.back();
    for (const auto& item : band.items) {
        Op op{item.kind, item.rect.translated(area.left(), area.top() + top),
              item.kind == ReportItem::Kind::Text ? (item.value ? item.value() : item.text) : QString(),
              item.font, item.align, item.wrap, item.penWidth};
        if (item.wrap) // a grown band gives its wrapping texts the room it grew by
            op.rect.setHeight(op.rect.height() + height - band.height);
        page.ops.push_back(std::move(op));
    }
}

void Report::startPage()
{
    m_pages.emplace_back();
    m_pageOpen = true;
    m_y = 0;
    if (!pageHeader.items.empty() || pageHeader.height > 0) {
        const double h = bandHeight(pageHeader);
        place(pageHeader, 0, h);
        m_y = h;
    }
}

void Report::finishPage()
{
    if (!m_pageOpen)
        return;
    if (!pageFooter.items.empty() || pageFooter.height > 0) {
        const double h = bandHeight(pageFooter);
        place(pageFooter, body().height() - h, h);
    }
    m_pageOpen = false;
}

void Report::print(const ReportBand& band)
{
    const double h = bandHeight(band);
    if (!m_pageOpen)
        startPage();
    const double bottom = body().height() - bandHeight(pageFooter);
    // A band taller than an empty page still goes on one page rather than looping for ever.
    if (m_y + h > bottom && m_y > bandHeight(pageHeader)) {
        finishPage();
        startPage();
    }
    place(band, m_y, h);
    m_y += h;
}

void Report::printText(const QString& text, const QFont& font, double widthMm)
{
    const double perMm = measuringDevice().logicalDpiX() / 25.4;
    const double lineMm = 1.15 * QFontMetricsF(font, const_cast<QPaintDevice*>(&measuringDevice())).lineSpacing() / perMm;
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    plain.replace(QLatin1Char('\t'), QLatin1String("    "));
    // Line by line, so a page ends between two lines rather than cutting a paragraph off.
    for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice*>(&measuringDevice()));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        QStringList lines;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthMm * perMm);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (lines.isEmpty())
            lines << QString();
        for (const QString& line : lines) {
            ReportBand band;
            band.height = lineMm;
            // A little room on the right: a device may set the same line a hair wider.
            band.addText(QRectF(0, 0, widthMm + 2, lineMm), line.trimmed(), font);
            print(band);
        }
    }
}

void Report::pageBreak() { finishPage(); }

void Report::clear()
{
    m_pages.clear();
    m_pageOpen = false;
    m_y = 0;
}

QString Report::pageText(const QString& text, int page, int pages)
{
    QString out = text;
    out.replace(QLatin1String("%PAGES%"), QString::number(pages));
    out.replace(QLatin1String("%PAGE%"), QString::number(page));
    return out;
}

QStringList Report::pageTexts(int page) const
{
    QStringList out;
    if (page < 0 || page >= pageCount())
        return out;
    for (const auto& op : m_pages[size_t(page)].ops)
        if (op.kind == ReportItem::Kind::Text)
            out << pageText(op.text, page + 1, pageCount());
    return out;
}

bool Report::render(QPagedPaintDevice& device) const
{
    const_cast<Report*>(this)->finishPage();
    device.setPageLayout(QPageLayout(m_pageSize, m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double perMmX = device.logicalDpiX() / 25.4;
    const double perMmY = device.logicalDpiY() / 25.4;
    auto toDevice = [&](const QRectF& mm) {
        return QRectF(mm.left() * perMmX, mm.top() * perMmY, mm.width() * perMmX, mm.height() * perMmY);
    };
    const int pages = pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !device.newPage())
            return false;
        for (const auto& op : m_pages[size_t(p)].ops) {
            const QRectF r = toDevice(op.rect);
            switch (op.kind) {
            case ReportItem::Kind::Text:
                painter.setFont(op.font);
                painter.setPen(Qt::black);
                painter.drawText(r, op.align | (op.wrap ? Qt::TextWordWrap : 0),
                                 pageText(op.text, p + 1, pages));
                break;
            case ReportItem::Kind::Line:
                painter.setPen(QPen(Qt::black, op.penWidth * perMmX));
                painter.drawLine(r.topLeft(), r.bottomRight());
                break;
            case ReportItem::Kind::Box:
                painter.setPen(QPen(Qt::black, op.penWidth * perMmX));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
                break;
            }
        }
    }
    return painter.end();
}

bool Report::writePdf(const QString& fileName, QString* error) const
{
    QPdfWriter writer(fileName);
    writer.setTitle(m_title);
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("Velmora"));
    if (!render(writer)) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(fileName);
        return false;
    }
    return true;
}

bool Report::preview()
{
    finishPage();
    return g_previewRunner ? g_previewRunner(*this) : qtPreview(*this);
}

bool Report::qtPreview(Report& report)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(report.title());
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowTitle(report.title());
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    if (report.previewZoom() > 0)
        if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
            view->setZoomMode(QPrintPreviewWidget::CustomZoom);
            view->setZoomFactor(report.previewZoom());
        }
    bool printed = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [&](QPrinter* target) {
        report.render(*target);
        printed = true; // the preview paints too; only an accepted dialog counts below
    });
    const int result = runModal(dialog);
    return printed && result == QDialog::Accepted;
}

int runReport(Report& report, Process& process, ProgressSink* progress)
{
    if (process.run(progress) != Process::Result::Completed)
        return REQUEST_CANCELLED;
    report.preview();
    return REQUEST_COMPLETED;
}

Report::PreviewRunner Report::setPreviewRunner(PreviewRunner runner)
{
    PreviewRunner old = std::move(g_previewRunner);
    g_previewRunner = std::move(runner);
    return old;
}

} // namespace vrt
