#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "controls/Controls.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeTableSources.h"
#include "extensions/DragLink.h"
#include "extensions/EditInPlaceView.h"
#include "procedures/contacts/AccountsWindow.h"
#include "procedures/contacts/ContactQuery.h"
#include "procedures/contacts/ContactGroups.h"
#include "procedures/contacts/Contacts.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/contacts/RecipientBuffer.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"
#include "runtime/Notify.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "tests/support/TestSupport.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"
#include "procedures/contacts/AccountForm.h"

using namespace mailpeople;

namespace {

QStringList messages() { return testsupport::presenter().texts(); }

using testsupport::waitFor;

const QString kInUse = "Kontakt se koristi u programu i brisanje nije moguće!";
const QString kHasSubgroups = "Grupa ima podgrupe i ne može biti obrisana!";
const QString kHasContacts = "Grupa ima kontakte i ne može biti obrisana!";

// The tree the group commands act on: a fixed current group, the group form unless counted
// stand-ins answer cancelled, the completed forms counted.
struct GroupSide : ContactGroupCommands::Side {
    explicit GroupSide(long group, int* standIns = nullptr) : group(group), standIns(standIns) {}
    long group;
    int* standIns;
    int changes = 0;
    long currentGroup() override { return group; }
    int form(long id, long parent) override
    {
        if (!standIns)
            return ContactGroupCommands::groupForm(id, parent);
        ++*standIns;
        return 2;
    }
    void changed() override { ++changes; }
};

} // namespace

class ContactsTest : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped())
            return;
        testsupport::presenter().clear();
        RecipientBuffer::instance().clear();
    }
    int number(const std::string& sql)
    {
        const auto r = query(sql);
        return r.empty() ? -1 : std::stoi(r[0]);
    }
    int addGroup(const std::string& name, int parent)
    {
        Access(Tbl::CON_Group).clearBuffer();
        CONG().NAZIV = name;
        CONG().TATAID = parent;
        EXPECT_EQ(Access(Tbl::CON_Group).Insert(), 0);
        return CONG().ID;
    }
    int addContact(const std::string& surname, int group, const std::string& email = {}, const std::string& companyEmail = {})
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = surname;
        CON().IME = "Ana";
        CON().GRUPAID = group;
        CON().EMAIL = email;
        CON().TEMAIL = companyEmail;
        EXPECT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
        return CON().ID;
    }
    void loadContact(int id)
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().ID = id;
        ASSERT_EQ(Access(Tbl::CON_Contacts).Fetch(CON.IDKey), 0);
    }
    // F_Contact as a list runs it, with `drive` working the open form.
    // `pickGroup`: the group the group picker leaves chosen when the form opens it.
    int runContactForm(int request, const std::function<void(ContactForm&)>& drive,
                       const std::function<long()>& pickGroup = {})
    {
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            if (auto* f = qobject_cast<ContactForm*>(&d))
                drive(*f);
            else if (qobject_cast<GroupPicker*>(&d))
                MC::GROUPID = int32_t(pickGroup ? pickGroup() : 0);
            return d.result();
        });
        GLOBALREQUEST = uint8_t(request);
        return F_Contact();
    }
    // The group form answers as the user does: a name and OK, or Prekid.
    testsupport::ScopedDialogRunner groupFormAnswers(const QString& name, bool ok = true)
    {
        return testsupport::ScopedDialogRunner([name, ok](QDialog& d) {
            if (auto* u = qobject_cast<vrt::UpdateDialog*>(&d)) {
                if (!name.isNull())
                    u->entry("NAZIV")->setText(name);
                (ok ? u->okButton() : u->cancelButton())->click();
            }
            return d.result();
        });
    }
};

