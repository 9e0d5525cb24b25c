#pragma once
#include <QIcon>
#include <QString>

class QAbstractButton;

// What a chrome widget asks of the window it is placed on. The window answers through an
// object of its own that the widget keeps.

// Icons by resource name ("MAIL_ICO").
class IconSource {
public:
    virtual ~IconSource() = default;
    // The null icon when there is none of that name.
    virtual QIcon iconOf(const QString& name) = 0;
};

// The window's buttons by control number, for tasks that mirror a button.
class ButtonSource {
public:
    virtual ~ButtonSource() = default;
    // Null when no button has that number.
    virtual QAbstractButton* buttonOf(long control) = 0;
};
