#include "runtime/Browse.h"
#include "runtime/BrowseView.h"
#include "runtime/ErrorClass.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::presenter;

namespace {

// A fixture table with a record buffer, numbered rows and primed inserts, standing where a
// view of the data layer stands.
class FixtureTable : public vrt::BrowseSource, public vrt::FormTarget {
public:
    struct Rec {
        int id = 0;
        QString name;
        int group = 0; // lookup into a second table
    };
    std::vector<Rec> rows;
    Rec buffer;
    bool isPrimed = false;
    bool failSave = false;
    int highWater = 0;

    void add(const QString& name, int group)
    {
        rows.push_back({++highWater, name, group});
    }
    Rec* find(int id)
    {
        for (auto& r : rows)
            if (r.id == id)
                return &r;
        return nullptr;
    }

    QStringList headers() const override { return {"ID", "Naziv", "Grupa"}; }
    std::vector<vrt::BrowseRow> fetchRows(const vrt::BrowseQuery& q) override
    {
        std::vector<Rec> out;
        for (const auto& r : rows) {
            if (q.rangeValue.isValid() && r.group != q.rangeValue.toInt())
                continue;
            if (!q.filter.isEmpty() && !r.name.contains(q.filter, Qt::CaseInsensitive))
                continue;
            out.push_back(r);
        }
        if (q.order == 1)
            std::stable_sort(out.begin(), out.end(), [](const Rec& a, const Rec& b) {
                return a.name.toCaseFolded() < b.name.toCaseFolded();
            });
        std::vector<vrt::BrowseRow> result;
        for (const auto& r : out)
            result.push_back({r.id, {QString::number(r.id), r.name, QString::number(r.group)}});
        return result;
    }
    bool load(const QVariant& id) override
    {
        isPrimed = false;
        if (auto* r = find(id.toInt())) {
            buffer = *r;
            return true;
        }
        return false;
    }
    std::optional<QVariant> primeRecord() override
    {
        if (!primeNew())
            return std::nullopt;
        return buffer.id;
    }
    bool deleteRecord(const QVariant& id) override
    {
        return std::erase_if(rows, [&](const Rec& r) { return r.id == id.toInt(); }) == 1;
    }
    // FormTarget
    bool primed() const override { return isPrimed; }
    bool prime() override { return primeNew(); }
    bool save() override
    {
        if (failSave)
            return false;
        Rec* r = find(buffer.id);
        if (!r)
            return false;
        *r = buffer;
        isPrimed = false;
        return true;
    }
    bool remove() override { return deleteRecord(buffer.id); }
    bool cancelAutoInc() override
    {
        isPrimed = false;
        return deleteRecord(buffer.id);
    }
    QString lastError() const override { return failSave ? "disk full" : QString(); }

private:
    bool primeNew()
    {
        buffer = {++highWater, {}, 0};
        rows.push_back(buffer); // stored at once, as priming does
        isPrimed = true;
        return true;
    }
};

// The test window: one list, whose update number 1 opens the table's form.
class TestWindow : public vrt::WindowManager {
public:
    FixtureTable& table;
    vrt::ErrorClass* errors = nullptr;
    std::function<bool()> pickGroup; // the lookup's picker
    std::vector<QString> titles;
    std::vector<QString> actions;
    std::vector<bool> red;

    explicit TestWindow(FixtureTable& t) : table(t) {}

