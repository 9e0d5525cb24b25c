#include "procedures/organiser/StandIns.h"

#include <QFile>

#include "data/Globals.h"

namespace organiser {

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

int RecordedPanes::record(const char* name)
{
    const QString n = QString::fromLatin1(name);
    if (const auto it = built.find(n); it != built.end() && it->second)
        return it->second();
    m_log.add(n);
    return failing.count(n) ? 1 : 0;
}

bool RecordedGantt::loadXml(const QString& path)
{
    m_log.add("LoadXML(" + path + ")");
    m_items = 3;
    return true;
}

bool RecordedGantt::saveXml(const QString& path)
{
    m_log.add("SaveXML");
    if (saveFails)
        return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("<Project/>") > 0;
}

void RecordedGantt::setAllowCellValueToItemBar(bool allow)
{
    m_log.add(QStringLiteral("AllowCellValueToItemBar(%1)").arg(int(allow)));
}

void RecordedGantt::cellValueToItemBar(long item, int column, int barProperty)
{
    m_log.add(QStringLiteral("CellValueToItemBar(%1,%2,%3)").arg(item).arg(column).arg(barProperty));
}

long RecordedGantt::insertItem()
{
    m_log.add("InsertItem");
    return ++m_items;
}

void RecordedGantt::setCellValue(long item, int column, const QVariant& value)
{
    const QString text = value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate) : value.toString();
    m_log.add(QStringLiteral("CellValue(%1,%2)=%3").arg(item).arg(column).arg(text));
}

void RecordedGantt::selectItem(long item) { m_log.add(QStringLiteral("SelectItem(%1)").arg(item)); }
void RecordedGantt::ensureVisibleItem(long item) { m_log.add(QStringLiteral("EnsureVisibleItem(%1)").arg(item)); }

void RecordedGantt::addBar(long item, const QString& kind, const QDate& start, const QDate& end)
{
    m_log.add(QStringLiteral("AddBar(%1,%2,%3,%4)").arg(item).arg(kind, start.toString(Qt::ISODate), end.toString(Qt::ISODate)));
}

void RecordedGantt::setItemBar(long item, int property, const QVariant& value)
{
    m_log.add(QStringLiteral("ItemBar(%1,%2)=%3").arg(item).arg(property).arg(value.toString()));
}

void RecordedGantt::setAutoEdit(bool on) { m_log.add(QStringLiteral("AutoEdit(%1)").arg(int(on))); }
void RecordedGantt::removeLinksOf(long item) { m_log.add(QStringLiteral("RemoveLinksOf(%1)").arg(item)); }
void RecordedGantt::removeItem(long item) { m_log.add(QStringLiteral("RemoveItem(%1)").arg(item)); }

void RecordedGantt::setPaneWidth(int pane, int w)
{
    m_log.add(QStringLiteral("PaneWidth(%1)=%2").arg(pane).arg(w));
    width = w;
}

namespace {
QString tableName(Table table)
{
    static const char* names[] = {"IDokumenti", "UDokumenti", "PrihodiRashodi", "CON_Contacts", "Passwords",
                                  "ProizvodUsluga", "CAL_CalendarEvents"};
    return QString::fromLatin1(names[int(table)]);
}
} // namespace

bool RecordedPrimer::prime(Table table)
{
    m_log.add(QStringLiteral("Prime(%1)").arg(tableName(table)));
    return !fails;
}

void RecordedPrimer::release(Table table) { m_log.add(QStringLiteral("Release(%1)").arg(tableName(table))); }

} // namespace organiser
