#include "procedures/documents/Business.h"

#include "procedures/documents/BusinessForms.h"
#include "procedures/documents/DocumentReports.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "runtime/Dialogs.h"
#include "runtime/Process.h"
#include "runtime/Report.h"

namespace business {

namespace {
int print(long documentId, const Forms& forms, bool outgoing)
{
    if (documentId <= 0) {
        vrt::message(forms.tr(QStringLiteral("Prethodno odaberite dokument za ispis.")), forms.tr(QStringLiteral("Velmora")),
                     vrt::Icon::Information);
        return 0;
    }
    vrt::Report report;
    QString why;
    bool built = false;
    if (outgoing) {
        const auto progress = vrt::makeProgressWindow(forms.tr(QStringLiteral("Progress...")), forms.tr(QStringLiteral("Cancel")));
        built = buildInvoice(documentId, report, forms.translate(), &why, progress.get());
    } else {
        built = buildInputDocument(documentId, report, forms.translate(), &why);
    }
    if (!built && why.isEmpty()) // cancelled
        return 0;
    if (!built) {
        vrt::message(forms.tr(QStringLiteral("Dokument se ne može ispisati:")) + QLatin1Char(' ') + why,
                     forms.tr(QStringLiteral("Velmora")), vrt::Icon::Hand);
        return 0;
    }
    report.preview();
    return 0;
}
} // namespace

int printInvoice(long documentId, const Forms& forms) { return print(documentId, forms, true); }
int printInputDocument(long documentId, const Forms& forms) { return print(documentId, forms, false); }

void attachBusiness(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    auto forms = std::make_shared<Forms>([&window](const QString& t) { return window.translated(t); }, &window);
    using organiser::Form;
    organiser::FormTable& table = host.forms;
    table.attach(Form::F_Proizvodi, [forms](const organiser::FormArgs&) { forms->F_Proizvodi(); });
    table.attach(Form::F_ID_Kategorija, [forms](const organiser::FormArgs&) { forms->F_ID_Kategorija(); });
    table.attach(Form::F_UD_Kategorija, [forms](const organiser::FormArgs&) { forms->F_UD_Kategorija(); });
    table.attach(Form::F_ID_Stavke, [forms](const organiser::FormArgs&) { forms->F_ID_Stavke(); });
    table.attach(Form::F_ID_Dokumenti, [forms](const organiser::FormArgs& a) { forms->F_ID_Dokumenti(a.contactId); });
    table.attach(Form::F_UD_Dokumenti, [forms](const organiser::FormArgs& a) { forms->F_UD_Dokumenti(a.contactId); });
    table.attach(Form::W_Postavke, [forms](const organiser::FormArgs&) { forms->W_Postavke(); });
    // Each list remembers its own row: an incoming document's number never prints an invoice.
    auto selected = [&panes](int control) {
        const QVariant id = panes.lists().list(control).selectedId();
        return id.isValid() ? long(id.toLongLong()) : 0L;
    };
    host.routines.attach(organiser::Routine::PrintInvoice,
                         [forms, selected] { return printInvoice(selected(organiser::ctl::ID), *forms); });
    host.routines.attach(organiser::Routine::PrintInputDocument,
                         [forms, selected] { return printInputDocument(selected(organiser::ctl::UD), *forms); });
}

} // namespace business