    int run(int number, int request) override
    {
        if (number != 1)
            return vrt::WindowManager::run(number, request);
        vrt::UpdateFormController form(table, request, "F_Fixture");
        form.setErrors(errors);
        form.setFields({
            {"FIX:ID", "ID:", [this] { return QString::number(table.buffer.id); }, {}, true},
            {"FIX:NAZIV", "Naziv:", [this] { return table.buffer.name; },
             [this](const QString& v) { table.buffer.name = v; }},
        });
        if (pickGroup)
            form.addLookup({"FIX:GRUPA", [this] { return table.buffer.group != 0; }, pickGroup});
        vrt::UpdateDialog dialog(form, "Update Records...");
        titles.push_back(dialog.titleLabel()->text());
        actions.push_back(dialog.actionLabel()->text());
        red.push_back(dialog.titleLabel()->styleSheet().contains("#ff0000"));
        return dialog.run();
    }
};

// Drives the form the way a user would: type into entries, then press OK or Prekid.
vrt::DialogRunner script(std::map<QString, QString> typed, bool ok, int* shown = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        if (shown)
            ++*shown;
        for (const auto& [field, text] : typed)
            dialog.entry(field)->setText(text);
        QTest::mouseClick(ok ? dialog.okButton() : dialog.cancelButton(), Qt::LeftButton);
        return dialog.result();
    };
}

class Framework : public ::testing::Test {
protected:
    void SetUp() override
    {
        presenter().clear();
        for (auto [name, group] : std::vector<std::pair<QString, int>>{
                 {"Zagreb", 1}, {"Osijek", 2}, {"Split", 1}, {"Rijeka", 2}, {"Pula", 1}})
            table.add(name, group);
        window.errors = &errors;
        errors.init();
    }
    FixtureTable table;
    TestWindow window{table};
    vrt::ErrorClass errors;
};

QStringList names(vrt::Browse& b)
{
    QStringList out;
    for (const auto& r : b.model().rows())
        out << r.cells[1];
    return out;
}

} // namespace

TEST_F(Framework, BrowseOrderRangeFilterAndLocator)
{
    vrt::Browse browse(table, &window);
    browse.addOrder({"ID", -1});
    browse.addOrder({"Naziv", 1});
    browse.resetFromView();
    EXPECT_EQ(names(browse), QStringList({"Zagreb", "Osijek", "Split", "Rijeka", "Pula"}));
    ASSERT_TRUE(browse.selectId(3)); // Split

    browse.setOrder(1); // the selection follows the record into the new order
    EXPECT_EQ(names(browse), QStringList({"Osijek", "Pula", "Rijeka", "Split", "Zagreb"}));
    EXPECT_EQ(browse.selectedId(), QVariant(3));

    struct Locate {
        QString typed;
        QString lands;
    };
    // A text nothing starts with leaves the selection where it was.
    for (const auto& c : {Locate{"r", "Rijeka"}, Locate{"SP", "Split"}, Locate{"t", "Split"}, Locate{"Q", "Split"},
                          Locate{"z", "Zagreb"}, Locate{"zz", "Zagreb"}, Locate{"", "Osijek"}})
        EXPECT_EQ(names(browse)[browse.locate(c.typed)], c.lands) << c.typed.toStdString();

    browse.setRange(1);
    EXPECT_EQ(names(browse), QStringList({"Pula", "Split", "Zagreb"}));
    browse.setFilter("a");
    EXPECT_EQ(names(browse), QStringList({"Pula", "Zagreb"}));
    // The selected record left the list: the selection stays at the same place.
    EXPECT_TRUE(browse.selected() >= 0 && browse.selected() < 2);
    browse.setFilter({});
    browse.setRange({});
    EXPECT_EQ(browse.model().rowCount(), 5);

    // A reset by the window reaches the list.
    table.add("Varaždin", 2);
    window.reset(true);
    EXPECT_EQ(browse.model().rowCount(), 6);
}

