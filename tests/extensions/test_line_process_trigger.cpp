#include "tests/data/DataFixture.h"

#include "extensions/LineFile.h"
#include "extensions/ProcessManager.h"
#include "extensions/ProcessWindow.h"
#include "extensions/TriggerManager.h"

#include <functional>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using ext::ANYASCIIFILECLASS;

// ---- timer processing ---------------------------------------------------------------------

namespace {

// Records what the process shows; the bar is not watched.
struct RecordingControls : ext::ProcessControls {
    QStringList log;
    int timerPeriod = 0;
    void text(const QString& t) override { log << t; }
    void range(int, int) override {}
    void progress(int) override {}
    void setTimer(int h) override { timerPeriod = h; }
    int timer() override { return timerPeriod; }
    void closeWindow() override { log << "close"; }
};

struct Recording : ext::QUEUEPROCESSMANAGERCLASS<int> {
    RecordingControls controls;
    QStringList& log = controls.log;
    int& timer = controls.timerPeriod;
    std::vector<int> taken;
    Recording() { setControls(&controls); }
    void TAKERECORD() override { taken.push_back(*current()); }
    void TAKENORECORDS() override
    {
        log << "none";
        QUEUEPROCESSMANAGERCLASS::TAKENORECORDS();
    }
    void TAKECOMPLETED() override
    {
        log << "completed";
        QUEUEPROCESSMANAGERCLASS::TAKECOMPLETED();
    }
};

} // namespace

TEST(TimerProcessing, CyclesShowThePercentageAndCompleteInTheLastTick)
{
    const std::vector<int> q{1, 2, 3, 4, 5, 6, 7};
    Recording p;
    p.INIT(q);
    p.RECORDSPERCYCLE = 3;
    p.SETCONTROLS("obrađeno", 0, 1, 2, 3);
    p.RUN();
    EXPECT_EQ(p.log, QStringList({"0% obrađeno"}));
    p.OPEN();
    EXPECT_EQ(p.timer, 10);
    p.log.clear();
    p.TAKEEVENT(523);
    EXPECT_EQ(p.log.back(), "42% obrađeno");
    p.TAKEEVENT(523);
    EXPECT_EQ(p.log.back(), "85% obrađeno");
    p.TAKEEVENT(523);
    EXPECT_EQ(p.log.mid(p.log.size() - 3), QStringList({"100% obrađeno", "completed", "close"}));
    EXPECT_EQ(p.taken, q);
    EXPECT_TRUE(p.PROGRESSCANCELLED);
    p.TAKEEVENT(523); // ended: nothing more
    EXPECT_EQ(p.taken.size(), 7u);
}

TEST(TimerProcessing, EmptyPausedAndKeptOpen)
{
    const std::vector<int> none;
    Recording empty;
    empty.INIT(none);
    empty.SETCONTROLS("x", 0, 1, 2, 3);
    empty.RUN(); // 0 of 0 is 0 %
    EXPECT_EQ(empty.log, QStringList({"0% x"}));
    empty.TAKEEVENT(523);
    EXPECT_EQ(empty.log.mid(1), QStringList({"none", "close"}));

    const std::vector<int> q{1, 2, 3};
    Recording p;
    p.INIT(q);
    p.SETCONTROLS("x", 0, 1, 2, 3);
    p.RUN();
    p.SETCLOSEWINDOW(false);
    p.OPEN();
    p.TAKEEVENT(1, 3); // pause
    EXPECT_TRUE(p.ISPAUSED());
    EXPECT_EQ(p.timer, 0);
    p.TAKEEVENT(523);
    EXPECT_TRUE(p.taken.empty());
    p.TAKEEVENT(1, 3); // pressed again: goes on, the timer is set again
    EXPECT_FALSE(p.ISPAUSED());
    EXPECT_EQ(p.timer, 10);
    for (int i = 0; i < 4; ++i)
        p.TAKEEVENT(523);
    EXPECT_EQ(p.taken, q);
    EXPECT_FALSE(p.log.contains("close")); // stays open
    EXPECT_EQ(p.timer, 0);
}

