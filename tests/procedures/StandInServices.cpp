#include "tests/procedures/StandInServices.h"

#include <QFile>

namespace organiser {

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