TEST_F(ContactsTest, AContactNamedByADocumentOrEventIsNotDeletedAndTheCheckMovesNoBuffer)
{
    const int group = addGroup("Kupci", 0);
    struct Case {
        const char* what;
        std::function<void(int contact)> refer;
        bool refused;
    };
    const Case cases[] = {
        {"supplier of an incoming document", [](int c) { Access(Tbl::UDokumenti).clearBuffer(); UD().DOBAVLJACID = c; ASSERT_EQ(Access(Tbl::UDokumenti).Insert(), 0); }, true},
        {"customer of an outgoing document", [](int c) { Access(Tbl::IDokumenti).clearBuffer(); ID().KUPACID = c; ASSERT_EQ(Access(Tbl::IDokumenti).Insert(), 0); }, true},
        {"partner of a calendar event", [](int c) { Access(Tbl::CAL_CalendarEvents).clearBuffer(); CAL().PARTNERID = c; ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Insert(), 0); }, true},
        {"named by nothing", [](int) {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int contact = addContact("Horvat", group);
        Access(Tbl::Notes).clearBuffer();
        NOTE().KONTAKTID = contact;
        NOTE().NAPOMENA = "bilješka";
        ASSERT_EQ(Access(Tbl::Notes).Insert(), 0);
        c.refer(contact);
        // What the organiser window shows stays in its buffers.
        UD().BROJDOKUMENTA = "U-1";
        ID().BROJDOKUMENTA = "I-1";
        CAL().SUBJECT = "Sastanak";
        loadContact(contact);
        testsupport::presenter().clear();
        bool stayedOpen = false;
        const int response = runContactForm(vrt::DELETE_RECORD, [&](ContactForm& f) {
            f.okButton()->click();
            f.okButton()->click(); // once refused, refused again
            stayedOpen = f.result() == 0;
            if (stayedOpen)
                f.cancelButton()->click();
        });
        EXPECT_EQ(stayedOpen, c.refused);
        EXPECT_EQ(response, c.refused ? vrt::REQUEST_CANCELLED : vrt::REQUEST_COMPLETED);
        EXPECT_EQ(messages(), (c.refused ? QStringList{kInUse, kInUse} : QStringList{}));
        EXPECT_EQ(number("SELECT COUNT(*) FROM CON_CONTACTS WHERE ID = " + std::to_string(contact)), c.refused ? 1 : 0);
        EXPECT_EQ(number("SELECT COUNT(*) FROM NOTES WHERE KONTAKTID = " + std::to_string(contact)), c.refused ? 1 : 0);
        EXPECT_EQ(UD().BROJDOKUMENTA, "U-1");
        EXPECT_EQ(ID().BROJDOKUMENTA, "I-1");
        EXPECT_EQ(CAL().SUBJECT, "Sastanak");
    }
}

TEST_F(ContactsTest, ASavedContactBelongsToAGroupAndOnlyAGrouplessDeleteSkipsThePicker)
{
    const int group = addGroup("Prijatelji", 0);
    struct Case {
        const char* what;
        int request;
        long picked; // what the picker answers
        int pickerCalls;
        int response;
        int storedGroup; // -1: no row
    };
    const Case cases[] = {
        {"new contact, picker left empty: the form stays and nothing is saved", vrt::INSERT_RECORD, 0, 2, vrt::REQUEST_CANCELLED, -1},
        {"new contact, a group picked", vrt::INSERT_RECORD, group, 1, vrt::REQUEST_COMPLETED, group},
        {"changed contact without a group gets one", vrt::CHANGE_RECORD, group, 1, vrt::REQUEST_COMPLETED, group},
        {"deleting a contact without a group asks for none", vrt::DELETE_RECORD, 0, 0, vrt::REQUEST_COMPLETED, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int id = 0;
        if (c.request == vrt::INSERT_RECORD) {
            Access(Tbl::CON_Contacts).clearBuffer();
            ASSERT_EQ(Access(Tbl::CON_Contacts).PrimeRecord(true), 0);
            id = CON().ID;
        } else {
            id = addContact("Bez grupe", 0);
            loadContact(id);
        }
        int pickerCalls = 0;
        const int response = runContactForm(
            c.request,
            [&](ContactForm& f) {
                if (f.entry("PREZIME")->isReadOnly() == false)
                    f.entry("PREZIME")->setText("Kovač");
                f.okButton()->click();
                if (f.result() == 0) { // still open: once more, then give up
                    f.okButton()->click();
                    f.cancelButton()->click();
                }
            },
            [&] {
                ++pickerCalls;
                return long(c.picked);
            });
        EXPECT_EQ(pickerCalls, c.pickerCalls);
        EXPECT_EQ(response, c.response);
        const auto stored = query("SELECT GRUPAID FROM CON_CONTACTS WHERE ID = " + std::to_string(id));
        EXPECT_EQ(stored.empty() ? -1 : std::stoi(stored[0]), c.storedGroup);
    }
}

TEST_F(ContactsTest, ChangingTheCompanyTabLeavesThePersonAndTheSecondAddressAlone)
{
    const int id = addContact("Babić", addGroup("Dobavljači", 0), "ana@babic.hr");
    query("UPDATE CON_CONTACTS SET EMAIL2 = 'druga@babic.hr', ADRESA1 = 'Ilica 1' WHERE ID = " + std::to_string(id));
    loadContact(id);
    const int response = runContactForm(vrt::CHANGE_RECORD, [](ContactForm& f) {
        EXPECT_EQ(f.heading()->text(), "Izmjena zapisa");
        f.entry("TVRTKA")->setText("Babić d.o.o.");
        f.entry("TEMAIL")->setText("ured@babic.hr");
        f.okButton()->click();
    });
    ASSERT_EQ(response, vrt::REQUEST_COMPLETED);
    EXPECT_EQ(query("SELECT PREZIME || '|' || IME || '|' || EMAIL || '|' || ADRESA1 || '|' || EMAIL2 || '|' || TVRTKA || '|' || TEMAIL "
                    "FROM CON_CONTACTS WHERE ID = " + std::to_string(id)),
              std::vector<std::string>{"Babić|Ana|ana@babic.hr|Ilica 1|druga@babic.hr|Babić d.o.o.|ured@babic.hr"});
}

TEST_F(ContactsTest, AGroupWithSubgroupsOrContactsIsNotDeleted)
{
    struct Case {
        const char* what;
        bool subgroup, contact;
        QStringList messages;
        int left; // groups left
    };
    const Case cases[] = {
        {"subgroups and contacts: the subgroups are named", true, true, {kHasSubgroups}, 1},
        {"contacts only", false, true, {kHasContacts}, 1},
        {"empty", false, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        query("DELETE FROM CON_CONTACTS");
        query("DELETE FROM CON_GROUP");
        const int group = addGroup("Glavna", 0);
        if (c.subgroup)
            addGroup("Podgrupa", group);
        if (c.contact)
            addContact("Član", group);
        // A contact the organiser shows stays in the contact buffer.
        CON().PREZIME = "prikazani";
        testsupport::presenter().clear();
        GroupSide side(group);
        const int& changed = side.changes;
        ContactGroupCommands commands(side);
        auto answers = groupFormAnswers(QString());
        commands.run(ContactGroupCommands::Delete);
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(number("SELECT COUNT(*) FROM CON_GROUP WHERE ID = " + std::to_string(group)), c.left);
        EXPECT_EQ(changed, 1 - c.left);
        EXPECT_EQ(CON().PREZIME, "prikazani");
    }
}

TEST_F(ContactsTest, GroupCommandsKeepTheTreeInOrder)
{
    // With no group, only a top-level group can be made.
    int forms = 0;
    GroupSide noGroup(0, &forms);
    ContactGroupCommands none(noGroup);
    for (auto c : {ContactGroupCommands::InsertSubgroup, ContactGroupCommands::Change, ContactGroupCommands::Delete})
        EXPECT_EQ(none.run(c), 0);
    EXPECT_EQ(forms, 0);

    const int top = addGroup("Posao", 0);
    addGroup("Klijenti", top);
    GroupSide topSide(top);
    ContactGroupCommands commands(topSide);
    {
        auto answers = groupFormAnswers("Dobavljači");
        EXPECT_EQ(commands.run(ContactGroupCommands::InsertSubgroup), vrt::REQUEST_COMPLETED);
    }
    {
        auto answers = groupFormAnswers("Odustao", false);
        EXPECT_EQ(commands.run(ContactGroupCommands::Insert), vrt::REQUEST_CANCELLED);
    }
    EXPECT_EQ(number("SELECT COUNT(*) FROM CON_GROUP WHERE NAZIV = '' OR NAZIV = 'Odustao'"), 0) << "a cancelled new group leaves no row";
    {
        auto answers = groupFormAnswers("Tvrtka");
        EXPECT_EQ(commands.run(ContactGroupCommands::Change), vrt::REQUEST_COMPLETED);
    }
    VelmoraDll::ContactGroupSource source;
    VelmoraDll::S_FillContactGroupTree(source);
    QStringList tree;
    for (const auto& r : VelmoraDll::KontaktiGrupaQ())
        tree << QString("%1:%2").arg(r.LEVEL).arg(r.NAZIV);
    EXPECT_EQ(tree, (QStringList{"1:Tvrtka", "2:Klijenti", "2:Dobavljači"})) << "the new subgroup is the last child, a level deeper";
}

TEST_F(ContactsTest, ThePickerHandsBackTheChosenGroupOrNone)
{
    const int group = addGroup("Obitelj", 0);
    struct Case {
        const char* how;
        long expected;
    };
    for (const Case& c : {Case{"?OK", group}, Case{"?CLOSE", 0}, Case{"close box", 0}}) {
        SCOPED_TRACE(c.how);
        MC::GROUPID = 99;
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* p = qobject_cast<GroupPicker*>(&d);
            EXPECT_TRUE(p->tree()->selectGroup(group));
            if (QPushButton* b = p->button(c.how))
                b->click();
            else
                p->reject();
            return d.result();
        });
        EXPECT_EQ(T_GrupaKontakti(), c.expected);
        EXPECT_EQ(MC::GROUPID.load(), c.expected);
    }
}

TEST_F(ContactsTest, RecipientListsHoldEachAddressOnceWithoutALimit)
{
    RecipientBuffer& b = RecipientBuffer::instance();
    struct Step {
        RecipientBuffer::Kind kind;
        QString address;
        bool added;
    };
    const Step steps[] = {{RecipientBuffer::To, "a@x.hr", true},  {RecipientBuffer::To, "a@x.hr", false},
                          {RecipientBuffer::Cc, "A@X.hr", false}, {RecipientBuffer::Cc, "b@x.hr", true},
                          {RecipientBuffer::Bcc, "  ", false},    {RecipientBuffer::Bcc, "c@x.hr", true},
                          {RecipientBuffer::To, "d@x.hr", true}};
    for (const Step& s : steps)
        EXPECT_EQ(b.add(s.kind, s.address), s.added) << s.address.toStdString();
    EXPECT_EQ(b.text(RecipientBuffer::To), "a@x.hr;d@x.hr");
    EXPECT_EQ(b.text(RecipientBuffer::Cc), "b@x.hr");
    EXPECT_EQ(b.text(RecipientBuffer::Bcc), "c@x.hr");
    for (int i = 0; i < 200; ++i)
        b.add(RecipientBuffer::To, QString("primatelj%1@vrlo-dugacka-domena-za-provjeru.hr").arg(i));
    EXPECT_GT(b.text(RecipientBuffer::To).size(), 999);
    EXPECT_EQ(RecipientBuffer::addresses(b.text(RecipientBuffer::To)).size(), 202) << "nothing cut off";

    EXPECT_EQ(contactDisplayName("Horvat", "", "Ana"), "Horvat Ana");
    EXPECT_EQ(contactDisplayName("Horvat", "Marija", "Ana"), "Horvat Marija Ana");
    EXPECT_EQ(contactDisplayName("Horvat", " ", "Ana"), "Horvat Ana");
}

TEST_F(ContactsTest, TheBrowseCollectsRecipientsForTheMailEditor)
{
    const int group = addGroup("Tim", 0);
    const int ana = addContact("Horvat", group, "ana@tim.hr");
    const int firm = addContact("Tvrtka", group, "", "ured@tim.hr");
    struct Case {
        const char* what;
        std::function<void(ContactsBrowse&)> drive;
        QString to, cc, bcc;
        int response;
    };
    auto pick = [](ContactsBrowse& w, int id) { ASSERT_TRUE(w.browse().selectId(qlonglong(id))); };
    const Case cases[] = {
        {"Prima twice adds the address once; CC of a company-only address adds nothing; the close box keeps them",
         [&](ContactsBrowse& w) {
             pick(w, ana);
             w.button("?BPRIMA")->click();
             w.button("?BPRIMA")->click();
             pick(w, firm);
             w.button("?BCC")->click();
             EXPECT_EQ(w.recipients(RecipientBuffer::To)->text(), "ana@tim.hr");
             w.reject();
         },
         "ana@tim.hr", "", "", vrt::REQUEST_CANCELLED},
        {"OK with nothing collected takes the highlighted contact as To",
         [&](ContactsBrowse& w) {
             pick(w, ana);
             w.button("?OK")->click();
         },
         "ana@tim.hr", "", "", vrt::REQUEST_COMPLETED},
        {"BCC, then Prekid returns no recipients",
         [&](ContactsBrowse& w) {
             pick(w, ana);
             w.button("?BBCC")->click();
             w.button("?CLOSE")->click();
         },
         "", "", "", vrt::REQUEST_CANCELLED},
        {"a double click adds the address and closes",
         [&](ContactsBrowse& w) {
             pick(w, ana);
             emit w.list()->doubleClicked(w.list()->model()->index(w.browse().selected(), 0));
         },
         "ana@tim.hr", "", "", vrt::REQUEST_COMPLETED},
        {"Enter on a contact does what a double click does",
         [&](ContactsBrowse& w) {
             pick(w, ana);
             w.button("?BCC")->click();
             QTest::keyClick(w.list(), Qt::Key_Return);
         },
         "", "ana@tim.hr", "", vrt::REQUEST_COMPLETED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecipientBuffer::instance().clear();
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* w = qobject_cast<ContactsBrowse*>(&d);
            EXPECT_TRUE(w->recipients(RecipientBuffer::To)->isVisibleTo(w));
            EXPECT_FALSE(w->button("?SELECT")->isVisibleTo(w));
            EXPECT_EQ(w->browse().model().rowCount(), 2);
            EXPECT_EQ(w->browse().model().data(w->browse().model().index(0, 1)).toString(), "Horvat Ana");
            c.drive(*w);
            return d.result();
        });
        EXPECT_EQ(T_Kontakti(0), c.response);
        EXPECT_EQ(RecipientBuffer::instance().text(RecipientBuffer::To), c.to);
        EXPECT_EQ(RecipientBuffer::instance().text(RecipientBuffer::Cc), c.cc);
        EXPECT_EQ(RecipientBuffer::instance().text(RecipientBuffer::Bcc), c.bcc);
    }
}