TEST(TimerProcessing, TheWindowRunsOnItsTimer)
{
    std::vector<int> q(20);
    Recording p;
    p.INIT(q);
    p.RECORDSPERCYCLE = 4;
    p.TIMER = 1;
    p.RUN();
    p.TIMER = 1;
    ext::ProcessWindow window(p, "Obrada", "gotovo");
    window.show();
    QTest::mouseClick(window.pauseButton(), Qt::LeftButton);
    EXPECT_TRUE(p.ISPAUSED());
    QTest::mouseClick(window.pauseButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 10000);
    EXPECT_EQ(window.bar()->value(), 100);
    EXPECT_EQ(window.text()->text(), "100% gotovo");
    EXPECT_EQ(p.taken.size(), 20u);
}

// ---- line files ---------------------------------------------------------------------------

TEST(LineFile, ReadAppendAndReplaceLines)
{
    testsupport::TempFolder folder;
    const QString name = folder.file("lines.txt");
    ANYASCIIFILECLASS f;
    QString line;
    EXPECT_EQ(f.READ(line), 3);
    EXPECT_EQ(f.WRITE("x"), 3);
    EXPECT_EQ(f.REPLACE("x"), 3);
    EXPECT_EQ(f.GETWRITEPOSITION(), 0);

    folder.write("lines.txt", "old\r\n");
    ASSERT_EQ(f.CREATEFILE(name, 2), 0); // starts empty
    EXPECT_EQ(f.GETWRITEPOSITION(), 1);
    for (const char* text : {"first", "abcdef", "third  "})
        ASSERT_EQ(f.WRITE(text), 0);
    EXPECT_EQ(folder.read("lines.txt"), "first\r\nabcdef\r\nthird\r\n");
    EXPECT_EQ(f.GETWRITEPOSITION(), 23);

    ASSERT_EQ(f.READ(line), 0);
    EXPECT_EQ(line, "first");
    ASSERT_EQ(f.READ(line), 0);
    EXPECT_EQ(line, "abcdef");
    EXPECT_EQ(f.PREVIOUSREADPOSITION, 8);
    ASSERT_EQ(f.REPLACE("ab"), 0); // the second line, whole, with no padding or zero byte
    EXPECT_EQ(folder.read("lines.txt"), "first\r\nab\r\nthird\r\n");
    ASSERT_EQ(f.READ(line), 0);
    EXPECT_EQ(line, "third");
    ASSERT_EQ(f.READ(line, 8), 0);
    ASSERT_EQ(f.REPLACE("abcdefgh čćž"), 0); // and longer, without a cut
    EXPECT_EQ(folder.read("lines.txt"), QByteArray("first\r\nabcdefgh čćž\r\nthird\r\n"));
    EXPECT_EQ(f.READ(line, 999), 5);

    // A file with LF line ends gets LF lines.
    folder.write("unix.txt", "a\nb");
    ANYASCIIFILECLASS u;
    ASSERT_EQ(u.OPENORCREATEFILE(folder.file("unix.txt"), 2), 0);
    ASSERT_EQ(u.WRITE("c"), 0);
    EXPECT_EQ(folder.read("unix.txt"), "a\nb\nc\n");
    ANYASCIIFILECLASS reader;
    ASSERT_EQ(reader.OPENFILE(folder.file("unix.txt"), 0), 0);
    EXPECT_EQ(reader.WRITE("no"), 5);
    ASSERT_EQ(reader.READ(line, 3), 0);
    EXPECT_EQ(line, "b");
}

TEST(LineFile, TwoObjectsOnTwoFilesInterleaved)
{
    testsupport::TempFolder folder;
    ANYASCIIFILECLASS a, b;
    ASSERT_EQ(a.CREATEFILE(folder.file("a.txt"), 2), 0);
    ASSERT_EQ(b.CREATEFILE(folder.file("b.txt"), 2), 0);
    b.SETAUTOFLUSH(true);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(a.WRITE(QStringLiteral("a%1").arg(i)), 0);
        ASSERT_EQ(b.WRITE(QStringLiteral("b%1").arg(i)), 0);
    }
    EXPECT_EQ(folder.read("a.txt"), "a0\r\na1\r\na2\r\n");
    EXPECT_EQ(folder.read("b.txt"), "b0\r\nb1\r\nb2\r\n");
    a.CLOSEFILE();
    EXPECT_FALSE(a.ISOPEN());
    EXPECT_EQ(a.GETREADPOSITION(), 0);
}

// ---- triggers -----------------------------------------------------------------------------

