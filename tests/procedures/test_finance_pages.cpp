#include "procedures/finance/FinanceForms.h"
#include "procedures/finance/FinanceRoutines.h"
#include "procedures/organiser/panes/PopupItems.h"
#include "runtime/DateTime.h"
#include "runtime/PopupMenu.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "tests/procedures/FinanceFixture.h"
#include "tests/support/ShippedTranslations.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using organiser::ListModel;

TEST(FinanceAmounts, TypedTheCroatianWayAndStoredAsDecimalText)
{
    const struct {
        const char* typed;
        std::optional<QString> stored;
    } reads[] = {
        {"1.234,56", QString("1234.56")}, {"-5", QString("-5")},         {"1234,5", QString("1234.5")},
        {"12.50", QString("12.50")},      {"1.234", QString("1234")},    {"", QString("0")},
        {" 2.000.000,00 ", QString("2000000.00")}, {"0,125", QString("0.13")}, {"12a", std::nullopt},
        {"1,2,3", std::nullopt}, {"1.2.3", std::nullopt}, {"1.2.3,45", std::nullopt}, {"12.34.567", std::nullopt},
    };
    for (const auto& c : reads)
        EXPECT_EQ(finance::amountFromScreen(c.typed), c.stored) << c.typed;
    const std::pair<const char*, const char*> shown[] = {
        {"1234.56", "1.234,56"}, {"0", ""}, {"0.00", ""}, {"-5", "-5,00"}, {"1234567.5", "1.234.567,50"}, {"x", ""}};
    for (const auto& [stored, screen] : shown)
        EXPECT_EQ(finance::amountScreenText(stored), screen) << stored;
}

TEST(FinanceAmounts, SumsAreExactAndSignedByTheEntrysType)
{
    using finance::Amount;
    const struct {
        const char* name;
        std::vector<Amount> rows;
        bool signedByType;
        const char* total;
    } cases[] = {
        {"empty", {}, true, "0.00"},
        {"balance", {{"100.00", 1}, {"30.50", 2}}, true, "69.50"},
        {"tenths that a double loses", {{"0.1", 1}, {"0.2", 1}, {"0.3", 2}}, true, "0.00"},
        {"negative amounts", {{"-10.25", 1}, {"5", 2}}, true, "-15.25"},
        {"a root adds as listed", {{"-10.25", 2}, {"5", 2}}, false, "-5.25"},
        {"unknown type is left out of a balance", {{"7", 3}, {"1", 1}}, true, "1.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(finance::sumAmounts(c.rows, c.signedByType).toString(), c.total) << c.name;
    int bad = 0;
    EXPECT_EQ(finance::sumAmounts({{"abc", 1}, {"2", 1}}, true, &bad).toString(), "2.00");
    EXPECT_EQ(bad, 1);
}

TEST_F(FinanceTest, ANewIncomeFromTheRibbonIsKeptWithItsAmountAsDecimalText)
{
    window->paneRoutines().FillFinanceCategoryTree(); // seeds the roots
    int shown = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        ++shown;
        EXPECT_EQ(dialog.titleLabel()->text(), "Unos novog zapisa");
        EXPECT_EQ(dialog.entry("KATEGORIJA")->text(), "Prihodi");
        EXPECT_EQ(dialog.entry("DATUM")->text(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        EXPECT_EQ(dialog.entry("IZNOS_DECIMAL")->text(), "");
        dialog.entry("NAZIV")->setText("Plaća");
        dialog.entry("IZNOS_DECIMAL")->setText("1.234,56");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        return dialog.result();
    });
    window->dispatcher().dispatch(1100);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(query("SELECT KATEGORIJAID || '|' || TIPID || '|' || NAZIV || '|' || IZNOS_DECIMAL FROM PrihodiRashodi"),
              std::vector<std::string>{"1|1|Plaća|1234.56"});
    EXPECT_EQ(query("SELECT DATUM FROM PrihodiRashodi")[0], vrt::dayToText(vrt::today()).toStdString());
}

TEST_F(FinanceTest, TheEntryFormRefusesBadInputAndACategoryOfZero)
{
    window->paneRoutines().FillFinanceCategoryTree();
    // An amount that is no number keeps the form open; Prekid then stores nothing.
    int presses = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        dialog.entry("IZNOS_DECIMAL")->setText("12x");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        ++presses;
        EXPECT_EQ(dialog.result(), 0);
        dialog.entry("IZNOS_DECIMAL")->setText("5");
        dialog.entry("DATUM")->setText("31.02.2026");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), 0);
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        return dialog.result();
    });
    window->dispatcher().dispatch(1101);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(testsupport::presenter().calls("message").size(), 2u);
    EXPECT_EQ(count("PrihodiRashodi"), 0);

    // A new entry without a category would never be seen in the tree: refused, nothing kept.
    testsupport::presenter().clear();
    ASSERT_EQ(Access(Tbl::PrihodiRashodi).PrimeRecord(), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    EXPECT_EQ(finance::F_PrihodiRashodi(0, 1), vrt::REQUEST_CANCELLED);
    ASSERT_EQ(testsupport::presenter().calls("stop").size(), 1u);
    EXPECT_EQ(testsupport::presenter().calls("stop")[0].text, "F_PrihodiRashodi SrediProzor NOT - pn:KategorijaID : 0 pn:Tip : 1");
    EXPECT_EQ(count("PrihodiRashodi"), 0);
}