TEST_F(ContactsTest, PickModeHandsBackOneContactAndTheListFollowsTheExactGroup)
{
    const int top = addGroup("Svi", 0);
    const int sub = addGroup("Dio", top);
    const int member = addContact("Dubravec", sub, "d@x.hr");
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        if (auto* f = qobject_cast<ContactForm*>(&d)) {
            EXPECT_EQ(CON().GRUPAID, sub) << "a new contact starts in the group shown";
            f->entry("PREZIME")->setText("Novak");
            f->okButton()->click();
            return d.result();
        }
        if (qobject_cast<GroupPicker*>(&d)) {
            ADD_FAILURE() << "no picker for a contact with a group";
            return 0;
        }
        auto* w = qobject_cast<ContactsBrowse*>(&d);
        EXPECT_FALSE(w->recipients(RecipientBuffer::To)->isVisibleTo(w));
        EXPECT_FALSE(w->button("?BPRIMA")->isVisibleTo(w));
        EXPECT_TRUE(w->button("?SELECT")->isVisibleTo(w));
        EXPECT_FALSE(w->button("?OK")->isVisibleTo(w));
        EXPECT_TRUE(w->groups()->selectGroup(top));
        EXPECT_EQ(w->browse().model().rowCount(), 0) << "contacts of subgroups are not listed";
        EXPECT_TRUE(w->groups()->selectGroup(sub));
        EXPECT_EQ(w->browse().model().rowCount(), 1);
        w->button("?INSERT")->click();
        EXPECT_EQ(w->browse().model().rowCount(), 2);
        EXPECT_TRUE(w->browse().selectId(qlonglong(member)));
        w->button("?SELECT")->click();
        return d.result();
    });
    EXPECT_EQ(T_Kontakti(1), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    EXPECT_EQ(CON().ID, member);
    EXPECT_EQ(CON().PREZIME, "Dubravec");
    EXPECT_EQ(number("SELECT GRUPAID FROM CON_CONTACTS WHERE PREZIME = 'Novak'"), sub);
}

