#pragma once
#include <QDialog>
#include <map>

#include "runtime/UpdateForm.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vrt {

// The window of a plain update form: title line, action message, one entry per field, and
// OK / Cancel. Forms with a window of their own use the controller the same way.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    UpdateDialog(UpdateFormController& controller, const QString& designTitle, QWidget* parent = nullptr);

    // Opens, runs modally and answers the response (REQUEST_COMPLETED / REQUEST_CANCELLED).
    int run();

    QLineEdit* entry(const QString& field) const;
    QLabel* titleLabel() const { return m_title; }
    QLabel* actionLabel() const { return m_action; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // "Prekid" by default; forms with an English design say "Cancel".
    void setCancelText(const QString& text);

    void accept() override; // OK
    void reject() override; // Cancel, Esc, the close box

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toRecord();
    void fromRecord();

    UpdateFormController& m_controller;
    QLabel* m_title;
    QLabel* m_action;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::map<QString, QLineEdit*> m_entries;
};

} // namespace vrt