// An amount is kept whole or refused with the field named; neither the form nor the data
// layer ever cuts it to its column.
TEST_F(FinanceTest, AnAmountTooLongForItsColumnIsRefusedNeverCut)
{
    window->paneRoutines().FillFinanceCategoryTree();
    const QString widest = QString("12345678901234567890123456,89"); // 29 characters stored
    std::vector<QString> shown;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        dialog.entry("NAZIV")->setText("Velika");
        for (const char* typed : {"12345678901234567890123456789012,55", "123456789012345678901234567,89", "1.2.3"}) {
            testsupport::presenter().clear();
            dialog.entry("IZNOS_DECIMAL")->setText(typed);
            QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            EXPECT_EQ(dialog.result(), 0) << typed;
            const auto calls = testsupport::presenter().calls("message");
            EXPECT_EQ(calls.size(), 1u) << typed;
            shown.push_back(calls.empty() ? QString() : calls[0].text);
        }
        dialog.entry("IZNOS_DECIMAL")->setText(widest);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        return dialog.result();
    });
    window->dispatcher().dispatch(1100);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], QString::fromUtf8("Iznos ne stane u polje: Iznos:"));
    EXPECT_EQ(shown[1], QString::fromUtf8("Iznos ne stane u polje: Iznos:"));
    EXPECT_EQ(shown[2], QString::fromUtf8("Iznos nije ispravan broj."));
    EXPECT_EQ(query("SELECT IZNOS_DECIMAL FROM PrihodiRashodi"), std::vector<std::string>{"12345678901234567890123456.89"});

    // The data layer refuses what a form let through, naming the field, and stores nothing.
    for (const char* amount : {"123456789012345678901234567.89", "-1234567890123456789012345678.9"}) {
        Access(Tbl::PrihodiRashodi).clearBuffer();
        PR().KATEGORIJAID = 1;
        PR().TIPID = 1;
        PR().IZNOS_DECIMAL = amount;
        EXPECT_NE(Access(Tbl::PrihodiRashodi).Insert(), 0) << amount;
        EXPECT_NE(Access(Tbl::PrihodiRashodi).ErrorText().indexOf("PR:IZNOS_DECIMAL"), -1)
            << Access(Tbl::PrihodiRashodi).ErrorText().toStdString();
    }
    EXPECT_EQ(count("PrihodiRashodi"), 1);
    // Nor does an update cut a stored amount.
    ASSERT_EQ(query("SELECT ID FROM PrihodiRashodi").size(), 1u);
    Access(Tbl::PrihodiRashodi).clearBuffer();
    PR().ID = std::stoi(query("SELECT ID FROM PrihodiRashodi")[0]);
    ASSERT_EQ(Access(Tbl::PrihodiRashodi).Fetch(Access(Tbl::PrihodiRashodi).FILE->primaryKey()), 0);
    PR().IZNOS_DECIMAL = "1234567890123456789012345678.99";
    EXPECT_NE(Access(Tbl::PrihodiRashodi).Update(), 0);
    EXPECT_EQ(query("SELECT IZNOS_DECIMAL FROM PrihodiRashodi"), std::vector<std::string>{"12345678901234567890123456.89"});
}

TEST_F(FinanceTest, DeletingAnEntryShowsTheRedHeadingAndOkDeletesAtOnce)
{
    window->paneRoutines().FillFinanceCategoryTree();
    const long id = entry(1, 1, "10");
    PR().ID = int32_t(id);
    ASSERT_EQ(Access(Tbl::PrihodiRashodi).TryFetch(PR.IDKey), 0);
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
        EXPECT_EQ(dialog.titleLabel()->text(), "BRISANJE zapisa");
        EXPECT_TRUE(dialog.titleLabel()->styleSheet().contains("#ff0000"));
        EXPECT_EQ(dialog.entry("IZNOS_DECIMAL")->text(), "10,00");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        return dialog.result();
    });
    GLOBALREQUEST = vrt::DELETE_RECORD;
    EXPECT_EQ(finance::F_PrihodiRashodi(1, 1), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(count("PrihodiRashodi"), 0);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty()); // no further question
}

