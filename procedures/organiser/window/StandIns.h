#pragma once
#include <QDate>
#include <QStringList>
#include <functional>
#include <map>
#include <set>

#include "procedures/organiser/window/OrganiserServices.h"

// The forms and pane routines of the organiser window by name. A feature registers what it
// builds in `built` ("F_Notes", "PopulateCalendar"); a name nobody registered is written to the
// log as "Name(arg,arg)" (an omitted optional argument is "-"), answers "cancelled" / success
// and, when the composition root says so, tells the user that this part is not there yet.
namespace organiser {

// The program's one answer for what is not built yet; it names nothing internal.
void tellNotAvailable();

class CallLog {
public:
    void add(const QString& call) { m_calls << call; }
    const QStringList& calls() const { return m_calls; }
    QStringList take()
    {
        QStringList out;
        out.swap(m_calls);
        return out;
    }

private:
    QStringList m_calls;
};

// What a form was opened with; fields its call does not take stay at their defaults.
struct FormArgs {
    long eventId = 0;
    int flag = 0;
    long partnerId = 0;
    std::optional<long> categoryId;
    std::optional<long> contactId;
    int type = 0;
    QString text; // F_Zadaci's text, W_Backup's destination
    std::optional<int> pick;
};

class RecordedForms : public FormLauncher {
public:
    // Forms already built open instead of their stand-in, keyed by name ("F_Notes").
    std::map<QString, std::function<void(const FormArgs&)>> built;

    explicit RecordedForms(CallLog& log) : m_log(log) {}
    // What the next form leaves in GLOBALRESPONSE (cancelled unless a test says otherwise).
    int response = 2;
    // Called with each form or report asked for; the program tells the user it is not built.
    std::function<void(const QString& call)> onOpen;

    void F_Contact() override;
    void F_TaskCategorie() override;
    void F_Zadaci(long eventId, int flag, long partnerId, std::optional<long> categoryId, const QString& text) override;
    void F_PrihodiRashodi(long categoryId, int type) override;
    void F_ID_Kategorija() override;
    void F_ID_Dokumenti(std::optional<long> contactId) override;
    void F_ID_Stavke() override;
    void F_UD_Dokumenti(std::optional<long> contactId) override;
    void F_UD_Kategorija() override;
    void F_PASS_Kategorija() override;
    void F_PASS_Password() override;
    void F_Notes() override;
    void F_Proizvodi() override;
    void W_Postavke() override;
    void W_Backup(const QString& destination) override;
    void T_Accounti(std::optional<int> pick) override;
    void R_Email() override;
    void R_Task() override;
    // Whether a form of that name is registered.
    bool has(const QString& name) const { const auto it = built.find(name); return it != built.end() && it->second; }

private:
    void record(const QString& call, const FormArgs& args = {});
    CallLog& m_log;
};

class RecordedPanes : public PaneRoutines {
public:
    explicit RecordedPanes(CallLog& log) : m_log(log) {}
    std::set<QString> failing; // routines that answer failure
    // Routines already built run instead of their stand-in.
    std::map<QString, std::function<int()>> built;
    // Called with the name of a routine the user asked for that nobody built. The routines
    // that only fill a pane as it is shown (`quiet`) never ask it: the pane's own lists fill it.
    std::function<void(const QString& name)> onMissing;
    static const std::set<QString>& quiet();
    // Runs the routine registered under `name` (also one outside the interface, such as
    // "CalendarPrintPreview"); 0 when it is not built.
    int run(const QString& name);
    bool has(const QString& name) const { const auto it = built.find(name); return it != built.end() && it->second; }

    int SetMailFolderIcons() override { return record("SetMailFolderIcons"); }
    int ReadEmailsSQL() override { return record("ReadEmailsSQL"); }
    int InboxSelected() override { return record("InboxSelected"); }
    int DeleteEmail() override { return record("DeleteEmail"); }
    int FillTaskPanel() override { return record("FillTaskPanel"); }
    int PopulateCalendar() override { return record("PopulateCalendar"); }
    int T_CategoriesColor() override { return record("T_CategoriesColor"); }
    int SetupGantt() override { return record("SetupGantt"); }
    int RenumberGanttWbs() override { return record("RenumberGanttWbs"); }
    int IndentGanttActivity() override { return record("IndentGanttActivity"); }
    int OutdentGanttActivity() override { return record("OutdentGanttActivity"); }
    int MoveGanttActivityUp() override { return record("MoveGanttActivityUp"); }
    int MoveGanttActivityDown() override { return record("MoveGanttActivityDown"); }
    int ExportProjectXml() override { return record("ExportProjectXml"); }
    int FillFinanceCategoryTree() override { return record("FillFinanceCategoryTree"); }
    int CategorySelected() override { return record("CategorySelected"); }
    int DrawFinanceChart() override { return record("DrawFinanceChart"); }
    int ShowStateChart() override { return record("ShowStateChart"); }
    int ExportExcelIncomeExpenses() override { return record("ExportExcelIncomeExpenses"); }
    int ExportExcelInputDocument() override { return record("ExportExcelInputDocument"); }
    int ExportExcelInvoice() override { return record("ExportExcelInvoice"); }
    int ExportExcelState() override { return record("ExportExcelState"); }
    int PrintIncomeExpenses() override { return record("PrintIncomeExpenses"); }
    int PrintInputDocument() override { return record("PrintInputDocument"); }
    int PrintInvoice() override { return record("PrintInvoice"); }
    int PrintState() override { return record("PrintState"); }

private:
    int record(const char* name);
    CallLog& m_log;
};

} // namespace organiser