TEST_F(ContactsTest, DraggingAContactOntoAGroupMovesItAndTheQueryNarrowsTheList)
{
    const int top = addGroup("Svi", 0);
    const int sub = addGroup("Dio", top);
    const int member = addContact("Dubravec", sub, "d@x.hr");
    addContact("Horvat", sub, "h@x.hr");
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto* w = qobject_cast<ContactsBrowse*>(&d);
        w->show();
        EXPECT_TRUE(w->groups()->selectGroup(top));
        const QModelIndex topIndex = w->groups()->currentIndex();
        EXPECT_TRUE(w->groups()->selectGroup(sub));
        EXPECT_EQ(w->browse().model().rowCount(), 2);
        EXPECT_TRUE(w->groupDrag()->dropRow(0, w->groups()->visualRect(topIndex).center()));
        EXPECT_EQ(w->browse().model().rowCount(), 1);

        // "Upit": surname begins with "hor".
        auto& search = w->query().search();
        EXPECT_EQ(search.SETFIELD("CON_Contacts", "PREZIME"), 0);
        search.ADDCRITERION(DTRV::MATCHTYPE_BEGINSWITH, "hor");
        search.APPLYFILTER();
        EXPECT_EQ(w->browse().model().rowCount(), 1);
        search.EMPTYALLCRITERIA();
        search.ADDCRITERION(DTRV::MATCHTYPE_EQUALS, "nobody");
        search.APPLYFILTER();
        EXPECT_EQ(w->browse().model().rowCount(), 0);
        return d.result();
    });
    T_Kontakti(0);
    EXPECT_EQ(number("SELECT GRUPAID FROM CON_CONTACTS WHERE ID = " + std::to_string(member)), top);
}

