#include "procedures/notes/NotesPasswords.h"

#include <memory>

#include "procedures/backup/BackupRun.h"
#include "procedures/backup/BackupWindow.h"
#include "procedures/notes/NotesForm.h"
#include "procedures/notes/PasswordForms.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/lists/OrganiserLists.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"

namespace notespass {

void attachNotesPasswords(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    auto env = std::make_shared<FormEnv>([&window](const QString& t) { return window.translated(t); });
    env->parent = &window;
    env->dataFolder = window.dataFolder();

    host.forms.attach(organiser::Form::F_Notes, [env](const organiser::FormArgs&) { F_Notes(*env); });
    host.forms.attach(organiser::Form::F_PASS_Password, [env](const organiser::FormArgs&) { F_PASS_Password(*env); });
    host.forms.attach(organiser::Form::F_PASS_Kategorija, [env](const organiser::FormArgs&) { F_PASS_Kategorija(*env); });
    host.forms.attach(organiser::Form::W_Backup, [env](const organiser::FormArgs& a) { W_Backup(*env, a.text); });

    // What a backup killed last time left in its destination goes at start, whether or not
    // a backup runs now.
    const vrt::IniFile ini(vrt::joinPath(env->dataFolder, QStringLiteral("Standard.ini")));
    const QString destination = vrt::clipTrailing(ini.get(QStringLiteral("Backup"), QStringLiteral("Destination")));
    if (!destination.isEmpty())
        removeStaleWork(destination);

    // The notes are typed in place; changing and deleting one goes through its form.
    panes.lists().list(organiser::ctl::Notes).browse().setUpdateNumber(15);
}

} // namespace notespass
