#include "procedures/organiser/window/ProcedureNames.h"

#include <array>

namespace organiser {

namespace {

struct RoutineEntry {
    Routine id;
    const char* name;
    bool quiet;
};

#define VELMORA_ROUTINE(n, q) RoutineEntry{Routine::n, #n, q}
constexpr std::array<RoutineEntry, routineCount> routines = {{
    VELMORA_ROUTINE(SetMailFolderIcons, true), VELMORA_ROUTINE(ReadEmailsSQL, true),
    VELMORA_ROUTINE(InboxSelected, true), VELMORA_ROUTINE(DeleteEmail, false),
    VELMORA_ROUTINE(FillTaskPanel, true), VELMORA_ROUTINE(PopulateCalendar, true),
    VELMORA_ROUTINE(T_CategoriesColor, true), VELMORA_ROUTINE(SetupGantt, true),
    VELMORA_ROUTINE(RenumberGanttWbs, false), VELMORA_ROUTINE(IndentGanttActivity, false),
    VELMORA_ROUTINE(OutdentGanttActivity, false), VELMORA_ROUTINE(MoveGanttActivityUp, false),
    VELMORA_ROUTINE(MoveGanttActivityDown, false), VELMORA_ROUTINE(ExportProjectXml, false),
    VELMORA_ROUTINE(FillFinanceCategoryTree, true), VELMORA_ROUTINE(CategorySelected, true),
    VELMORA_ROUTINE(DrawFinanceChart, true), VELMORA_ROUTINE(ShowStateChart, false),
    VELMORA_ROUTINE(ExportExcelIncomeExpenses, false), VELMORA_ROUTINE(ExportExcelInputDocument, false),
    VELMORA_ROUTINE(ExportExcelInvoice, false), VELMORA_ROUTINE(ExportExcelState, false),
    VELMORA_ROUTINE(PrintIncomeExpenses, false), VELMORA_ROUTINE(PrintInputDocument, false),
    VELMORA_ROUTINE(PrintInvoice, false), VELMORA_ROUTINE(PrintState, false),
    VELMORA_ROUTINE(ShowEmail, false), VELMORA_ROUTINE(MarkUnread, false),
    VELMORA_ROUTINE(MarkFolderRead, false), VELMORA_ROUTINE(InsertContact, false),
    VELMORA_ROUTINE(AddToTasks, false), VELMORA_ROUTINE(MoveMailToJunk, false),
    VELMORA_ROUTINE(EmptyMailFolder, false), VELMORA_ROUTINE(InsertMailFolder, false),
    VELMORA_ROUTINE(ChangeMailFolder, false), VELMORA_ROUTINE(DeleteMailFolder, false),
    VELMORA_ROUTINE(RenumberMailFolderTree, false),
    VELMORA_ROUTINE(MoveUpVrE, false), VELMORA_ROUTINE(MoveDownVrE, false),
    VELMORA_ROUTINE(MoveLeftVrE, false), VELMORA_ROUTINE(MoveRightVrE, false),
    VELMORA_ROUTINE(MoveUpVrPRK, false), VELMORA_ROUTINE(MoveDownVrPRK, false),
    VELMORA_ROUTINE(MoveLeftVrPRK, false), VELMORA_ROUTINE(MoveRightVrPRK, false),
    VELMORA_ROUTINE(MoveUpVr, false), VELMORA_ROUTINE(MoveDownVr, false),
    VELMORA_ROUTINE(MoveLeftVr, false), VELMORA_ROUTINE(MoveRightVr, false),
    VELMORA_ROUTINE(RenumberContactGroupTree, false),
    VELMORA_ROUTINE(InsertFinanceCategory, false), VELMORA_ROUTINE(ChangeFinanceCategory, false),
    VELMORA_ROUTINE(DeleteFinanceCategory, false), VELMORA_ROUTINE(DrawStateChart, false),
    VELMORA_ROUTINE(CalendarPrintPreview, false), VELMORA_ROUTINE(CalendarEditEvent, false),
    VELMORA_ROUTINE(CalendarDeleteEvent, false), VELMORA_ROUTINE(EditLinkDelay, false),
}};
#undef VELMORA_ROUTINE

#define VELMORA_FORM(n) std::pair<Form, const char*>{Form::n, #n}
constexpr std::array<std::pair<Form, const char*>, formCount> forms = {{
    VELMORA_FORM(F_Contact), VELMORA_FORM(F_TaskCategorie), VELMORA_FORM(F_Zadaci),
    VELMORA_FORM(F_PrihodiRashodi), VELMORA_FORM(F_ID_Kategorija), VELMORA_FORM(F_ID_Dokumenti),
    VELMORA_FORM(F_ID_Stavke), VELMORA_FORM(F_UD_Dokumenti), VELMORA_FORM(F_UD_Kategorija),
    VELMORA_FORM(F_PASS_Kategorija), VELMORA_FORM(F_PASS_Password), VELMORA_FORM(F_Notes),
    VELMORA_FORM(F_Proizvodi), VELMORA_FORM(W_Postavke), VELMORA_FORM(W_Backup), VELMORA_FORM(T_Accounti),
    VELMORA_FORM(R_Email), VELMORA_FORM(R_Task),
}};
#undef VELMORA_FORM

// The tables list every name once, in the enums' order, so a name is its entry's index.
constexpr bool inOrder()
{
    for (int i = 0; i < routineCount; ++i)
        if (int(routines[size_t(i)].id) != i)
            return false;
    for (int i = 0; i < formCount; ++i)
        if (int(forms[size_t(i)].first) != i)
            return false;
    return true;
}
static_assert(inOrder(), "the name tables follow the enums");

} // namespace

QString nameOf(Routine r) { return QString::fromLatin1(routines.at(size_t(r)).name); }
QString nameOf(Form f) { return QString::fromLatin1(forms.at(size_t(f)).second); }
bool isQuiet(Routine r) { return routines.at(size_t(r)).quiet; }

std::optional<Routine> routineNamed(QStringView name)
{
    for (const RoutineEntry& e : routines)
        if (name == QLatin1String(e.name))
            return e.id;
    return std::nullopt;
}

std::optional<Form> formNamed(QStringView name)
{
    for (const auto& [id, text] : forms)
        if (name == QLatin1String(text))
            return id;
    return std::nullopt;
}

} // namespace organiser