TEST_F(FinanceTest, TheTreeListsSubtreesWithTotalsRowsAndTheBalanceRowLast)
{
    window->paneRoutines().FillFinanceCategoryTree();
    const long salary = category("Plaća", 1, 1);
    const long bonus = category("Bonus", salary, 1);
    const long food = category("Hrana", 2, 2);
    const long empty = category("Prazno", 2, 2);
    const long e1 = entry(salary, 1, "100.00");
    const long e2 = entry(bonus, 1, "0.10");
    const long e3 = entry(bonus, 1, "-0.10");
    const long e4 = entry(food, 2, "30.50");
    VelmoraDll::PrihodiRashodiQ().clear();
    window->paneRoutines().FillFinanceCategoryTree();

    // Roots first, the balance row last; order values follow the shown order.
    const auto& q = treeModel()->queue();
    ASSERT_EQ(q.size(), 7u);
    EXPECT_EQ(q.front().ID, 1);
    EXPECT_EQ(q.back().ID, finance::BalanceRowId);
    EXPECT_EQ(q.back().NAZIV, "***KLIK ZA STANJE***");
    QStringList orders;
    for (const auto& row : q)
        if (row.ID != finance::BalanceRowId)
            orders << QString::number(row.ID);
    EXPECT_EQ(query("SELECT ID FROM PrihodiRashodiKategorija ORDER BY REDOSLIJED").size(), size_t(orders.size()));
    std::vector<std::string> shownOrder;
    for (const QString& id : orders)
        shownOrder.push_back(id.toStdString());
    EXPECT_EQ(query("SELECT ID FROM PrihodiRashodiKategorija ORDER BY REDOSLIJED"), shownOrder);
    EXPECT_EQ(query("SELECT MAX(REDOSLIJED) FROM PrihodiRashodiKategorija")[0], std::to_string(orders.size()));

    const auto ids = [](std::initializer_list<long> l) {
        QStringList out;
        for (long i : l)
            out << QString::number(i);
        out.sort();
        return out;
    };
    const struct {
        const char* name;
        long category;
        QStringList entries;
        QString totalsName; // empty: no totals row
        QString total;
    } cases[] = {
        {"leaf", bonus, ids({e2, e3}), "", ""},
        {"parent with its own and its children's", salary, ids({e1, e2, e3}), "", ""},
        {"income root", 1, ids({e1, e2, e3}), "PRIHOD UKUPNO", "100.00"},
        {"expense root", 2, ids({e4}), QString::fromUtf8("TROŠAK UKUPNO"), "30.50"},
        {"empty category", empty, {}, "", ""},
        {"balance", finance::BalanceRowId, ids({e1, e2, e3, e4}), "STANJE", "69.50"},
    };
    for (const auto& c : cases) {
        select(c.category);
        EXPECT_EQ(listed("PR:ID"), c.entries) << c.name;
        const auto& extra = entries().model().extraRows();
        if (c.totalsName.isEmpty()) {
            EXPECT_TRUE(extra.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(extra.size(), 1u) << c.name;
        const int naziv = entries().def().columnOf("PR:NAZIV"), iznos = entries().def().columnOf("PR:IZNOS_DECIMAL");
        EXPECT_EQ(extra[0].cells[naziv], c.totalsName) << c.name;
        EXPECT_EQ(extra[0].cells[iznos], c.total) << c.name;
        // The totals row is the list's last, painted white on blue, and selected.
        ListModel& m = entries().model();
        const QModelIndex last = m.index(m.rowCount() - 1, naziv);
        EXPECT_EQ(last.data().toString(), c.totalsName);
        EXPECT_EQ(last.data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::blue)) << c.name;
        EXPECT_EQ(last.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::white)) << c.name;
        EXPECT_EQ(last.sibling(last.row(), entries().def().columnOf("PR:DATUM")).data().toString(), "");
    }
    // The balance row shows the balance until another category is chosen.
    select(finance::BalanceRowId);
    EXPECT_EQ(balanceText(), finance::balanceTreeText("STANJE", vrt::Decimal::fromUnscaled(6950, 2)));
    EXPECT_EQ(balanceText().size(), 6 + 14);
    select(food);
    EXPECT_EQ(balanceText(), "***KLIK ZA STANJE***");

    // Incomes summing to zero: no totals row.
    query("UPDATE PrihodiRashodi SET IZNOS_DECIMAL = '0.00' WHERE ID = " + std::to_string(e1));
    select(1);
    EXPECT_EQ(listed("PR:ID").size(), 3);
    EXPECT_TRUE(entries().model().extraRows().empty());
    // An entry whose category has gone still counts in the balance, by its own type.
    query("DELETE FROM PrihodiRashodiKategorija WHERE ID = " + std::to_string(empty));
    entry(empty, 2, "0.50");
    select(finance::BalanceRowId);
    ASSERT_EQ(entries().model().extraRows().size(), 1u);
    EXPECT_EQ(entries().model().extraRows()[0].cells[entries().def().columnOf("PR:IZNOS_DECIMAL")], "-31.00");
}

