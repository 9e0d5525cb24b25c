#pragma once
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "procedures/organiser/window/OrganiserServices.h"
#include "procedures/organiser/window/ProcedureNames.h"

// The forms and routines of the organiser window, each under its typed name. A feature
// attaches what it builds through the `FeatureHost` the composition root gives it; a call with
// nothing attached goes to `Unattached`, which in the program tells the user that this part
// is not there. The start checks that every name has something behind it.
namespace organiser {

class OrganiserWindow;
class OrganiserPanes;

// The program's one answer for what is not there; it names nothing internal.
void tellNotAvailable();

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

// A call to a routine or form that nothing is attached to.
class Unattached {
public:
    virtual ~Unattached() = default;
    // Answers the routine's failure flag.
    virtual int routine(Routine r) = 0;
    // `call` is "Name(arg,arg)" (an omitted optional argument is "-"); the form leaves its
    // answer in GLOBALRESPONSE.
    virtual void form(Form f, const QString& call) = 0;
    // A step the window left out because what it works on is not there ("S_FillInboxTree").
    virtual void skipped(const QString& step) = 0;
};

// The program's: the user hears that the part is not there (not for a routine that only fills
// a pane as it is shown), and the form counts as cancelled.
class TellUser : public Unattached {
public:
    int routine(Routine r) override;
    void form(Form f, const QString& call) override;
    void skipped(const QString&) override {}
};

class RoutineTable : public PaneRoutines {
public:
    explicit RoutineTable(Unattached& unattached) : m_unattached(unattached) {}
    void attach(Routine r, std::function<int()> run) { m_run.at(size_t(r)) = std::move(run); }
    bool has(Routine r) const { return bool(m_run.at(size_t(r))); }
    // The attached routine's failure flag (0 = fine), or what `Unattached` answers.
    int run(Routine r);
    // The names nothing is attached to.
    QStringList unattached() const;

    int SetMailFolderIcons() override { return run(Routine::SetMailFolderIcons); }
    int ReadEmailsSQL() override { return run(Routine::ReadEmailsSQL); }
    int InboxSelected() override { return run(Routine::InboxSelected); }
    int DeleteEmail() override { return run(Routine::DeleteEmail); }
    int FillTaskPanel() override { return run(Routine::FillTaskPanel); }
    int PopulateCalendar() override { return run(Routine::PopulateCalendar); }
    int T_CategoriesColor() override { return run(Routine::T_CategoriesColor); }
    int SetupGantt() override { return run(Routine::SetupGantt); }
    int RenumberGanttWbs() override { return run(Routine::RenumberGanttWbs); }
    int IndentGanttActivity() override { return run(Routine::IndentGanttActivity); }
    int OutdentGanttActivity() override { return run(Routine::OutdentGanttActivity); }
    int MoveGanttActivityUp() override { return run(Routine::MoveGanttActivityUp); }
    int MoveGanttActivityDown() override { return run(Routine::MoveGanttActivityDown); }
    int ExportProjectXml() override { return run(Routine::ExportProjectXml); }
    int FillFinanceCategoryTree() override { return run(Routine::FillFinanceCategoryTree); }
    int CategorySelected() override { return run(Routine::CategorySelected); }
    int DrawFinanceChart() override { return run(Routine::DrawFinanceChart); }
    int ShowStateChart() override { return run(Routine::ShowStateChart); }
    int ExportExcelIncomeExpenses() override { return run(Routine::ExportExcelIncomeExpenses); }
    int ExportExcelInputDocument() override { return run(Routine::ExportExcelInputDocument); }
    int ExportExcelInvoice() override { return run(Routine::ExportExcelInvoice); }
    int ExportExcelState() override { return run(Routine::ExportExcelState); }
    int PrintIncomeExpenses() override { return run(Routine::PrintIncomeExpenses); }
    int PrintInputDocument() override { return run(Routine::PrintInputDocument); }
    int PrintInvoice() override { return run(Routine::PrintInvoice); }
    int PrintState() override { return run(Routine::PrintState); }

private:
    std::array<std::function<int()>, routineCount> m_run;
    Unattached& m_unattached;
};

class FormTable : public FormLauncher {
public:
    explicit FormTable(Unattached& unattached) : m_unattached(unattached) {}
    void attach(Form f, std::function<void(const FormArgs&)> open) { m_open.at(size_t(f)) = std::move(open); }
    bool has(Form f) const { return bool(m_open.at(size_t(f))); }
    QStringList unattached() const;

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

private:
    // `args` printed as the call's arguments when nothing is attached.
    void open(Form f, const FormArgs& args, const QString& printedArgs = {});
    std::array<std::function<void(const FormArgs&)>, formCount> m_open;
    Unattached& m_unattached;
};

// What a feature is given to attach itself: the window, its panes, the tables it fills and the
// planning page's chart (made before the window).
struct FeatureHost {
    OrganiserWindow& window;
    OrganiserPanes& panes;
    RoutineTable& routines;
    FormTable& forms;
    GanttApi& gantt;
};

// Every feature attaches itself through this one call.
using AttachFeature = void (*)(FeatureHost& host);

// Every name with nothing behind it: routines, then forms.
QStringList unattachedNames(const RoutineTable& routines, const FormTable& forms);

} // namespace organiser
