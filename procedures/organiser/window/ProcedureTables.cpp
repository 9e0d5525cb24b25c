#include "procedures/organiser/window/ProcedureTables.h"

#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"

namespace organiser {

void tellNotAvailable()
{
    vrt::message(VelmoraDll::translator().QVSTR(QStringLiteral("Ovaj dio programa još nije dostupan.")),
                 QStringLiteral("Velmora"), vrt::Icon::Information);
}

int TellUser::routine(Routine r)
{
    if (!isQuiet(r))
        tellNotAvailable();
    return 0;
}

void TellUser::form(Form, const QString&)
{
    GLOBALRESPONSE = 2; // cancelled
    tellNotAvailable();
}

int RoutineTable::run(Routine r)
{
    if (const std::function<int()>& f = m_run.at(size_t(r)))
        return f();
    return m_unattached.routine(r);
}

namespace {
// The names of a table's empty slots; a slot's index is its name's enum value.
template <typename Name, typename Fn, size_t N>
QStringList emptySlots(const std::array<Fn, N>& table)
{
    QStringList out;
    for (size_t i = 0; i < N; ++i)
        if (!table[i])
            out << nameOf(Name(i));
    return out;
}
} // namespace

QStringList RoutineTable::unattached() const { return emptySlots<Routine>(m_run); }
QStringList FormTable::unattached() const { return emptySlots<Form>(m_open); }

QStringList unattachedNames(const RoutineTable& routines, const FormTable& forms)
{
    return routines.unattached() + forms.unattached();
}

namespace {
QString opt(const std::optional<long>& v) { return v ? QString::number(*v) : QStringLiteral("-"); }
QString quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }
} // namespace

void FormTable::open(Form f, const FormArgs& args, const QString& printedArgs)
{
    if (const auto& run = m_open.at(size_t(f))) {
        run(args);
        return;
    }
    m_unattached.form(f, nameOf(f) + QLatin1Char('(') + printedArgs + QLatin1Char(')'));
}

void FormTable::F_Contact() { open(Form::F_Contact, {}); }
void FormTable::F_TaskCategorie() { open(Form::F_TaskCategorie, {}); }
void FormTable::F_Zadaci(long eventId, int flag, long partnerId, std::optional<long> categoryId, const QString& text)
{
    FormArgs a;
    a.eventId = eventId;
    a.flag = flag;
    a.partnerId = partnerId;
    a.categoryId = categoryId;
    a.text = text;
    open(Form::F_Zadaci, a,
         QStringLiteral("%1,%2,%3,%4,%5").arg(eventId).arg(flag).arg(partnerId).arg(opt(categoryId), quoted(text)));
}
void FormTable::F_PrihodiRashodi(long categoryId, int type)
{
    FormArgs a;
    a.categoryId = categoryId;
    a.type = type;
    open(Form::F_PrihodiRashodi, a, QStringLiteral("%1,%2").arg(categoryId).arg(type));
}
void FormTable::F_ID_Kategorija() { open(Form::F_ID_Kategorija, {}); }
void FormTable::F_ID_Dokumenti(std::optional<long> contactId)
{
    FormArgs a;
    a.contactId = contactId;
    open(Form::F_ID_Dokumenti, a, opt(contactId));
}
void FormTable::F_ID_Stavke() { open(Form::F_ID_Stavke, {}); }
void FormTable::F_UD_Dokumenti(std::optional<long> contactId)
{
    FormArgs a;
    a.contactId = contactId;
    open(Form::F_UD_Dokumenti, a, opt(contactId));
}
void FormTable::F_UD_Kategorija() { open(Form::F_UD_Kategorija, {}); }
void FormTable::F_PASS_Kategorija() { open(Form::F_PASS_Kategorija, {}); }
void FormTable::F_PASS_Password() { open(Form::F_PASS_Password, {}); }
void FormTable::F_Notes() { open(Form::F_Notes, {}); }
void FormTable::F_Proizvodi() { open(Form::F_Proizvodi, {}); }
void FormTable::W_Postavke() { open(Form::W_Postavke, {}); }
void FormTable::W_Backup(const QString& destination)
{
    FormArgs a;
    a.text = destination;
    open(Form::W_Backup, a, quoted(destination));
}
void FormTable::T_Accounti(std::optional<int> pick)
{
    FormArgs a;
    a.pick = pick;
    open(Form::T_Accounti, a, pick ? QString::number(*pick) : QStringLiteral("-"));
}
void FormTable::R_Email() { open(Form::R_Email, {}); }
void FormTable::R_Task() { open(Form::R_Task, {}); }

} // namespace organiser
