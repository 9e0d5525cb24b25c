#include "controls/Controls.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/backup/BackupWindow.h"
#include "procedures/notes/NotesForm.h"
#include "procedures/notes/PasswordForms.h"
#include "procedures/notes/PasswordGenerator.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/BrowseView.h"
#include "runtime/DateTime.h"
#include "runtime/Notify.h"
#include "runtime/UpdateDialog.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <random>

using namespace notespass;

namespace {

// A seeded source, so a failing draw can be repeated.
class SeededRng : public Rng {
public:
    explicit SeededRng(unsigned seed) : m_engine(seed) {}
    uint32_t below(uint32_t bound) override { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(m_engine); }

private:
    std::mt19937 m_engine;
};

// A broken source that always gives the same character.
class StuckRng : public Rng {
public:
    uint32_t below(uint32_t) override { return 0; }
};

struct Counts {
    int digits = 0, upper = 0, lower = 0;
};

Counts countOf(const QString& p)
{
    Counts c;
    for (QChar ch : p) {
        if (ch.isDigit())
            ++c.digits;
        else if (ch.isUpper())
            ++c.upper;
        else
            ++c.lower;
    }
    return c;
}

bool wellFormed(const QString& p)
{
    const QString alphabet = QString::fromLatin1(kPasswordAlphabet);
    QChar previous = QLatin1Char(' ');
    for (QChar ch : p) {
        if (!alphabet.contains(ch) || ch.toUpper() == previous.toUpper())
            return false;
        previous = ch;
    }
    return true;
}

} // namespace

TEST(PasswordGenerator, DrawsMeetTheRules)
{
    ASSERT_EQ(QString::fromLatin1(kPasswordAlphabet).size(), kPasswordAlphabetSize);
    struct Case {
        int n;
        bool digits, mixed;
        int exactEach; // -1: at least a quarter of each, as the boxes ask
    };
    const Case cases[] = {
        {0, true, true, -1}, {1, true, true, -1}, {1, false, false, -1}, {3, true, true, 1},
        {6, true, true, 2},  {20, true, true, -1}, {20, false, false, -1}, {20, true, false, -1},
        {99, true, true, -1}, {2, true, false, -1}, {2, false, true, -1},
    };
    for (const Case& c : cases) {
        const int m = quarterOf(c.n);
        for (unsigned seed = 1; seed <= (c.n == 99 ? 5u : 300u); ++seed) {
            SeededRng rng(seed);
            const GeneratedPassword g = generatePassword(c.n, c.digits, c.mixed, rng);
            ASSERT_TRUE(g.ok()) << c.n << " " << g.error.toStdString();
            ASSERT_EQ(g.password.size(), c.n);
            ASSERT_TRUE(wellFormed(g.password)) << g.password.toStdString();
            const Counts k = countOf(g.password);
            if (c.exactEach >= 0) {
                ASSERT_EQ(k.digits, c.exactEach) << g.password.toStdString();
                ASSERT_EQ(k.upper, c.exactEach) << g.password.toStdString();
                ASSERT_EQ(k.lower, c.exactEach) << g.password.toStdString();
            }
            if (c.digits) {
                ASSERT_GE(k.digits, m) << g.password.toStdString();
            }
            if (c.mixed) {
                ASSERT_GE(k.upper, m) << g.password.toStdString();
                ASSERT_GE(k.lower, m) << g.password.toStdString();
            }
        }
    }
    // The system source gives different passwords from run to run.
    SystemRng system;
    EXPECT_NE(generatePassword(20, true, true, system).password, generatePassword(20, true, true, system).password);
}

TEST(PasswordGenerator, QuarterRoundsHalvesUp)
{
    const std::pair<int, int> table[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {5, 1}, {6, 2}, {10, 3}, {20, 5}, {99, 25}};
    for (const auto& [n, m] : table)
        EXPECT_EQ(quarterOf(n), m) << n;
}

