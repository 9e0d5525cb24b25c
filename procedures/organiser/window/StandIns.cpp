#include "procedures/organiser/window/StandIns.h"

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

namespace {
QString opt(const std::optional<long>& v) { return v ? QString::number(*v) : QStringLiteral("-"); }
QString quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }
} // namespace

void RecordedForms::record(const QString& call, const FormArgs& args)
{
    if (const auto it = built.find(call.section(QLatin1Char('('), 0, 0)); it != built.end() && it->second) {
        it->second(args);
        return;
    }
    m_log.add(call);
    GLOBALRESPONSE = uint8_t(response);
    if (onOpen)
        onOpen(call);
}

void RecordedForms::F_Contact() { record("F_Contact()"); }
void RecordedForms::F_TaskCategorie() { record("F_TaskCategorie()"); }
void RecordedForms::F_Zadaci(long eventId, int flag, long partnerId, std::optional<long> categoryId, const QString& text)
{
    FormArgs a;
    a.eventId = eventId;
    a.flag = flag;
    a.partnerId = partnerId;
    a.categoryId = categoryId;
    a.text = text;
    record(QStringLiteral("F_Zadaci(%1,%2,%3,%4,%5)").arg(eventId).arg(flag).arg(partnerId).arg(opt(categoryId), quoted(text)), a);
}
void RecordedForms::F_PrihodiRashodi(long categoryId, int type)
{
    FormArgs a;
    a.categoryId = categoryId;
    a.type = type;
    record(QStringLiteral("F_PrihodiRashodi(%1,%2)").arg(categoryId).arg(type), a);
}
void RecordedForms::F_ID_Kategorija() { record("F_ID_Kategorija()"); }
void RecordedForms::F_ID_Dokumenti(std::optional<long> contactId)
{
    FormArgs a;
    a.contactId = contactId;
    record("F_ID_Dokumenti(" + opt(contactId) + ")", a);
}
void RecordedForms::F_ID_Stavke() { record("F_ID_Stavke()"); }
void RecordedForms::F_UD_Dokumenti(std::optional<long> contactId)
{
    FormArgs a;
    a.contactId = contactId;
    record("F_UD_Dokumenti(" + opt(contactId) + ")", a);
}
void RecordedForms::F_UD_Kategorija() { record("F_UD_Kategorija()"); }
void RecordedForms::F_PASS_Kategorija() { record("F_PASS_Kategorija()"); }
void RecordedForms::F_PASS_Password() { record("F_PASS_Password()"); }
void RecordedForms::F_Notes() { record("F_Notes()"); }
void RecordedForms::F_Proizvodi() { record("F_Proizvodi()"); }
void RecordedForms::W_Postavke() { record("W_Postavke()"); }
void RecordedForms::W_Backup(const QString& destination)
{
    FormArgs a;
    a.text = destination;
    record("W_Backup(" + quoted(destination) + ")", a);
}
void RecordedForms::T_Accounti(std::optional<int> pick)
{
    FormArgs a;
    a.pick = pick;
    record("T_Accounti(" + (pick ? QString::number(*pick) : QStringLiteral("-")) + ")", a);
}
void RecordedForms::R_Email() { record("R_Email()"); }
void RecordedForms::R_Task() { record("R_Task()"); }

int RecordedPanes::record(const char* name) { return run(QString::fromLatin1(name)); }

int RecordedPanes::run(const QString& n)
{
    if (const auto it = built.find(n); it != built.end() && it->second)
        return it->second();
    m_log.add(n);
    if (onMissing && !quiet().count(n))
        onMissing(n);
    return failing.count(n) ? 1 : 0;
}

const std::set<QString>& RecordedPanes::quiet()
{
    static const std::set<QString> names = {
        QStringLiteral("SetMailFolderIcons"), QStringLiteral("ReadEmailsSQL"),  QStringLiteral("InboxSelected"),
        QStringLiteral("T_CategoriesColor"),  QStringLiteral("PopulateCalendar"), QStringLiteral("FillFinanceCategoryTree"),
        QStringLiteral("CategorySelected"),   QStringLiteral("DrawFinanceChart"), QStringLiteral("FillTaskPanel"),
        QStringLiteral("SetupGantt")};
    return names;
}

} // namespace organiser
