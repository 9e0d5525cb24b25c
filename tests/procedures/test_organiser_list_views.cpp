#include "procedures/organiser/window/EventChecks.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/mail/MailActions.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/StandInServices.h"
#include "runtime/DateTime.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

using namespace organiser;

TEST_F(OrganiserListsTest, ViewsSortSelectOpenMenusAndDropMails)
{
    const SampleResult data = fill();
    ListSet lists;
    lists.setMailFolder(data.inboxId);
    OrganiserList& mail = lists.list(ctl::Email);
    OrganiserListView view(mail);
    view.resize(800, 400);
    view.show();

    // Header clicks sort through the list's SQL; the hidden columns stay out of reach.
    QHeaderView* header = view.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(3) + 5, 5));
    EXPECT_EQ(mail.source().orderText(), "+EM:SUBJECT,+EM:ID");
    EXPECT_EQ(header->model()->headerData(3, Qt::Horizontal).toString(), "Naslov[+]");
    EXPECT_EQ(header->sectionSize(6), 0);

    // The right button selects the row under it; the menu comes with the release, and
    // Shift+F10 asks for the same menu.
    QSignalSpy menus(&view, &OrganiserListView::menuRequested), pressed(&view, &OrganiserListView::rightPressed);
    const QRect third = view.visualRect(mail.model().index(2, 1));
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, third.center());
    EXPECT_EQ(mail.selected(), 2);
    EXPECT_EQ(pressed.count(), 1);
    QContextMenuEvent release(QContextMenuEvent::Mouse, third.center(), view.viewport()->mapToGlobal(third.center()));
    QCoreApplication::sendEvent(view.viewport(), &release);
    QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(menus.count(), 2);
    // Selecting with the keyboard moves the list's selection.
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(mail.selected(), 3);

    // A mail dropped on a folder row moves there; on the account's root row nothing moves.
    QStandardItemModel folders;
    for (long id : {data.accountRootId, data.inboxId + 1}) {
        auto* item = new QStandardItem(QString::number(id));
        item->setData(qlonglong(id));
        folders.appendRow(item);
    }
    QTreeView tree;
    tree.setModel(&folders);
    tree.resize(200, 200);
    tree.show();
    int movedTotal = 0;
    MailDropTarget target(&tree, [&](const QModelIndex& i) { return long(i.data(Qt::UserRole + 1).toLongLong()); },
                          [&](int moved) { movedTotal += moved; });
    const std::string id = mail.cell("EM:ID").toStdString();
    for (int row : {0, 1}) {
        std::unique_ptr<QMimeData> mime(emailDragData({long(std::stol(id))}));
        const QPoint at = tree.visualRect(folders.index(row, 0)).center();
        QDragEnterEvent enter(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &drop);
        EXPECT_EQ(query("SELECT INBOXID FROM EMAIL WHERE ID = " + id)[0],
                  std::to_string(row == 0 ? data.inboxId : data.inboxId + 1));
    }
    EXPECT_EQ(movedTotal, 1);
}


TEST_F(OrganiserListsTest, TheWindowShowsTheListsUnderTheirNumbers)
{
    fill();
    struct SilentFrame : FrameLink {
        void notify(int, int) override {}
    } frame;
    OrganiserDeps deps;
    deps.dataFolder = m_folder->path();
    deps.frame = &frame;
    useDataLayer(deps);
    StandInServices standIns;
    OrganiserWindow window(standIns.fill(deps));
    OrganiserPanes* panes = attachPanes(window);
    EXPECT_EQ(attachPanes(window), panes);
    ASSERT_TRUE(window.open());
    panes->lists().resetAll();
    for (const ListDef& def : organiserLists()) {
        auto* view = qobject_cast<OrganiserListView*>(window.manager().control(def.control));
        ASSERT_NE(view, nullptr) << def.control;
        EXPECT_EQ(&view->list(), &panes->lists().list(def.control));
        EXPECT_NE(view->parentWidget(), &window) << def.control << " is placed in a page";
    }
    EXPECT_EQ(panes->lists().list(ctl::Notes).rowCount(), 12);
    window.shutDown();
}

