#include "extensions/QbeGlobal.h"

#include "runtime/Dialogs.h"

namespace DTRV {

const std::vector<std::pair<const char*, const char*>>& GLOBALCLASS::texts()
{
    static const std::vector<std::pair<const char*, const char*>> table = {
        {"DTRV::EnterCriteria:Message", "Enter Search Criteria"},
        {"DTRV::AskEdit:Message", "Edit This Record?"},
        {"DTRV::ClearOldFirst:Message", "Clear old selections first?"},
        {"DTRV::NoMatches:Message", "There are no matching records!"},
        {"DTRV::NoMoreMatches:Message", "There are no more matching records!"},
        {"DTRV::CriterionReq:Message", "You must specify at least one search field!"},
        {"DTRV::Button:OK", "&OK"},
        {"DTRV::Button:Cancel", "Cancel"},
        {"DTRV::Button:Select", "&Select"},
        {"DTRV::Button:Unselect", "&Unselect"},
        {"DTRV::Button:Edit", "&Edit"},
        {"DTRV::Button:EditThis", "&Edit This"},
        {"DTRV::Button:FindNext", "&Find Next"},
        {"DTRV::Button:Insert", "&Insert"},
        {"DTRV::Button:Change", "&Change"},
        {"DTRV::Button:Delete", "&Delete"},
        {"DTRV::Button:Load", "&Load"},
        {"DTRV::Button:Save", "&Save"},
        {"DTRV::Button:Previous", "< &Back"},
        {"DTRV::Button:Next", "&Next >"},
        {"DTRV::Button:Finish", "&Finish"},
        {"DTRV::Button:Help", "&Help"},
        {"DTRV::Progress:Title", "Searching for Matching Records"},
        {"DTRV::Progress:Completed", "Completed"},
        {"DTRV::Progress:Found", "Found"},
        {"DTRV::MatchType:Title", "Specify Match Type"},
        {"DTRV::SelectQuerySet:Title", "Select Query Criteria Set"},
        {"DTRV::SelectQuerySet:LastSaved", "Last Saved"},
        {"DTRV::SelectQuerySet:Description", "Description"},
        {"DTRV::UpdateQuerySet:Title", "Query Criteria Set"},
        {"DTRV::UpdateQuerySet:Prompt", "&Description:"},
        {"DTRV::NothingToSave:Title", "Nothing to Save!"},
        {"DTRV::NothingToSave:Message", "You must enter some criteria before you can save it."},
        {"DTRV::OverwriteOnSave:Title", "Overwrite?"},
        {"DTRV::OverwriteOnSave:Message", "Do you wish to discard the criteria that you have already saved?"},
        {"DTRV::OverwriteOnLoad:Title", "Discard existing criteria?"},
        {"DTRV::OverwriteOnLoad:Message", "Do you wish to discard the criteria that you have already entered?"},
        {"DTRV::RestoreLastCriteria:Title", "Restore Previous Criteria"},
        {"DTRV::RestoreLastCriteria:Message", "Do you want to restore the search criteria from your last session?"},
        {"DTRV::SelectFieldFirst:Title", "Select Field First"},
        {"DTRV::SelectFieldFirst:Message",
         "You must select a field before pressing this button.||Alternatively, you could press the right mouse "
         "button when the mouse cursor is positioned over the field."},
        {"DTRV::SearchTask:Title", "Begin Search"},
        {"DTRV::SearchTask:Question", "What do you want to do?"},
        {"DTRV::AskCriterion:ValueTitle", "Enter Search Value"},
        {"DTRV::AskCriterion:RangeTitle", "Enter Range Limits"},
        {"DTRV::AskCriterion:ValuePrompt", "&Search Value:"},
        {"DTRV::AskCriterion:LowerPrompt", "&Lower Limit:"},
        {"DTRV::AskCriterion:UpperPrompt", "&Upper Limit:"},
        {"DTRV::DeleteQbeSet:Title", "Confirm Delete"},
        {"DTRV::DeleteQbeSet:Question",
         "You've selected to delete the highlighted record.||Press OK to confirm deletion of this record."},
        {"DTRV::LogoutError:Title", "Transaction Framing Error"},
        {"DTRV::LogoutError:Message", "Error initiating transaction frame!  Transaction cancelled."},
        {"DTRV::RefillBrowseWait:Title", "Warning..."},
        {"DTRV::RefillBrowseWait:Message",
         "It may take a while for the browse to refresh, so please be patient.||Press OK to proceed..."},
        {"DTRV::ComparisonText:Ignore", "&Ignore this field"},
        {"DTRV::ComparisonText:Equal", "&Equals"},
        {"DTRV::ComparisonText:NotEqual", "&Does not equal"},
        {"DTRV::ComparisonText:MoreThan", "&More than"},
        {"DTRV::ComparisonText:LessThan", "&Less than"},
        {"DTRV::ComparisonText:MoreOrEqual", "More &than or equal"},
        {"DTRV::ComparisonText:LessOrEqual", "Less t&han or equal"},
        {"DTRV::ComparisonText:InRange", "Inside &range"},
        {"DTRV::ComparisonText:OutsideRange", "&Outside range"},
        {"DTRV::ComparisonText:BeginsWith", "&Begins with"},
        {"DTRV::ComparisonText:EndsWith", "E&nds with"},
        {"DTRV::ComparisonText:Contains", "&Contains"},
        {"DTRV::ComparisonText:NotContains", "Doe&s not contain"},
        {"DTRV::ComparisonText:ThisMonth", "I&n this month of each year"},
        {"DTRV::ComparisonText:ThisDay", "On this d&ay of each month"},
        {"DTRV::ComparisonText:ThisYear", "In this &year"},
        {"DTRV::ComparisonText:ThisMonthDay", "On thi&s month + day"},
        {"DTRV::ComparisonText:ThisYearMonth", "I&n this year + month"},
        {"DTRV::BlankString", "[blank]"},
        {"DTRV::TrueString", "True"},
        {"DTRV::FalseString", "False"},
    };
    return table;
}

QString GLOBALCLASS::TRANSLATE(const QString& key)
{
    for (const auto& [k, text] : texts())
        if (key == QLatin1String(k))
            return QString::fromUtf8(text);
    if (key.startsWith(QLatin1String("DTRV::")))
        vrt::message(QStringLiteral("Missing translation for Dentravo message:|") + key, QStringLiteral("Error!"),
                     vrt::Icon::Information, vrt::BUTTON_OK);
    return key;
}

QString GLOBALCLASS::GETFILTER(const QString& file, bool lock)
{
    ST::CRITICALPROCEDURE held(lock ? &SYNC : nullptr);
    const auto it = FILTERLIST.find(file.trimmed().toUpper());
    return it == FILTERLIST.end() ? QString() : it->second;
}

void GLOBALCLASS::SETFILTER(const QString& file, const QString& filter, bool lock)
{
    ST::CRITICALPROCEDURE held(lock ? &SYNC : nullptr);
    const QString name = file.trimmed().toUpper().left(49);
    if (filter.isEmpty())
        FILTERLIST.erase(name);
    else
        FILTERLIST[name] = filter.left(4999);
}

} // namespace DTRV
