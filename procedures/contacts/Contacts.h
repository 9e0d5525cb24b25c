#pragma once
#include <QDialog>
#include <functional>
#include <map>

#include "runtime/UpdateForm.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// F_Contact, the window "Kontakt": one CON_Contacts row with a person tab, a company tab and
// a note. It edits the calling thread's contact buffer (a new contact is primed by the
// caller), makes sure a saved contact has a group, and refuses to delete a contact that
// documents or events still name.
namespace mailpeople {

// Whether an incoming document (supplier), an outgoing document (customer) or a calendar
// event (partner) names contact `id`. Asked of the database directly, so no window's current
// records move; a question the database cannot answer counts as "in use".
bool contactInUse(long id);

// "Prezime [Srednje ime ]Ime" as the lists show a contact.
QString contactDisplayName(const QString& surname, const QString& middle, const QString& name);

class ContactForm : public QDialog {
    Q_OBJECT
public:
    ContactForm(vrt::FormTarget& target, int request, QWidget* parent = nullptr);

    int run();

    QLineEdit* entry(const QString& field) const; // by field name without prefix ("PREZIME")
    QPlainTextEdit* note() const { return m_note; }
    QTabWidget* tabs() const { return m_tabs; }
    QLabel* heading() const { return m_heading; }
    QLabel* idLabel() const { return m_id; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    bool inUse() const { return m_inUse; }

    void accept() override;
    void reject() override;
    // The entries show the contact in the buffer (the search's preview).
    void showBuffer() { fromRecord(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fromRecord();
    void toRecord();

    vrt::UpdateFormController m_controller;
    std::map<QString, QLineEdit*> m_entries;
    QLabel* m_heading;
    QLabel* m_id;
    QLineEdit* m_group;
    QPlainTextEdit* m_note;
    QTabWidget* m_tabs;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_inUse = false;
};

// F_Contact on the CON_Contacts buffer with GLOBALREQUEST's request; sets GLOBALRESPONSE.
int F_Contact(QWidget* parent = nullptr);

} // namespace mailpeople