TEST_F(OrganiserListsTest, NotesAreEditedInTheList)
{
    fill();
    ListSet lists;
    OrganiserList& notes = lists.list(ctl::Notes);
    notes.reset();
    OrganiserListView view(notes);
    bindNotesView(lists, view);
    view.resize(800, 300);
    view.show();
    const int before = notes.rowCount();

    // Insert: a new note of today and now, its title in an editor.
    QTest::keyClick(&view, Qt::Key_Insert);
    ASSERT_EQ(notes.rowCount(), before + 1);
    const std::string id = notes.cell("NOTE:ID").toStdString();
    EXPECT_EQ(query("SELECT DATUM FROM Notes WHERE ID = " + id)[0], vrt::dayToText(vrt::today()).toStdString());
    EXPECT_NE(query("SELECT VRIJEME FROM Notes WHERE ID = " + id)[0], "NULL");

    // Title, description and remark take an editor; tag, date and time do not.
    const int title = notes.def().columnOf("NOTE:NASLOV");
    struct Case {
        const char* field;
        bool editable;
    };
    for (const Case& c : {Case{"TAGMARK", false}, Case{"NOTE:DATUM", false}, Case{"NOTE:VRIJEME", false},
                          Case{"NOTE:NASLOV", true}, Case{"NOTE:OPIS", true}, Case{"NOTE:NAPOMENA", true}}) {
        const QModelIndex i = notes.model().index(notes.selected(), notes.def().columnOf(c.field));
        EXPECT_EQ(bool(notes.model().flags(i) & Qt::ItemIsEditable), c.editable) << c.field;
    }
    ASSERT_TRUE(notes.model().setData(notes.model().index(notes.selected(), title), "Nazvati banku"));
    EXPECT_EQ(query("SELECT NASLOV FROM Notes WHERE ID = " + id)[0], "Nazvati banku");
    EXPECT_EQ(notes.cell("NOTE:ID").toStdString(), id) << "the edited note stays selected";

    // Typing: Tab after the title goes on to the description, and what is typed there is kept.
    const int description = notes.def().columnOf("NOTE:OPIS");
    auto openEditor = [&view]() -> QLineEdit* {
        for (QLineEdit* e : view.viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    };
    const QPoint titleCell = view.visualRect(notes.model().index(notes.selected(), title)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, titleCell);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, titleCell);
    QTRY_VERIFY(openEditor());
    QLineEdit* editor = openEditor();
    editor->selectAll();
    QTest::keyClicks(editor, "Banka");
    QTest::keyClick(editor, Qt::Key_Tab);
    QTRY_COMPARE(view.currentIndex().column(), description);
    QTRY_VERIFY(openEditor() && openEditor() != editor);
    editor = openEditor();
    QTest::keyClicks(editor, "prije podne");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(query("SELECT OPIS FROM Notes WHERE ID = " + id)[0], "prije podne");
    EXPECT_EQ(query("SELECT NASLOV FROM Notes WHERE ID = " + id)[0], "Banka");
    EXPECT_EQ(notes.cell("NOTE:OPIS").toStdString(), "prije podne") << "the list shows what was typed";
    EXPECT_EQ(notes.cell("NOTE:ID").toStdString(), id);

    // Delete asks first: No keeps the note, Yes deletes it.
    testsupport::presenter().clear();
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(notes.rowCount(), before + 1);
    testsupport::presenter().queueButton(vrt::BUTTON_YES);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(notes.rowCount(), before);
    EXPECT_EQ(query("SELECT COUNT(*) FROM Notes WHERE ID = " + id)[0], "0");
    EXPECT_EQ(testsupport::presenter().calls().size(), 2u);
    testsupport::presenter().clear();

    // The password list links only its location column.
    OrganiserList& pass = lists.list(ctl::Pass);
    lists.list(ctl::PKat).reset();
    ASSERT_TRUE(lists.list(ctl::PKat).select(0));
    ASSERT_TRUE(pass.select(0));
    const int location = pass.def().columnOf("PAS:LOKACIJA");
    EXPECT_EQ(lists.passwordLink(location), pass.cell("PAS:LOKACIJA"));
    EXPECT_TRUE(lists.passwordLink(location).startsWith("https://"));
    EXPECT_TRUE(lists.passwordLink(0).isEmpty());
}