TEST_F(ContactsTest, F2EditsTheCompanyAndEmailInTheList)
{
    const int group = addGroup("Svi", 0);
    const int id = addContact("Dubravec", group, "d@x.hr");
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto* w = qobject_cast<ContactsBrowse*>(&d);
        w->show();
        EXPECT_TRUE(w->groups()->selectGroup(group));
        EXPECT_TRUE(w->browse().select(0));
        QTest::keyClick(w->list(), Qt::Key_F2);
        auto* cell = qobject_cast<QLineEdit*>(w->cells().control());
        EXPECT_TRUE(cell);
        if (!cell)
            return d.result();
        cell->setText("Dubravec d.o.o.");
        QTest::keyClick(cell, Qt::Key_Tab); // on to the e-mail
        cell = qobject_cast<QLineEdit*>(w->cells().control());
        EXPECT_EQ(w->cells().column(), 2);
        cell->setText("ured@dubravec.hr");
        QTest::keyClick(cell, Qt::Key_Escape); // the e-mail stays as it was
        EXPECT_FALSE(w->cells().editing());
        EXPECT_TRUE(w->isVisible()) << "Esc ends the edit, not the window";
        EXPECT_EQ(w->browse().model().data(w->browse().model().index(0, 0)).toString(), "Dubravec d.o.o.");
        return d.result();
    });
    T_Kontakti(0);
    EXPECT_EQ(number("SELECT COUNT(*) FROM CON_CONTACTS WHERE TVRTKA = 'Dubravec d.o.o.' AND EMAIL = 'd@x.hr' AND ID = " +
                     std::to_string(id)),
              1);
}