TEST(PasswordGenerator, SettingsThatCannotBeMetAreRefusedAndEveryCallEnds)
{
    SeededRng rng(7);
    struct Case {
        int n;
        bool digits, mixed;
    };
    for (const Case& c : {Case{2, true, true}, Case{100, false, false}, Case{255, true, true}, Case{-1, false, false}}) {
        const GeneratedPassword g = generatePassword(c.n, c.digits, c.mixed, rng);
        EXPECT_FALSE(g.ok()) << c.n;
        EXPECT_TRUE(g.password.isEmpty());
    }
    // A source that never meets the neighbour rule: the attempts run out with a message.
    StuckRng stuck;
    const GeneratedPassword g = generatePassword(5, false, false, stuck);
    EXPECT_FALSE(g.ok());
}

TEST(NoteForm, DateAndTimeTexts)
{
    const int day = vrt::dayFromDate(QDate(2024, 1, 5));
    EXPECT_EQ(noteDateText(day), "5.1.2024");
    EXPECT_EQ(noteDateFrom("5.1.2024"), day);
    EXPECT_EQ(noteDateFrom("2024-01-05"), day);
    EXPECT_EQ(noteDateFrom(""), 0);
    EXPECT_EQ(noteDateFrom("31.2.2024"), -1);
    EXPECT_EQ(noteTimeFrom("9:30"), vrt::timeFromQTime(QTime(9, 30)));
    EXPECT_EQ(noteTimeText(vrt::timeFromQTime(QTime(9, 30))), "9:30");
    EXPECT_EQ(noteTimeFrom("25:00"), -1);
}

namespace {

// The organiser window as the program builds it, over a sample database.
class NotesPasswordsWindow : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped())
            return;
        fill();
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(organiser::W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        testsupport::presenter().clear();
        testsupport::clearModalLog();
    }
    void TearDown() override
    {
        if (window)
            window->shutDown();
        window.reset();
        OrganiserListsTest::TearDown();
    }
    int run(int number, int request) { return window->manager().run(number, request); }
    int addNote(const char* title)
    {
        Access(Tbl::Notes).clearBuffer();
        NOTE().NASLOV = title;
        NOTE().DATUM = vrt::today();
        EXPECT_EQ(Access(Tbl::Notes).Insert(), 0);
        return NOTE().ID;
    }
    bool loadNote(int id)
    {
        Access(Tbl::Notes).clearBuffer();
        NOTE().ID = id;
        return Access(Tbl::Notes).TryFetch(NOTE.IDKey) == 0;
    }
    std::unique_ptr<organiser::OrganiserWindow> window;
};

template <class T>
T* child(QDialog& d, const char* name)
{
    return d.findChild<T*>(QLatin1String(name));
}

} // namespace

TEST_F(NotesPasswordsWindow, NoteDeleteOpensNoWindowAndAsksFirst)
{
    const int id = addNote("Za brisanje");
    struct Case {
        int answer;
        int response;
        int rowsLeft;
    };
    for (const Case& c : {Case{vrt::BUTTON_NO, vrt::REQUEST_CANCELLED, 1}, Case{vrt::BUTTON_YES, vrt::REQUEST_COMPLETED, 0}}) {
        ASSERT_TRUE(loadNote(id));
        testsupport::presenter().clear();
        testsupport::presenter().queueButton(c.answer);
        EXPECT_EQ(run(15, vrt::DELETE_RECORD), c.response);
        EXPECT_EQ(GLOBALRESPONSE, c.response);
        EXPECT_EQ(query("SELECT COUNT(*) FROM Notes WHERE ID = " + std::to_string(id))[0], std::to_string(c.rowsLeft));
        EXPECT_EQ(testsupport::presenter().calls("message").size(), 1u);
        EXPECT_TRUE(testsupport::modalLog().isEmpty()) << testsupport::modalLog().join(",").toStdString();
    }
}

