#pragma once
#include <QDate>
#include <QStringList>
#include <functional>
#include <map>
#include <set>

#include "procedures/organiser/OrganiserServices.h"

// Recorded stand-ins for the forms, pane routines and hosted controls that later pieces of
// the program provide. Each call is written to the log as "Name(arg,arg)" (an omitted
// optional argument is "-") and answers "cancelled" / success, so the organiser window runs
// and its wiring can be checked before those pieces exist.
namespace organiser {

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

// The Gantt chart as a list of items with parents; calls are logged by name.
class RecordedGantt : public GanttApi {
public:
    explicit RecordedGantt(CallLog& log) : m_log(log) {}
    std::function<bool(const QDate&)> nonworking = [](const QDate& d) { return d.dayOfWeek() >= 6; };
    long focused = 0;
    std::set<long> withChildren;
    bool saveFails = false;
    int width = 333;

    void beginUpdate() override { m_log.add("BeginUpdate"); }
    void endUpdate() override { m_log.add("EndUpdate"); }
    void removeAllItems() override { m_log.add("RemoveAllItems"); m_items = 0; }
    bool loadXml(const QString& path) override;
    bool saveXml(const QString& path) override;
    void setAllowCellValueToItemBar(bool allow) override;
    int itemCount() override { return m_items; }
    long itemByIndex(int index) override { return index + 1; }
    void cellValueToItemBar(long item, int column, int barProperty) override;
    long insertItem() override;
    void setCellValue(long item, int column, const QVariant& value) override;
    bool isNonworkingDate(const QDate& date) override { return nonworking(date); }
    void selectItem(long item) override;
    void ensureVisibleItem(long item) override;
    void addBar(long item, const QString& kind, const QDate& start, const QDate& end) override;
    void setItemBar(long item, int property, const QVariant& value) override;
    void setAutoEdit(bool on) override;
    void edit() override { m_log.add("Edit"); }
    long focusItem() override { return focused; }
    long itemChild(long item) override { return withChildren.count(item) ? item + 1000 : 0; }
    void removeLinksOf(long item) override;
    void removeItem(long item) override;
    int paneWidth(int) override { return width; }
    void setPaneWidth(int pane, int w) override;

private:
    CallLog& m_log;
    int m_items = 0;
};

class RecordedCalendar : public CalendarApi {
public:
    explicit RecordedCalendar(CallLog& log) : m_log(log) {}
    void printPreview(int flag) override { m_log.add(QStringLiteral("PrintPreview(%1)").arg(flag)); }

private:
    CallLog& m_log;
};

class RecordedPrimer : public RecordPrimer {
public:
    explicit RecordedPrimer(CallLog& log) : m_log(log) {}
    bool fails = false;
    bool prime(Table table) override;
    void release(Table table) override;

private:
    CallLog& m_log;
};

} // namespace organiser
