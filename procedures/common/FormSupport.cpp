#include "procedures/common/FormSupport.h"

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/Dialogs.h"
#include "runtime/UpdateForm.h"

namespace notespass {

int say(const FormEnv& env, const QString& text, int icon, int buttons, int defaultButton)
{
    return vrt::message(env.tr(text), QStringLiteral("Velmora"), vrt::Icon(icon), buttons, defaultButton);
}

bool askYes(const FormEnv& env, const QString& text)
{
    return say(env, text, int(vrt::Icon::Question), vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO) == vrt::BUTTON_YES;
}

void prepare(vrt::UpdateFormController& form, const FormEnv& env)
{
    form.translate = env.translate();
    form.setErrors(corvalde::ThreadManagersErrors());
}

int takeRequest()
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    return request;
}

std::string fitted(const QString& text, int capacity)
{
    QString t = text;
    if (t.size() > capacity) {
        int cut = capacity;
        if (cut > 0 && t.at(cut - 1).isHighSurrogate())
            --cut;
        t.truncate(cut);
    }
    return t.toStdString();
}

} // namespace notespass
