#pragma once
#include <QObject>
#include <QPointer>

#include "chrome/AlertKeys.h"
#include "chrome/QuickDate.h"

class QDateEdit;
class QWidget;

namespace MH {

// Gives every date field of a window the one-key date commands: keypad plus and minus, T, W,
// K, M, H, Y and R (see QUICKENDATECALCULATORCLASS). A date field is a date edit that is not
// read-only, or a line edit whose "picture" property starts with "D" (a date picture) and
// that holds a "YYYY-MM-DD" text. Fields added to the window later are not covered.
class QUICKENDATECLASS : public QObject, public QUICKENDATECALCULATORCLASS {
public:
    explicit QUICKENDATECLASS(QObject* parent = nullptr);
    // Alerts the date keys on the date fields of `window` (the fields found now).
    void INIT(QWidget* window, uint8_t weekStart);
    // The week start of the current language: Monday unless the locale's week starts on Sunday.
    static uint8_t localeWeekStart();
    // An alert key in `field`: its new date, marked as touched ("touched" property).
    bool TAKEALERTKEY(QWidget* field, int32_t key);
    static bool isDateField(const QWidget* widget);
    int fields() const { return m_fields; }

private:
    // The date keys, alerted on every date field.
    struct DateKeys : CFCALERTKEYSCLASS {
        QUICKENDATECLASS* owner = nullptr;
        void PROCESSALERTKEYS(int32_t key) override;
    };
    DateKeys m_keys;
    int m_fields = 0;
};

} // namespace MH