namespace {

// Refuses deleting a password whose name starts with "keep"; records what it saw.
struct KeepTrigger : ext::TRIGGERMANAGER {
    QStringList seen;
    bool PREDELETE(int& code, QString& message) override
    {
        const auto& rec = *static_cast<const Passwords_Rec*>(BUFFER);
        seen << "pre delete " + QString::fromStdString(rec.NAZIV);
        if (rec.NAZIV.rfind("keep", 0) == 0) {
            code = 601;
            message = QStringLiteral("Passwords marked keep stay.");
            return false;
        }
        return true;
    }
    bool POSTDELETE(int&, QString&) override
    {
        seen << QStringLiteral("post delete %1").arg(RESULT);
        return true;
    }
    bool PREUPDATE(int&, QString&) override
    {
        const auto* old = static_cast<const Passwords_Rec*>(PREVIOUSBUFFER);
        const auto& now = *static_cast<const Passwords_Rec*>(BUFFER);
        seen << QString::fromStdString((old ? old->NAZIV : std::string("-")) + " -> " + now.NAZIV);
        return true;
    }
    bool PREINSERT(int&, QString&) override
    {
        seen << "insert " + QString::fromStdString(static_cast<const Passwords_Rec*>(BUFFER)->NAZIV);
        // A write of its own inside the hook passes over the hooks.
        const std::string name = static_cast<const Passwords_Rec*>(BUFFER)->NAZIV;
        if (name == "audited") {
            Passwords_Rec saved = PAS();
            Access(Tbl::Passwords).clearBuffer();
            PAS().NAZIV = "audit";
            Access(Tbl::Passwords).Insert();
            PAS() = saved;
        }
        return true;
    }
};

} // namespace

class Triggers : public DataTest {};

TEST_F(Triggers, APreDeleteHookVetoesDeletesOfOneTable)
{
    ASSERT_EQ(Relate(Tbl::Passwords).Open(), 0);
    KeepTrigger trigger;
    trigger.SETUP(corvalde::declaration(Tbl::Passwords), true);
    trigger.SETUP(corvalde::declaration(Tbl::Notes)); // a second SETUP changes nothing
    EXPECT_EQ(trigger.FILE, &corvalde::declaration(Tbl::Passwords));
    for (const char* name : {"keep me", "drop me"}) {
        Access(Tbl::Passwords).clearBuffer();
        PAS().NAZIV = name;
        ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
    }
    Access(Tbl::Passwords).clearBuffer();
    PAS().NAZIV = "audited";
    ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
    EXPECT_EQ(count("Passwords"), 4); // with the hook's own row, which no hook saw
    EXPECT_EQ(trigger.seen, QStringList({"insert keep me", "insert drop me", "insert audited"}));
    trigger.seen.clear();

    PAS().ID = 1;
    ASSERT_EQ(Access(Tbl::Passwords).Fetch(PAS.IDKey), 0);
    EXPECT_EQ(Relate(Tbl::Passwords).Delete(false), 601);
    EXPECT_EQ(Access(Tbl::Passwords).ErrorText(), "Passwords marked keep stay.");
    EXPECT_EQ(count("Passwords"), 4);

    PAS().ID = 2;
    ASSERT_EQ(Access(Tbl::Passwords).Fetch(PAS.IDKey), 0);
    EXPECT_EQ(Access(Tbl::Passwords).DeleteRecord(), 0);
    EXPECT_EQ(count("Passwords"), 3);
    EXPECT_EQ(trigger.seen, QStringList({"pre delete keep me", "pre delete drop me", "post delete 0"}));

    // The update hook sees the row as it was read and as it is written.
    trigger.seen.clear();
    PAS().ID = 1;
    ASSERT_EQ(Access(Tbl::Passwords).Fetch(PAS.IDKey), 0);
    PAS().NAZIV = "keep me too";
    ASSERT_EQ(Access(Tbl::Passwords).Update(), 0);
    EXPECT_EQ(trigger.seen, QStringList({"keep me -> keep me too"}));

    // A form's new record is stored at once (primed): that is an insert too.
    trigger.seen.clear();
    ASSERT_EQ(Access(Tbl::Passwords).PrimeRecord(), 0);
    EXPECT_EQ(trigger.seen, QStringList({"insert "}));
    ASSERT_EQ(Access(Tbl::Passwords).CancelAutoInc(&Relate(Tbl::Passwords)), 0);

    trigger.KILL();
    PAS().ID = 1;
    ASSERT_EQ(Access(Tbl::Passwords).Fetch(PAS.IDKey), 0);
    EXPECT_EQ(Access(Tbl::Passwords).DeleteRecord(), 0);
}
