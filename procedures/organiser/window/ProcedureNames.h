#pragma once
#include <QString>
#include <QStringView>
#include <optional>

// Every routine and form the organiser window calls, by one typed name. Features attach what
// they build under these names; the names' texts are what the log and the start's wiring check
// show, and what a menu entry or a button names in its table.
namespace organiser {

enum class Routine {
    // The panes' own (PaneRoutines).
    SetMailFolderIcons, ReadEmailsSQL, InboxSelected, DeleteEmail, FillTaskPanel, PopulateCalendar,
    T_CategoriesColor, SetupGantt, RenumberGanttWbs, IndentGanttActivity, OutdentGanttActivity,
    MoveGanttActivityUp, MoveGanttActivityDown, ExportProjectXml, FillFinanceCategoryTree, CategorySelected,
    DrawFinanceChart, ShowStateChart, ExportExcelIncomeExpenses, ExportExcelInputDocument, ExportExcelInvoice,
    ExportExcelState, PrintIncomeExpenses, PrintInputDocument, PrintInvoice, PrintState,
    // The mail page.
    ShowEmail, MarkUnread, MarkFolderRead, InsertContact, AddToTasks, MoveMailToJunk, EmptyMailFolder,
    InsertMailFolder, ChangeMailFolder, DeleteMailFolder, RenumberMailFolderTree,
    // The trees' arrow buttons: mail folders (E), finance categories (PRK), contact groups.
    MoveUpVrE, MoveDownVrE, MoveLeftVrE, MoveRightVrE,
    MoveUpVrPRK, MoveDownVrPRK, MoveLeftVrPRK, MoveRightVrPRK,
    MoveUpVr, MoveDownVr, MoveLeftVr, MoveRightVr, RenumberContactGroupTree,
    // The finance page's category menu and state chart.
    InsertFinanceCategory, ChangeFinanceCategory, DeleteFinanceCategory, DrawStateChart,
    // The calendar and the plan.
    CalendarPrintPreview, CalendarEditEvent, CalendarDeleteEvent, EditLinkDelay,
    Count
};

enum class Form {
    F_Contact, F_TaskCategorie, F_Zadaci, F_PrihodiRashodi, F_ID_Kategorija, F_ID_Dokumenti, F_ID_Stavke,
    F_UD_Dokumenti, F_UD_Kategorija, F_PASS_Kategorija, F_PASS_Password, F_Notes, F_Proizvodi, W_Postavke,
    W_Backup, T_Accounti, R_Email, R_Task,
    Count
};

constexpr int routineCount = int(Routine::Count);
constexpr int formCount = int(Form::Count);

// "SetupGantt", "F_Notes".
QString nameOf(Routine r);
QString nameOf(Form f);
// The routine or form of that name, once, where a name arrives as text.
std::optional<Routine> routineNamed(QStringView name);
std::optional<Form> formNamed(QStringView name);
// The routines that only fill a pane as it is shown: the pane's own lists fill it, so one with
// nothing behind it does not bother the user.
bool isQuiet(Routine r);

} // namespace organiser
