#include "procedures/contacts/MailPeopleAttach.h"

#include "procedures/organiser/window/ProcedureTables.h"

#include "procedures/contacts/AccountsWindow.h"
#include "procedures/contacts/Contacts.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"

namespace mailpeople {

void attachMailPeople(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    host.forms.attach(organiser::Form::T_Accounti, [&window, &panes](const organiser::FormArgs& a) {
        const int pick = a.pick.value_or(0);
        T_Accounti(pick, &window);
        // New accounts' folders show at once on the mail page.
        if (pick != 1 && window.shownPage() == 2)
            panes.selectTreeRow(organiser::tree::MailFolders, 0);
    });
    host.forms.attach(organiser::Form::F_Contact, [&window](const organiser::FormArgs&) { F_Contact(&window); });
}

} // namespace mailpeople