TEST_F(ContactsTest, TheContactFormSearchesByExample)
{
    const int group = addGroup("Svi", 0);
    addContact("Horvat", group, "h1@x.hr");
    addContact("Kovač", group, "k@x.hr");
    const int second = addContact("Horvat", group, "h2@x.hr");
    QStringList shownEmails;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto* f = qobject_cast<ContactForm*>(&d);
        EXPECT_TRUE(f);
        if (!f)
            return d.result();
        EXPECT_FALSE(f->okButton()->isVisible());
        EXPECT_EQ(f->entry("PREZIME")->text(), "");
        QPushButton* find = nullptr;
        QPushButton* edit = nullptr;
        for (QPushButton* b : f->findChildren<QPushButton*>()) {
            if (b->text() == "Traži")
                find = b;
            if (b->text() == "Usporedba")
                edit = b;
        }
        EXPECT_TRUE(find && edit);
        if (!find || !edit)
            return d.result();
        f->entry("PREZIME")->setFocus();
        f->entry("PREZIME")->setText("horvat");
        find->click();
        shownEmails << f->entry("EMAIL")->text();
        EXPECT_TRUE(f->entry("PREZIME")->isReadOnly());
        find->click(); // Find Next
        shownEmails << f->entry("EMAIL")->text();
        edit->click(); // Edit This
        return d.result();
    });
    const auto found = findContactByForm(nullptr);
    EXPECT_EQ(shownEmails, QStringList({"h1@x.hr", "h2@x.hr"}));
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, second);
}

// The organiser window as the program builds it: its commands reach the real forms.
class ContactsInTheProgram : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        controls::registerBuiltInControls();
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(organiser::W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        window->resize(1100, 700);
        window->show();
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        window.reset();
        DataTest::TearDown();
    }
    std::unique_ptr<organiser::OrganiserWindow> window;
};

