#include "procedures/mail/MailReport.h"

#include <QLocale>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Report.h"
#include "runtime/WindowManager.h"

namespace organiser {

bool buildEmailReport(vrt::Report& report, long emailId, const std::function<QString(const QString&)>& trIn)
{
    const auto tr = [&trIn](const QString& t) { return trIn ? trIn(t) : t; };
    report.clear();
    report.setTitle(tr(QStringLiteral("Email")));
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(15, 15, 15, 15));
    report.pageHeader = vrt::ReportBand{};
    report.pageHeader.height = 0;
    // The window's own mail buffer stays where the list put it.
    vrt::FileManager& f = Access(Tbl::AEMAIL);
    f.clearBuffer();
    EMA().ID = int32_t(emailId);
    if (emailId == 0 || f.TryFetch(EMA.IDKey) != 0)
        return false; // nothing to print
    const EMAIL_Rec mail = EMA();

    constexpr double width = 180, labelWidth = 22, line = 6;
    constexpr int topLeft = Qt::AlignLeft | Qt::AlignTop;
    const QFont font(QStringLiteral("Tahoma"), 10);
    QFont bold = font;
    bold.setBold(true);
    vrt::ReportBand& h = report.pageHeader;
    double y = 0;
    // Subject and recipient take as many lines as they need; what follows moves down.
    const auto field = [&](const QString& label, const QString& value) {
        const double valueWidth = width - labelWidth - 2;
        const double height = std::max(line, vrt::Report::textHeight(value, font, valueWidth));
        h.addText(QRectF(0, y, labelWidth, line), tr(label), bold, topLeft);
        h.addText(QRectF(labelWidth + 2, y, valueWidth, height), value, font, topLeft).wrap = true;
        y += height + 1;
    };
    field(QStringLiteral("Naslov:"), QString::fromStdString(mail.SUBJECT));
    field(QStringLiteral("Prima:"), QString::fromStdString(mail.TOADDR));
    h.addLine(QRectF(0, y, width, 0), 0.4);
    y += 2;
    const QLocale locale;
    const QDate date = mail.DATUM ? vrt::dateFromDay(mail.DATUM) : QDate();
    const QTime time = mail.VRIJEME ? vrt::qtimeFromTime(mail.VRIJEME) : QTime();
    h.addText(QRectF(0, y, 40, line), date.isValid() ? locale.toString(date, QLocale::ShortFormat) : QString(), font);
    h.addText(QRectF(42, y, 30, line), time.isValid() ? locale.toString(time, QLocale::ShortFormat) : QString(), font);
    y += line + 3;
    h.height = y;
    const QString body = QString::fromStdString(mail.BODY);
    if (body.isEmpty()) {
        report.print(vrt::ReportBand{}); // the header alone
        return true;
    }
    report.printText(body, font, width);
    return true;
}

void R_Email(long emailId, const std::function<QString(const QString&)>& tr)
{
    vrt::Report report;
    if (!buildEmailReport(report, emailId, tr)) {
        // An empty preview would only look like a failure.
        const QString text = QStringLiteral("Odaberite email koji želite ispisati.");
        vrt::message(tr ? tr(text) : text, {}, vrt::Icon::Information);
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    report.setPreviewZoom(1);
    report.preview();
    GLOBALRESPONSE = vrt::REQUEST_COMPLETED;
}

void attachMailReport(FeatureHost& host)
{
    OrganiserWindow& window = host.window;
    OrganiserPanes& panes = host.panes;
    host.forms.attach(Form::R_Email, [&window, &panes](const FormArgs&) {
        const long id = long(panes.lists().list(ctl::Email).selectedId().toLongLong());
        R_Email(id, [&window](const QString& t) { return window.translated(t); });
    });
}

} // namespace organiser
