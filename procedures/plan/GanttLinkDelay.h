#pragma once
#include <QDialog>
#include <functional>

class QLineEdit;

// F_LinkOdgoda: the delay of a link in days, a signed whole number of up to four digits.
namespace panes {

class LinkDelayDialog : public QDialog {
    Q_OBJECT
public:
    LinkDelayDialog(int delay, const std::function<QString(const QString&)>& translate, QWidget* parent = nullptr);
    // What the entry holds; both buttons keep it.
    int value() const;
    QLineEdit* entry() const { return m_entry; }

private:
    QLineEdit* m_entry;
};

// Shows the window (through the runtime's modal runner) and answers the delay entered.
int F_LinkOdgoda(int delay, QWidget* parent, const std::function<QString(const QString&)>& translate = {});

} // namespace panes