TEST_F(ContactsInTheProgram, RibbonCommandsOpenTheAccountsWindowAndTheContactAndGroupForms)
{
    QStringList opened;
    long pickedGroup = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        if (qobject_cast<GroupPicker*>(&d)) { // the new contact has no group yet
            MC::GROUPID = int32_t(pickedGroup);
            return 0;
        }
        opened << d.objectName();
        if (auto* w = qobject_cast<AccountsWindow*>(&d)) {
            w->button("?INSERT")->click();
            w->button("?CLOSE")->click();
        } else if (auto* a = qobject_cast<AccountForm*>(&d)) {
            a->entry("NAZIV")->setText("Ured");
            a->okButton()->click();
        } else if (auto* g = qobject_cast<vrt::UpdateDialog*>(&d)) {
            g->entry("NAZIV")->setText("Suradnici");
            g->okButton()->click();
        } else if (auto* f = qobject_cast<ContactForm*>(&d)) {
            f->entry("PREZIME")->setText("Perić");
            f->entry("EMAIL")->setText("ivo@peric.hr");
            f->okButton()->click();
        }
        return d.result();
    });
    window->dispatcher().dispatch(1011);
    window->dispatcher().dispatch(8001); // new group, posted to the window
    ASSERT_TRUE(waitFor([&] { return opened.contains("F_Grupa_Kontakti"); }));
    const auto groups = query("SELECT ID FROM CON_GROUP WHERE NAZIV = 'Suradnici'");
    ASSERT_EQ(groups.size(), 1u);
    pickedGroup = std::stol(groups[0]);
    window->dispatcher().dispatch(1015);
    EXPECT_EQ(opened, (QStringList{"T_Accounti", "F_Accounts", "F_Grupa_Kontakti", "F_Contact"}));
    EXPECT_EQ(query("SELECT I.ENNAZIV FROM INBOX I JOIN ACCOUNTS A ON A.ID = I.ACCOUNTID WHERE A.NAZIV = 'Ured' ORDER BY I.REDOSLIJED"),
              (std::vector<std::string>{"xInbox", "xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"}))
        << "the account added in the window has its folders when the window closes";
    EXPECT_EQ(query("SELECT GRUPAID || '|' || EMAIL FROM CON_CONTACTS WHERE PREZIME = 'Perić'"),
              std::vector<std::string>{std::to_string(pickedGroup) + "|ivo@peric.hr"});
    EXPECT_TRUE(window->formTable()->has(organiser::Form::T_Accounti));
    EXPECT_TRUE(window->formTable()->has(organiser::Form::F_Contact));
}

namespace {
// Every text a window shows: title, labels, buttons, group titles, tabs, tool tips, list rows
// and headers of the visible columns.
std::set<QString> shownTexts(QWidget& w)
{
    std::set<QString> out{w.windowTitle()};
    auto add = [&](const QString& t) {
        bool number = false;
        t.toInt(&number);
        if (!t.trimmed().isEmpty() && !number)
            out.insert(t);
    };
    for (QWidget* c : w.findChildren<QWidget*>()) {
        add(c->toolTip());
        if (auto* l = qobject_cast<QLabel*>(c))
            add(l->text());
        // The editor's bar shows signs ("B", "#"); its words are the tool tips.
        if (auto* b = qobject_cast<QAbstractButton*>(c); b && b->parent()->objectName() != "HtmlEditorBar")
            add(b->text());
        if (auto* g = qobject_cast<QGroupBox*>(c))
            add(g->title());
        if (auto* t = qobject_cast<QTabWidget*>(c))
            for (int i = 0; i < t->count(); ++i)
                add(t->tabText(i));
        if (auto* l = qobject_cast<QListWidget*>(c))
            for (int i = 0; i < l->count(); ++i)
                add(l->item(i)->text());
        if (auto* v = qobject_cast<QAbstractItemView*>(c); v && v->model() && !qobject_cast<QHeaderView*>(v))
            for (int i = 0; i < v->model()->columnCount(); ++i)
                if (!(qobject_cast<QTableView*>(v) && qobject_cast<QTableView*>(v)->isColumnHidden(i)) &&
                    !(qobject_cast<QTreeView*>(v) && qobject_cast<QTreeView*>(v)->isColumnHidden(i)))
                    add(v->model()->headerData(i, Qt::Horizontal).toString());
    }
    for (QAction* a : w.findChildren<QAction*>())
        add(a->toolTip());
    return out;
}
} // namespace

