#include "tests/data/DataFixture.h"

#include "extensions/QbeForm.h"
#include "extensions/QbeGlobal.h"
#include "runtime/ViewManager.h"

#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <set>

using namespace DTRV;

namespace {

TEST(QbeForm, BeginSearchButtonsByEditSupportAndMarks)
{
    struct Case {
        int edit;
        bool marked;
        std::vector<int> order;
        int focus;
    };
    const std::vector<Case> cases = {
        {0, false, {TASK_SELECT, TASK_CANCEL}, TASK_SELECT},
        {0, true, {TASK_SELECT, TASK_UNSELECT, TASK_CANCEL}, TASK_SELECT},
        {1, false, {TASK_EDIT, TASK_SELECT, TASK_CANCEL}, TASK_EDIT},
        {1, true, {TASK_EDIT, TASK_SELECT, TASK_UNSELECT, TASK_CANCEL}, TASK_EDIT},
        {2, false, {TASK_SELECT, TASK_EDIT, TASK_CANCEL}, TASK_SELECT},
        {2, true, {TASK_SELECT, TASK_UNSELECT, TASK_EDIT, TASK_CANCEL}, TASK_SELECT},
    };
    for (const Case& c : cases) {
        const SearchTaskButtons b = beginSearchButtons(c.edit, c.marked);
        EXPECT_EQ(b.order, c.order) << c.edit << c.marked;
        EXPECT_EQ(b.focus, c.focus) << c.edit << c.marked;
    }
}

// A form with the marking store of a set of contact ids.
// Reads contacts through a view manager the test opens.
struct ViewReader : DTRV::QbeReader {
    std::unique_ptr<vrt::ViewManager> view;
    bool first(const QString& filter) override
    {
        view->SetOrder("+CON:ID");
        view->SetFilter(filter.toStdString());
        return view->Open() == 0 && view->Next() == 0;
    }
    bool next() override { return view->Next() == 0; }
    void close() override
    {
        if (view)
            view->Close();
    }
};

// A form with the marking store of a set of contact ids; its windows are scripted.
struct MarkingForm : FORMCLASS {
    explicit MarkingForm(DTRV::QbeReader& reader) : FORMCLASS(reader) {}
    std::function<int(const SearchTaskButtons&)> task;
    int askTask(const SearchTaskButtons& b) override { return task ? task(b) : FORMCLASS::askTask(b); }
    bool runProgress(QbeProgress& p) override
    {
        p.open();
        return QTest::qWaitFor([&] { return !p.isVisible(); }, 10000) && p.result() == QDialog::Accepted;
    }
    std::set<int> marks;
    int streams = 0, flushes = 0;
    QString FSTTAG() override { return marks.empty() ? QString() : QString::number(*marks.begin()); }
    void NEWTAG() override { marks.clear(); }
    void SETTAG() override { marks.insert(CON().ID); }
    void CLRTAG() override { marks.erase(CON().ID); }
    void STREAMFILE() override { ++streams; }
    void FLUSHFILE() override { ++flushes; }
};

class QueryByForm : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(Relate(Tbl::CON_Contacts).Open(), 0);
        for (int i = 0; i < 60; ++i)
            add(i % 3 == 0 ? "Horvat" : "Kovač", i < 30 ? "Zagreb" : "Split");
        auto* l = new QVBoxLayout(&window);
        surname = new QLineEdit(&window);
        town = new QLineEdit(&window);
        action = new QLabel(&window);
        help = new QPushButton("Pomoć", &window);
        work = new QPushButton("Traži", &window);
        ok = new QPushButton("OK", &window);
        cancel = new QPushButton("Prekid", &window);
        for (QWidget* w : std::initializer_list<QWidget*>{action, surname, town, help, work, ok, cancel})
            l->addWidget(w);
        window.show();
        reader.view = std::make_unique<vrt::ViewManager>(Access(Tbl::CON_Contacts));
        form.INIT(global, "Kontakti");
        form.ADDFIELD("CON_Contacts", "CON", "PREZIME", "Prezime", FIELD_STRING, {}, {}, false, surname);
        form.ADDFIELD("CON_Contacts", "CON", "GRAD", "Grad", FIELD_STRING, {}, {}, false, town);
        form.DEFAULTMATCH_STRING = MATCHTYPE_EQUALS;
        QObject::connect(&form, &FORMCLASS::showRecord, [this] { shownId = CON().ID; });
        QObject::connect(&form, &FORMCLASS::closeForm, [this](int r) { closedWith = r; });
        form.PREPAREQBEWINDOW(&window, help, work, ok, cancel, action);
    }
    void add(const char* surname, const char* city)
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = surname;
        CON().GRAD = city;
        ASSERT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
    }
    void type(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->setText(text);
        Q_EMIT e->editingFinished();
    }
    QWidget window;
    QLineEdit *surname = nullptr, *town = nullptr;
    QLabel* action = nullptr;
    QPushButton *help = nullptr, *work = nullptr, *ok = nullptr, *cancel = nullptr;
    GLOBALCLASS global;
    ViewReader reader;
    MarkingForm form{reader};
    int shownId = 0;
    int closedWith = 0;
};

