// The organiser window in English: the headers of its lists and the entries of its menus all
// have English rows in the shipped table.
#include <gtest/gtest.h>

#include "procedures/organiser/lists/ListDefs.h"
#include "procedures/organiser/panes/PopupItems.h"
#include "tests/procedures/PaneRecorders.h"
#include "tests/support/ShippedTranslations.h"

#include <set>

using namespace organiser;

TEST(OrganiserLanguage, EveryListHeaderAndMenuEntryHasAnEnglishRow)
{
    std::set<QString> headers;
    for (const ListDef& def : organiserLists())
        for (const ListColumn& c : def.columns)
            if (*c.header)
                headers.insert(QString::fromUtf8(c.header));

    std::set<QString> entries;
    RecordingMenuActions actions;
    OrganiserMenus menus{actions};
    for (Popup p : {Popup::ContactGroups, Popup::Mail, Popup::MailFolders, Popup::Calendar, Popup::FinanceCategories,
                    Popup::GanttLinks})
        for (const vrt::PopupMenu::Item& i : menus.menu(p).items())
            if (!i.separator)
                entries.insert(i.text);

    struct Case {
        const char* what;
        const std::set<QString>& texts;
        size_t atLeast; // guards against a source that silently yields nothing
    };
    for (const Case& c : {Case{"list headers", headers, 60u}, Case{"menu entries", entries, 25u}}) {
        SCOPED_TRACE(c.what);
        ASSERT_GE(c.texts.size(), c.atLeast);
        testsupport::expectEnglishRows(c.texts);
    }
}