TEST_F(NotesPasswordsWindow, NoteInsertChangeAndCancelThroughTheFormsButtons)
{
    const int before = count("Notes");
    // Insert: the list primes a note, the form fills it, OK stores it.
    int shownId = 0;
    {
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            auto& form = dynamic_cast<vrt::UpdateDialog&>(d);
            EXPECT_EQ(d.windowTitle(), "Update Records...");
            EXPECT_EQ(form.actionLabel()->text(), "Record will be Added");
            shownId = form.entry("NOTE:ID")->text().toInt();
            form.entry("NOTE:KONTAKTID")->setText("4");
            form.entry("NOTE:DATUM")->setText("31.2.2024"); // no such day: refused, the form stays
            QTest::mouseClick(form.okButton(), Qt::LeftButton);
            EXPECT_EQ(d.result(), 0);
            form.entry("NOTE:DATUM")->setText("5.1.2024");
            form.entry("NOTE:VRIJEME")->setText("9:30");
            form.entry("NOTE:NASLOV")->setText("Nazvati banku");
            form.entry("NOTE:NAPOMENA")->setText(QString(9000, QLatin1Char('x')));
            QTest::mouseClick(form.okButton(), Qt::LeftButton);
            return d.result();
        });
        EXPECT_EQ(run(15, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
    }
    EXPECT_EQ(count("Notes"), before + 1);
    ASSERT_GT(shownId, 0);
    ASSERT_TRUE(loadNote(shownId));
    EXPECT_EQ(NOTE().NASLOV, "Nazvati banku");
    EXPECT_EQ(NOTE().KONTAKTID, 4);
    EXPECT_EQ(NOTE().DATUM, vrt::dayFromDate(QDate(2024, 1, 5)));
    EXPECT_EQ(NOTE().VRIJEME, vrt::timeFromQTime(QTime(9, 30)));
    EXPECT_EQ(NOTE().NAPOMENA.size(), 7999u);
    EXPECT_EQ(testsupport::presenter().calls("message").size(), 1u) << "the bad date was named";

    // Change, then Cancel: nothing of the edit is stored.
    for (bool ok : {true, false}) {
        ASSERT_TRUE(loadNote(shownId));
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            auto& form = dynamic_cast<vrt::UpdateDialog&>(d);
            EXPECT_EQ(form.actionLabel()->text(), "Record will be Changed");
            form.entry("NOTE:NASLOV")->setText(ok ? "Banka u ponedjeljak" : "Ne sprema se");
            QTest::mouseClick(ok ? form.okButton() : form.cancelButton(), Qt::LeftButton);
            return d.result();
        });
        EXPECT_EQ(run(15, vrt::CHANGE_RECORD), ok ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED);
    }
    ASSERT_TRUE(loadNote(shownId));
    EXPECT_EQ(NOTE().NASLOV, "Banka u ponedjeljak");
    EXPECT_EQ(count("Notes"), before + 1);
}

// The notes pane's insert and change buttons open the note form; they never add a row to
// type into.
TEST_F(NotesPasswordsWindow, TheNotesPaneButtonsOpenTheNoteForm)
{
    const int before = count("Notes");
    QStringList seen;
    testsupport::ScopedDialogRunner r([&](QDialog& d) {
        auto& form = dynamic_cast<vrt::UpdateDialog&>(d);
        seen << d.objectName() + QLatin1Char(':') + form.actionLabel()->text();
        form.entry("NOTE:NASLOV")->setText(seen.size() == 1 ? "Iz gumba" : "Promijenjeno");
        QTest::mouseClick(form.okButton(), Qt::LeftButton);
        return d.result();
    });
    // The overview's buttons are there once the overview is composed, as showing it does.
    window->findChild<organiser::OrganiserPanes*>()->buildPage(0);
    auto button = [this](const char* name) { return window->findChild<QAbstractButton*>(QLatin1String(name)); };
    ASSERT_TRUE(button("Button16"));
    button("Button16")->click();
    QTRY_COMPARE(seen, QStringList({"F_Notes:Record will be Added"}));
    QTRY_COMPARE(count("Notes"), before + 1);
    EXPECT_EQ(query("SELECT COUNT(*) FROM Notes WHERE NASLOV = 'Iz gumba'")[0], "1");
    button("Button15")->click();
    QTRY_COMPARE(seen.size(), 2);
    EXPECT_EQ(seen[1], "F_Notes:Record will be Changed");
    EXPECT_EQ(count("Notes"), before + 1);
}