TEST_F(ContactsTest, EveryTextTheseWindowsShowHasAnEnglishRow)
{
    addGroup("Grupa", 0);
    std::set<QString> texts;
    auto collect = [&](QWidget& w) {
        const std::set<QString> t = shownTexts(w);
        texts.insert(t.begin(), t.end());
    };
    for (int pick : {0, 1}) {
        AccountsWindow accounts(pick);
        collect(accounts);
        ContactsBrowse contacts(pick);
        collect(contacts);
    }
    GroupPicker picker;
    collect(picker);
    for (int request : {vrt::INSERT_RECORD, vrt::CHANGE_RECORD, vrt::DELETE_RECORD}) {
        vrt::FileBrowseSource accountTarget(Access(Tbl::Accounts), Relate(Tbl::Accounts), {});
        AccountForm account(accountTarget, request);
        collect(account);
        vrt::FileBrowseSource contactTarget(Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts), {});
        ContactForm contact(contactTarget, request);
        collect(contact);
    }
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        collect(d);
        return 0;
    });
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    F_Grupa_Kontakti(std::stol(query("SELECT ID FROM CON_GROUP")[0]), 0);
    texts.erase("OK");
    EXPECT_GT(texts.size(), 60u);
    testsupport::expectEnglishRows(texts);
}

TEST_F(ContactsTest, TheAccountAndContactFormsAsTheUserSeesThem)
{
    Access(Tbl::Accounts).clearBuffer();
    ACC().NAZIV = "Posao";
    ACC().IMEPREZIME = "Ana Horvat";
    ACC().EMAIL = "ana@tvrtka.hr";
    ACC().POPHOSTNAME = "pop.tvrtka.hr";
    ACC().POPUSERNAME = "ana";
    ACC().POPPASSWORD = "tajna";
    ACC().POPPORT = "995";
    ACC().POPSSL = "1";
    ACC().SMTPHOST = "smtp.tvrtka.hr";
    ACC().DEFAULT = 1;
    ASSERT_EQ(Access(Tbl::Accounts).Insert(), 0);
    const int account = ACC().ID;
    QDir().mkpath(m_folder->file("Documents/Signature"));
    m_folder->write(QString("Documents/Signature/%1_NewEmail.html").arg(account).toUtf8(),
                    "<p><b>Ana Horvat</b><br>Voditeljica prodaje<br><span style=\"color:#1f5fa8\">Tvrtka d.o.o.</span></p>");
    const int group = addGroup("Dobavljači", 0);
    const int contact = addContact("Kovačević", group, "marko@kovacevic.hr");
    query("UPDATE CON_CONTACTS SET IME = 'Marko', ADRESA1 = 'Ilica 10', POSTBROJ = '10000', GRAD = 'Zagreb', "
          "DRZAVA = 'Hrvatska', PHONE1 = '01 234 5678', NAPOMENA = 'Zvati prije podne.' WHERE ID = " + std::to_string(contact));

    std::map<QString, QImage> shots;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        d.show();
        QApplication::processEvents();
        shots[d.objectName()] = d.grab().toImage();
        d.reject();
        return d.result();
    });
    vrt::FileBrowseSource accounts(Access(Tbl::Accounts), Relate(Tbl::Accounts), {});
    ASSERT_TRUE(accounts.load(qlonglong(account)));
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    F_Accounts();
    loadContact(contact);
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    F_Contact();
    ASSERT_EQ(shots.size(), 2u);
    for (const auto& [name, shot] : shots) {
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3)
                colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 10) << name.toStdString();
    }
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QDir().mkpath(out);
        shots["F_Accounts"].save(out + "/account-form.png");
        shots["F_Contact"].save(out + "/contact-form.png");
    }
}

TEST_F(ContactsTest, TheAccountsWindowAndContactBrowseAsTheUserSeesThem)
{
    const int first = addGroup("Posao", 0);
    const int sub = addGroup("Dobavljači", first);
    addGroup("Obitelj", 0);
    addContact("Horvat", sub, "ana@horvat.hr");
    addContact("Kovač", sub, "ivo@kovac.hr");
    for (const char* name : {"Posao", "Kuća"}) {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name;
        ACC().DEFAULT = std::string(name) == "Posao";
        ASSERT_EQ(Access(Tbl::Accounts).Insert(), 0);
    }
    std::map<QString, QImage> shots;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        if (auto* w = qobject_cast<ContactsBrowse*>(&d)) {
            EXPECT_TRUE(w->groups()->selectGroup(sub));
            EXPECT_TRUE(w->browse().select(0));
            w->button("?BPRIMA")->click();
        }
        d.show();
        QApplication::processEvents();
        shots[d.objectName()] = d.grab().toImage();
        d.reject();
        return d.result();
    });
    T_Accounti(0);
    T_Kontakti(0);
    ASSERT_EQ(shots.size(), 2u);
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QDir().mkpath(out);
        shots["T_Accounti"].save(out + "/accounts-window.png");
        shots["T_Kontakti"].save(out + "/contact-browse.png");
    }
}
