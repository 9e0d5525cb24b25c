#pragma once
#include <QDialog>
#include <memory>
#include <optional>

#include "procedures/contacts/RecipientBuffer.h"
#include "runtime/Browse.h"

class QLineEdit;
class QPushButton;
namespace SDD {
class DRAGANDDROPCLASS;
}
namespace SBRW {
class EditInPlace;
}
namespace SSTF::TBF {
class BROWSECLASS;
}
namespace vrt {
class BrowseView;
class WindowManager;
}

// T_Kontakti, the window "Kontakti": the contact-group tree beside the contacts of the chosen
// group. In pick mode it hands one contact back in the contact buffer; otherwise it collects
// the mail editor's recipients into the RecipientBuffer. Contacts and groups are kept from
// here too.
namespace mailpeople {

class GroupTree;
class ContactSource;
class ContactToGroup;
class ContactQuery;

class ContactsBrowse : public QDialog {
    Q_OBJECT
public:
    explicit ContactsBrowse(int pick, QWidget* parent = nullptr);
    ~ContactsBrowse() override;

    // Runs modally; REQUEST_COMPLETED when a contact was taken (pick mode: it is in the
    // contact buffer) or the recipients were confirmed.
    int run();

    GroupTree* groups() const { return m_groups; }
    vrt::BrowseView* list() const { return m_list; }
    vrt::Browse& browse() { return *m_browse; }
    QLineEdit* recipients(RecipientBuffer::Kind kind) const { return m_recipients[kind]; }
    // "?BPRIMA", "?BCC", "?BBCC", "?OK", "?SELECT", "?CLOSE", "?INSERT", "?CHANGE",
    // "?DELETE", "?QUERY", "?INSG", "?INSPODG", "?CHG", "?DELG".
    QPushButton* button(const QString& name) const;

    // Dragging a contact onto a group of the tree moves it there.
    SDD::DRAGANDDROPCLASS* groupDrag() const;
    ContactQuery& query() { return *m_query; }
    // F2 on the list: the company and e-mail cells edited in place.
    SBRW::EditInPlace& cells() { return *m_cells; }

    // Shows `contactId`'s group with the contact highlighted (nothing when it is no contact).
    void showContact(long contactId);

    // "Prima", "CC", "BCC": the highlighted contact's address joins the list.
    void addRecipient(RecipientBuffer::Kind kind);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated();
    void showGroup(long id);
    void takeContact();
    void showRecipients();

    int m_pick;
    std::unique_ptr<ContactSource> m_source;
    std::unique_ptr<vrt::WindowManager> m_manager;
    std::unique_ptr<vrt::Browse> m_browse;
    std::unique_ptr<ContactQuery> m_query;
    std::unique_ptr<SSTF::TBF::BROWSECLASS> m_formCalls;
    std::unique_ptr<ContactToGroup> m_toGroup;
    std::unique_ptr<SBRW::EditInPlace> m_cells;
    GroupTree* m_groups;
    vrt::BrowseView* m_list;
    QLineEdit* m_recipients[3];
};

// T_Kontakti(pick) with GLOBALRESPONSE set as the window answers.
int T_Kontakti(int pick = 0, QWidget* parent = nullptr);

// The partner and customer picker of the forms: T_Kontakti in pick mode, opened on
// `current`'s group with it highlighted. The chosen contact's identifier (also left in the
// contact buffer), none when the user cancelled. The caller's request and response stay.
std::optional<long> pickContact(QWidget* parent, long current);

} // namespace mailpeople