TEST_F(NotesPasswordsWindow, NewPasswordWithThePickerCancelledKeepsTheMarker)
{
    const int before = count("Passwords");
    QStringList seen;
    testsupport::ScopedDialogRunner r([&](QDialog& d) {
        seen << d.objectName();
        if (d.objectName() == "T_PASS_Kategorija")
            return QDialog::Rejected + 0; // Zatvori
        d.show();
        // The category shows by its name only: its number, the marker here, stays hidden.
        auto* number = child<QLineEdit>(d, "PAS:KATEGORIJAID");
        EXPECT_EQ(number->text(), QString::number(kNoCategory));
        EXPECT_FALSE(number->isVisible());
        EXPECT_TRUE(child<QLabel>(d, "LC:KATEGORIJA")->text().isEmpty());
        EXPECT_EQ(d.focusWidget(), child<QToolButton>(d, "?CALLLOOKUP")) << "the picker, to choose one";
        EXPECT_TRUE(child<QLineEdit>(d, "PAS:NAZIV")->text().isEmpty());
        QTest::mouseClick(dynamic_cast<vrt::UpdateDialog&>(d).cancelButton(), Qt::LeftButton);
        return d.result();
    });
    Access(Tbl::Passwords).clearBuffer();
    EXPECT_EQ(run(14, vrt::INSERT_RECORD), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(seen, QStringList({"T_PASS_Kategorija", "F_PASS_Password"}));
    EXPECT_EQ(count("Passwords"), before) << "the primed row went again";
}

TEST_F(NotesPasswordsWindow, GeneratedPasswordIsStoredUnderThePickedCategory)
{
    const int before = count("Passwords");
    QString generated;
    testsupport::ScopedDialogRunner r([&](QDialog& d) {
        if (d.objectName() == "T_PASS_Kategorija") {
            auto* view = d.findChild<vrt::BrowseView*>("?List");
            EXPECT_TRUE(view->browse().select(1));
            QTest::mouseClick(child<QPushButton>(d, "?SELECT"), Qt::LeftButton);
            return d.result();
        }
        auto& form = dynamic_cast<vrt::UpdateDialog&>(d);
        d.show();
        EXPECT_FALSE(child<QLabel>(d, "LC:KATEGORIJA")->text().isEmpty());
        EXPECT_FALSE(child<QLineEdit>(d, "PAS:KATEGORIJAID")->isVisible());
        auto* password = child<QLineEdit>(d, "PAS:PASSWORD");
        EXPECT_EQ(password->echoMode(), QLineEdit::Password) << "hidden until asked";
        child<QCheckBox>(d, "?SHOWPASSWORD")->setChecked(true);
        EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(child<QSpinBox>(d, "?LN:PASSLENGTH")->value(), 20);
        child<QSpinBox>(d, "?LN:PASSLENGTH")->setValue(2); // both boxes ticked: cannot be met
        QTest::mouseClick(child<QPushButton>(d, "?BUTTON1"), Qt::LeftButton);
        EXPECT_TRUE(password->text().isEmpty());
        child<QSpinBox>(d, "?LN:PASSLENGTH")->setValue(120);
        QTest::mouseClick(child<QPushButton>(d, "?BUTTON1"), Qt::LeftButton);
        EXPECT_TRUE(password->text().isEmpty());
        EXPECT_EQ(testsupport::presenter().calls("message").size(), 2u);
        child<QSpinBox>(d, "?LN:PASSLENGTH")->setValue(16);
        QTest::mouseClick(child<QPushButton>(d, "?BUTTON1"), Qt::LeftButton);
        generated = password->text();
        child<QLineEdit>(d, "PAS:NAZIV")->setText("Banka");
        child<QLineEdit>(d, "PAS:LOGIN")->setText("ana");
        child<QLineEdit>(d, "PAS:LOKACIJA")->setText("https://banka.example");
        // With VELMORA_SCREENSHOT_DIR set, the form is drawn there (docs/screenshots keeps it).
        if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
            d.adjustSize();
            QCoreApplication::processEvents();
            d.grab().save(out + "/password-form.png");
        }
        QTest::mouseClick(form.okButton(), Qt::LeftButton);
        return d.result();
    });
    Access(Tbl::Passwords).clearBuffer();
    EXPECT_EQ(run(14, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
    ASSERT_EQ(generated.size(), 16);
    EXPECT_TRUE(wellFormed(generated));
    EXPECT_GE(countOf(generated).digits, 4);
    EXPECT_EQ(count("Passwords"), before + 1);
    const auto rows = query("SELECT PASSWORD || '|' || LOGIN || '|' || KATEGORIJAID FROM Passwords WHERE NAZIV = 'Banka'");
    ASSERT_EQ(rows.size(), 1u);
    const QStringList parts = QString::fromStdString(rows[0]).split('|');
    EXPECT_EQ(parts[0], generated);
    EXPECT_EQ(parts[1], "ana");
    EXPECT_NE(parts[2].toInt(), kNoCategory);
    EXPECT_EQ(parts[2].toInt(), std::stoi(query("SELECT ID FROM PasswordsKategorija ORDER BY ID LIMIT 1 OFFSET 1")[0]));
}

TEST_F(NotesPasswordsWindow, PasswordWhoseCategoryIsGoneOpensWithAnEmptyName)
{
    Access(Tbl::Passwords).clearBuffer();
    PAS().KATEGORIJAID = 777777;
    PAS().NAZIV = "Siroce";
    ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
    bool shown = false;
    testsupport::ScopedDialogRunner r([&](QDialog& d) {
        shown = d.objectName() == "F_PASS_Password";
        d.show();
        EXPECT_TRUE(child<QLabel>(d, "LC:KATEGORIJA")->text().isEmpty());
        EXPECT_EQ(child<QLineEdit>(d, "PAS:NAZIV")->text(), "Siroce");
        d.reject();
        return d.result();
    });
    EXPECT_EQ(run(14, vrt::CHANGE_RECORD), vrt::REQUEST_CANCELLED);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(testsupport::presenter().calls("stop").empty());
}

TEST_F(NotesPasswordsWindow, DeletingACategoryNamesHowManyPasswordsGoWithIt)
{
    const std::string category = query("SELECT KATEGORIJAID FROM Passwords GROUP BY KATEGORIJAID ORDER BY COUNT(*) DESC LIMIT 1")[0];
    const int inIt = std::stoi(query("SELECT COUNT(*) FROM Passwords WHERE KATEGORIJAID = " + category)[0]);
    ASSERT_GT(inIt, 0);
    for (int answer : {vrt::BUTTON_NO, vrt::BUTTON_YES}) {
        Access(Tbl::PasswordsKategorija).clearBuffer();
        PASK().ID = std::stoi(category);
        ASSERT_EQ(Access(Tbl::PasswordsKategorija).TryFetch(PASK.IDKey), 0);
        testsupport::presenter().clear();
        testsupport::presenter().queueButton(answer);
        testsupport::ScopedDialogRunner r([](QDialog& d) {
            QTest::mouseClick(dynamic_cast<vrt::UpdateDialog&>(d).okButton(), Qt::LeftButton);
            if (d.result() == 0)
                d.reject(); // the answer was no: the form stays until Prekid
            return d.result();
        });
        const int response = run(13, vrt::DELETE_RECORD);
        const auto asked = testsupport::presenter().calls("message");
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].text.contains(QString::number(inIt))) << asked[0].text.toStdString();
        const bool yes = answer == vrt::BUTTON_YES;
        EXPECT_EQ(response, yes ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED);
        EXPECT_EQ(std::stoi(query("SELECT COUNT(*) FROM Passwords WHERE KATEGORIJAID = " + category)[0]), yes ? 0 : inIt);
        EXPECT_EQ(std::stoi(query("SELECT COUNT(*) FROM PasswordsKategorija WHERE ID = " + category)[0]), yes ? 0 : 1);
    }
}

