#include "procedures/contacts/MailPeopleAttach.h"

#include "procedures/contacts/AccountsWindow.h"
#include "procedures/contacts/Contacts.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"

namespace mailpeople {

void attachMailPeople(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes)
{
    organiser::RecordedForms* forms = window.standInForms();
    if (!forms)
        return;
    forms->built[QStringLiteral("T_Accounti")] = [&window, &panes](const organiser::FormArgs& a) {
        const int pick = a.pick.value_or(0);
        T_Accounti(pick, &window);
        // New accounts' folders show at once on the mail page.
        if (pick != 1 && window.shownPage() == 2)
            panes.selectTreeRow(organiser::tree::MailFolders, 0);
    };
    forms->built[QStringLiteral("F_Contact")] = [&window](const organiser::FormArgs&) { F_Contact(&window); };
}

} // namespace mailpeople
