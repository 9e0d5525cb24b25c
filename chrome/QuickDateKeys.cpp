#include "chrome/QuickDateKeys.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>

#include "runtime/DateTime.h"

namespace MH {

QUICKENDATECLASS::QUICKENDATECLASS(QObject* parent) : QObject(parent)
{
    m_keys.owner = this;
    for (const int32_t key : Keys)
        m_keys.ADDKEY(key);
}

void QUICKENDATECLASS::DateKeys::PROCESSALERTKEYS(int32_t key)
{
    if (auto* field = qobject_cast<QWidget*>(ALERTCONTROL()))
        owner->TAKEALERTKEY(field, key);
}

uint8_t QUICKENDATECLASS::localeWeekStart() { return QLocale().firstDayOfWeek() == Qt::Sunday ? 0 : 1; }

bool QUICKENDATECLASS::isDateField(const QWidget* widget)
{
    if (const auto* edit = qobject_cast<const QDateEdit*>(widget))
        return !edit->isReadOnly();
    if (const auto* line = qobject_cast<const QLineEdit*>(widget))
        return !line->isReadOnly() && line->property("picture").toString().left(1).toUpper() == QLatin1String("D");
    return false;
}

void QUICKENDATECLASS::INIT(QWidget* window, uint8_t weekStart)
{
    QUICKENDATECALCULATORCLASS::INIT(weekStart);
    if (!window)
        return;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (isDateField(w)) {
            m_keys.SETKEYS(w);
            ++m_fields;
        }
}

bool QUICKENDATECLASS::TAKEALERTKEY(QWidget* field, int32_t key)
{
    if (!isDateField(field))
        return false;
    if (auto* edit = qobject_cast<QDateEdit*>(field)) {
        const int32_t day = CALCNEWDATE(vrt::dayFromDate(edit->date()), key);
        const QDate date = vrt::dateFromDay(day);
        if (date.isValid() && date >= edit->minimumDate() && date <= edit->maximumDate())
            edit->setDate(date);
    } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setText(vrt::dayToText(CALCNEWDATE(vrt::dayFromText(line->text()), key)));
    }
    field->setProperty("touched", true);
    return true;
}

} // namespace MH