TEST_F(Framework, UpdateRequestsThroughTheForm)
{
    struct Case {
        const char* name;
        int request;
        bool ok;
        int response;
        QStringList after; // names in id order
        QString title;
        QString action;
        bool red;
    };
    const QStringList base{"Zagreb", "Osijek", "Split", "Rijeka", "Pula"};
    const Case cases[] = {
        {"insert", vrt::INSERT_RECORD, true, vrt::REQUEST_COMPLETED, base + QStringList{"Novo"},
         "Unos novog zapisa", "Record will be Added", false},
        {"insert cancelled", vrt::INSERT_RECORD, false, vrt::REQUEST_CANCELLED, base,
         "Unos novog zapisa", "Record will be Added", false},
        {"change", vrt::CHANGE_RECORD, true, vrt::REQUEST_COMPLETED,
         {"Zagreb", "Osijek", "Novo", "Rijeka", "Pula"}, "Izmjena zapisa", "Record will be Changed", false},
        {"change cancelled", vrt::CHANGE_RECORD, false, vrt::REQUEST_CANCELLED, base,
         "Izmjena zapisa", "Record will be Changed", false},
        {"delete", vrt::DELETE_RECORD, true, vrt::REQUEST_COMPLETED, {"Zagreb", "Osijek", "Rijeka", "Pula"},
         "BRISANJE zapisa", "", true},
        {"delete cancelled", vrt::DELETE_RECORD, false, vrt::REQUEST_CANCELLED, base,
         "BRISANJE zapisa", "", true},
        {"view", vrt::VIEW_RECORD, true, vrt::REQUEST_CANCELLED, base, "Update Records...", "View Record", false},
    };
    for (const auto& c : cases) {
        FixtureTable fresh;
        for (const auto& n : base)
            fresh.add(n, 1);
        TestWindow w(fresh);
        vrt::Browse browse(fresh, &w);
        browse.setUpdateNumber(1);
        browse.resetFromView();
        browse.selectId(3);
        int shown = 0;
        testsupport::ScopedDialogRunner runner(script({{"FIX:NAZIV", "Novo"}}, c.ok, &shown));
        EXPECT_EQ(browse.ask(c.request), c.response) << c.name;
        EXPECT_EQ(shown, 1) << c.name;
        QStringList after;
        for (const auto& r : fresh.rows)
            after << r.name;
        EXPECT_EQ(after, c.after) << c.name;
        EXPECT_EQ(names(browse), c.after) << c.name; // the list shows what is stored
        ASSERT_EQ(w.titles.size(), 1u);
        EXPECT_EQ(w.titles[0], c.title) << c.name;
        EXPECT_EQ(w.actions[0], c.action) << c.name;
        EXPECT_EQ(w.red[0], c.red) << c.name;
        if (c.request == vrt::INSERT_RECORD && c.ok) {
            EXPECT_EQ(browse.selectedId(), QVariant(6)) << c.name; // the new row is selected
        }
        if (c.request == vrt::INSERT_RECORD && !c.ok) {
            EXPECT_EQ(fresh.find(6), nullptr) << c.name; // the primed row is gone
            EXPECT_FALSE(fresh.isPrimed) << c.name;
        }
    }
}

TEST_F(Framework, FailedSaveKeepsTheFormOpenAndReports)
{
    vrt::Browse browse(table, &window);
    browse.setUpdateNumber(1);
    browse.resetFromView();
    browse.selectId(2);
    table.failSave = true;
    int presses = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        dialog.entry("FIX:NAZIV")->setText("Novo");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        ++presses;
        EXPECT_EQ(dialog.result(), 0); // still open
        table.failSave = false;
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        ++presses;
        return dialog.result();
    });
    EXPECT_EQ(browse.changeRecord(), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(table.find(2)->name, "Novo");
    ASSERT_EQ(presenter().calls().size(), 1u);
    EXPECT_TRUE(presenter().calls()[0].text.contains("disk full"));
}

TEST_F(Framework, LookupPickerOnOpenAndOnOk)
{
    // The picker is cancelled when the insert opens and on the first OK: the save stops with
    // the focus on the field; the second OK picks and saves.
    std::vector<bool> answers{false, false, true};
    size_t picks = 0;
    window.pickGroup = [&] {
        const bool ok = picks < answers.size() && answers[picks];
        ++picks;
        if (ok)
            table.buffer.group = 2;
        return ok;
    };
    vrt::Browse browse(table, &window);
    browse.setUpdateNumber(1);
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        EXPECT_EQ(picks, 1u); // pressed by the form itself
        dialog.entry("FIX:NAZIV")->setText("Dubrovnik");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), 0);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        return dialog.result();
    });
    EXPECT_EQ(browse.insertRecord(), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(picks, 3u);
    EXPECT_EQ(table.rows.back().name, "Dubrovnik");
    EXPECT_EQ(table.rows.back().group, 2);
}