namespace {
class NotesPasswordsForms : public OrganiserListsTest {};
} // namespace

// Every text the forms and the backup window put through the translator, messages included,
// has an English row in the shipped table.
TEST_F(NotesPasswordsForms, EveryTextOfTheFormsHasAnEnglishRow)
{
    fill();
    controls::registerBuiltInControls();
    std::set<QString> asked;
    FormEnv env([&asked](const QString& t) {
        asked.insert(t);
        return t;
    });
    env.dataFolder = m_folder->path();
    testsupport::ScopedDialogRunner r([](QDialog& d) {
        if (auto* zip = d.findChild<QPushButton*>("?ZIP"))
            QTest::mouseClick(zip, Qt::LeftButton); // no destination: a message
        if (auto* generate = d.findChild<QPushButton*>("?BUTTON1")) {
            d.findChild<QSpinBox*>("?LN:PASSLENGTH")->setValue(2);
            QTest::mouseClick(generate, Qt::LeftButton);
        }
        d.reject();
        return d.result();
    });
    Access(Tbl::Notes).clearBuffer();
    for (auto form : {+[](const FormEnv& e) { GLOBALREQUEST = vrt::INSERT_RECORD; F_Notes(e); },
                      +[](const FormEnv& e) { GLOBALREQUEST = vrt::INSERT_RECORD; F_PASS_Password(e); },
                      +[](const FormEnv& e) { GLOBALREQUEST = vrt::DELETE_RECORD; F_PASS_Kategorija(e); },
                      +[](const FormEnv& e) { W_Backup(e, QString()); }})
        form(env);
    ASSERT_GE(asked.size(), 25u);
    testsupport::expectEnglishRows(asked);
}