TEST_F(QueryByForm, TypedValueFindsTheFirstMatchThenTheNextUntilNone)
{
    EXPECT_FALSE(ok->isVisible());
    EXPECT_TRUE(work->isDefault());
    EXPECT_EQ(action->text(), "Enter Search Criteria");
    ASSERT_EQ(form.controls().size(), 2u);
    // The entries carry their match-type button at their end.
    ASSERT_TRUE(form.controls()[0].ACTION);
    EXPECT_TRUE(surname->actions().contains(form.controls()[0].ACTION.data()));

    type(surname, "horvat");
    type(town, "split");
    QTest::mouseClick(work, Qt::LeftButton);
    ASSERT_TRUE(form.preview());
    EXPECT_EQ(help->text(), "&Edit This");
    EXPECT_EQ(work->text(), "&Find Next");
    EXPECT_EQ(action->text(), "Edit This Record?");
    EXPECT_TRUE(surname->isReadOnly());
    EXPECT_EQ(shownId, 31); // ids 31, 34, ... 58: Horvat in Split
    int seen = 1;
    while (form.preview() && seen < 100) {
        QTest::mouseClick(work, Qt::LeftButton);
        seen += form.preview() ? 1 : 0;
    }
    EXPECT_EQ(seen, 10);
    EXPECT_EQ(testsupport::presenter().takeTexts(), QStringList{"There are no more matching records!"});
    EXPECT_FALSE(surname->isReadOnly());
    EXPECT_EQ(work->text(), "Traži");
    EXPECT_EQ(surname->text(), "horvat"); // the criteria stay
}

TEST_F(QueryByForm, EditThisClosesTheFormForTheFoundRecord)
{
    type(surname, "Kovač");
    QTest::mouseClick(work, Qt::LeftButton);
    ASSERT_TRUE(form.preview());
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(closedWith, 10);
    EXPECT_EQ(CON().PREZIME, "Kovač");
}

TEST_F(QueryByForm, NoCriterionNoMatchAndHelpWithoutField)
{
    QTest::mouseClick(work, Qt::LeftButton);
    EXPECT_EQ(testsupport::presenter().takeTexts(), QStringList{"You must specify at least one search field!"});
    type(surname, "Nobody");
    QTest::mouseClick(work, Qt::LeftButton);
    EXPECT_FALSE(form.preview());
    EXPECT_EQ(testsupport::presenter().takeTexts(), QStringList{"There are no matching records!"});
}

TEST_F(QueryByForm, MarkAllWithProgressAndClearOldMarksOnAsking)
{
    form.SUPPORTSELECT = true;
    form.SUPPORTUNSELECT = true;
    form.marks = {1000};
    std::vector<int> offered;
    form.task = [&](const SearchTaskButtons& b) {
        offered = b.order;
        return TASK_SELECT;
    };
    type(town, "Zagreb");
    testsupport::presenter().queueButton(vrt::BUTTON_YES);
    QTest::mouseClick(work, Qt::LeftButton);
    EXPECT_EQ(offered, (std::vector<int>{TASK_SELECT, TASK_UNSELECT, TASK_CANCEL}));
    EXPECT_EQ(testsupport::presenter().takeTexts(), QStringList{"Clear old selections first?"});
    EXPECT_EQ(closedWith, 11);
    EXPECT_EQ(form.marks.size(), 30u); // the old mark went, every Zagreb contact is marked
    EXPECT_EQ(form.streams, 1);
    EXPECT_EQ(form.flushes, 1);

    // Unmarking the Horvats of Zagreb.
    form.task = [](const SearchTaskButtons&) { return TASK_UNSELECT; };
    closedWith = 0;
    type(surname, "Horvat");
    QTest::mouseClick(work, Qt::LeftButton);
    EXPECT_EQ(closedWith, 11);
    EXPECT_EQ(form.marks.size(), 20u);
}

TEST_F(QueryByForm, TwoFormsHaveTheirOwnPreview)
{
    QWidget other;
    auto* e = new QLineEdit(&other);
    ViewReader none;
    MarkingForm second(none);
    second.INIT(global, "Kontakti");
    second.ADDFIELD("CON_Contacts", "CON", "PREZIME", "Prezime", FIELD_STRING, {}, {}, false, e);
    second.PREPAREQBEWINDOW(&other, nullptr, nullptr, nullptr, nullptr, nullptr);
    type(surname, "Horvat");
    QTest::mouseClick(work, Qt::LeftButton);
    EXPECT_TRUE(form.preview());
    EXPECT_FALSE(second.preview());
}

} // namespace