TEST_F(Framework, FieldHistoryBringsBackTheLastSavedValue)
{
    vrt::Browse browse(table, &window);
    browse.setUpdateNumber(1);
    browse.resetFromView();
    browse.selectId(1);
    {
        testsupport::ScopedDialogRunner runner(script({{"FIX:NAZIV", "Karlovac"}}, true));
        browse.changeRecord();
    }
    browse.selectId(2);
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        QLineEdit* name = dialog.entry("FIX:NAZIV");
        EXPECT_EQ(name->text(), "Osijek");
        QTest::keyClick(name, Qt::Key_H, Qt::ControlModifier);
        EXPECT_EQ(name->text(), "Karlovac");
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        return dialog.result();
    });
    EXPECT_EQ(browse.changeRecord(), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(table.find(2)->name, "Osijek");
}

TEST_F(Framework, DeleteWithoutAFormAsksFirst)
{
    vrt::Browse browse(table, &window);
    browse.setErrors(&errors);
    browse.resetFromView();
    browse.selectId(4);
    presenter().queueButton(vrt::BUTTON_NO);
    EXPECT_EQ(browse.deleteRecord(), vrt::REQUEST_CANCELLED);
    EXPECT_NE(table.find(4), nullptr);
    presenter().queueButton(vrt::BUTTON_YES);
    EXPECT_EQ(browse.deleteRecord(), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(table.find(4), nullptr);
    EXPECT_EQ(browse.selectedId(), QVariant(5)); // the row that took its place
    ASSERT_EQ(presenter().calls().size(), 2u);
    EXPECT_EQ(presenter().calls()[0].text, "Are you sure you want to delete the highlighted record?");
    // Without an update procedure there is nothing to insert or change with.
    EXPECT_EQ(browse.insertRecord(), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(table.rows.size(), 4u);
    auto& popup = browse.popup();
    EXPECT_FALSE(popup.item(popup.idOf("Insert"))->enabled);
    EXPECT_FALSE(popup.item(popup.idOf("Change"))->enabled);
    EXPECT_TRUE(popup.item(popup.idOf("Delete"))->enabled);
}

TEST_F(Framework, ViewDrivesTheBrowse)
{
    vrt::Browse browse(table, &window);
    browse.addOrder({"ID", 1});
    browse.setUpdateNumber(1);
    browse.resetFromView();
    vrt::BrowseView view(browse);
    view.show();
    QTest::keyClicks(&view, "ri");
    EXPECT_EQ(browse.selectedId(), QVariant(4));
    EXPECT_EQ(view.currentIndex().row(), browse.selected());
    int shown = 0;
    testsupport::ScopedDialogRunner runner(script({{"FIX:NAZIV", "Rovinj"}}, true, &shown));
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(table.find(4)->name, "Rovinj");
    // The popup's Izmjena reaches the same form.
    {
        const testsupport::ScopedHook<vrt::PopupMenu::Runner> runner(
            &vrt::PopupMenu::setRunner, [](const vrt::PopupMenu& m, QPoint, QWidget*) { return m.idOf("Change"); });
        browse.popup().ask();
    }
    EXPECT_EQ(shown, 2);
}

TEST_F(Framework, ARowTheFormPrimedItselfGoesAgainOnCancel)
{
    vrt::UpdateFormController form(table, vrt::INSERT_RECORD, "F_Test");
    ASSERT_TRUE(form.open()); // no caller primed: the form numbers and stores a row itself
    EXPECT_EQ(table.rows.size(), 6u);
    form.cancel();
    EXPECT_EQ(table.rows.size(), 5u) << "a cancelled insert leaves no empty row behind";
    EXPECT_EQ(form.response(), vrt::REQUEST_CANCELLED);
}