TEST_F(NotesPasswordsForms, TheCategoryListSortsByTheClickedHeader)
{
    fill();
    for (const char* name : {"zadnja", "Alfa", "beta"}) {
        Access(Tbl::PasswordsKategorija).clearBuffer();
        PASK().NAZIV = name;
        ASSERT_EQ(Access(Tbl::PasswordsKategorija).Insert(), 0);
    }
    FormEnv env;
    env.dataFolder = m_folder->path();
    QStringList byId, byName;
    testsupport::ScopedDialogRunner r([&](QDialog& d) {
        auto* view = d.findChild<vrt::BrowseView*>("?List");
        auto names = [view] {
            QStringList out;
            for (const auto& row : view->browse().model().rows())
                out << row.cells[0];
            return out;
        };
        byId = names();
        EXPECT_FALSE(d.findChild<QPushButton*>("?SELECT")->isVisibleTo(&d)) << "no picking without the select request";
        view->horizontalHeader()->sectionClicked(0);
        byName = names();
        d.reject();
        return d.result();
    });
    EXPECT_EQ(T_PASS_Kategorija(env, false), vrt::REQUEST_COMPLETED);
    ASSERT_GE(byId.size(), 3);
    EXPECT_EQ(byId.mid(byId.size() - 3), QStringList({"zadnja", "Alfa", "beta"}));
    QStringList sorted = byId;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(byName, sorted);
}