TEST_F(FinanceTest, CategoryCommandsRefuseInTheirOrderAndInsertUnderTheSelection)
{
    window->paneRoutines().FillFinanceCategoryTree();
    const long parent = category("Roditelj", 2, 2);
    const long child = category("Dijete", parent, 2);
    const long used = category("S unosima", 2, 2);
    entry(used, 2, "1");
    entry(parent, 2, "1"); // the child is named first
    const long bare = category("Prazna", 2, 2);
    VelmoraDll::PrihodiRashodiQ().clear();
    window->paneRoutines().FillFinanceCategoryTree();

    vrt::PopupMenu& menu = panes().menus().menu(organiser::Popup::FinanceCategories);
    auto run = [&](const char* text) {
        for (const auto& i : menu.items())
            if (i.text == QLatin1String(text))
                return i.action();
        ADD_FAILURE() << text;
    };
    const QString standard = QString::fromUtf8("Standardni direktorij se ne može mijenjati ili brisati!");
    const QString children = QString::fromUtf8("Kategorija sadrži podkategorije i ne može biti obrisana!");
    const QString withEntries = QString::fromUtf8("Kategorija sadrži prihode ili rashode i ne može biti obrisana!");
    const struct {
        long category;
        const char* command;
        QString message; // empty: the form runs
    } cases[] = {
        {finance::BalanceRowId, "Unos poddirektorija", ""}, {finance::BalanceRowId, "Brisanje", ""},
        {1, "Izmjena", standard},  {2, "Brisanje", standard},   {parent, "Brisanje", children},
        {used, "Brisanje", withEntries}, {bare, "Izmjena", ""}, {bare, "Brisanje", ""},
        {child, "Unos poddirektorija", ""},
    };
    for (const auto& c : cases) {
        select(c.category);
        testsupport::presenter().clear();
        int forms = 0;
        QString title;
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto& dialog = dynamic_cast<vrt::UpdateDialog&>(d);
            ++forms;
            title = dialog.titleLabel()->text();
            if (QLineEdit* name = dialog.entry("NAZIV"); name && !name->isReadOnly())
                name->setText("Nova");
            QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            return dialog.result();
        });
        run(c.command);
        const auto messages = testsupport::presenter().calls("message");
        const bool expectForm = c.message.isEmpty() && c.category != finance::BalanceRowId;
        EXPECT_EQ(forms, expectForm ? 1 : 0) << c.command << " " << c.category;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.empty()) << c.command << " " << c.category;
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, c.message);
        }
    }
    EXPECT_EQ(count("PrihodiRashodiKategorija"), 6); // "Prazna" went, one came under "Dijete"
    EXPECT_EQ(query("SELECT TIP || '|' || TATAID FROM PrihodiRashodiKategorija WHERE NAZIV = 'Nova' AND ID <> " +
                    std::to_string(bare)),
              std::vector<std::string>{"2|" + std::to_string(child)});
    // The tree was filled again after each completed form.
    bool shown = false;
    for (const auto& row : treeModel()->queue())
        shown = shown || row.NAZIV == "Nova";
    EXPECT_TRUE(shown);
}

TEST(FinanceTexts, EveryShownTextHasAnEnglishRow)
{
    testsupport::expectEnglishRows({
        "Prihodi/troškovi", "Kategorija", "Kategorija:", "Datum:", "Naziv:", "Iznos:", "Napomena:", "Prekid",
        "Unos novog zapisa", "Izmjena zapisa", "BRISANJE zapisa", "Iznos nije ispravan broj.", "Iznos ne stane u polje:", "Datum nije ispravan.",
        "***KLIK ZA STANJE***", "STANJE", "PRIHOD UKUPNO", "TROŠAK UKUPNO",
        "Standardni direktorij se ne može mijenjati ili brisati!", "Kategorija sadrži podkategorije i ne može biti obrisana!",
        "Kategorija sadrži prihode ili rashode i ne može biti obrisana!", "Prihod", "Trošak", "Izlazni dokumenti",
        "Ulazni dokumenti", "Prihod ukupno", "Trošak ukupno", "Stanje", "Osobne financije", "Ulazni i izlazni dokumenti",
        "Ulazni", "Izlazni", "Prihodi i troškovi", "Osobne financije, ulazni i izlazni dokumenti", "Naziv", "Iznos",
        "Progress...", "Cancel", "Predložak nije pronađen:", "Izvoz u MS Excel nije uspio:",
        "Datoteka je spremljena, ali se ne može otvoriti:", "Telefon:", "Fax:"});
}
