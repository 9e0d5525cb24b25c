#include <gtest/gtest.h>

#include "data/Corvalde.h"
#include "mailtransfer/EmailWindow.h"
#include "mailtransfer/Korbelsteen.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "services/Quilvo.h"
#include "mailtransfer/Receive.h"
#include "runtime/IniFile.h"
#include "tests/mailtransfer/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QLockFile>

using namespace korbelsteen;

TEST(CommandLine, SplitsAtBlanksAndKeepsQuotedStretchesWhole)
{
    const struct {
        const char* line;
        QStringList args;
    } cases[] = {
        {"/SR", {"/SR"}},
        {"/ /1 /0 /", {"/", "/1", "/0", "/"}},
        {"/\"/data/My Mail/1:abc.html\" /2 /17 /", {"//data/My Mail/1:abc.html", "/2", "/17", "/"}},
        {"/0 /0 /0 /ana@primjer.hr", {"/0", "/0", "/0", "/ana@primjer.hr"}},
        {"  /a   /b  ", {"/a", "/b"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommandLine(QString::fromUtf8(c.line)), c.args) << c.line;
}

TEST(CommandLine, RunsAtMostOneJobInOrder)
{
    const struct {
        QStringList args;
        QString ran; // "" nothing, "R" receive, "E:<four>" editor
        bool refused;
    } cases[] = {
        {{}, "", true},
        {{"/SR"}, "R", false},
        {{"/x", "/SR"}, "R", false},
        {{"/", "/1", "/0", "/"}, "E:/,/1,/0,/", false},
        {{"/0", "/0", "/0", "/a@x"}, "E:/0,/0,/0,/a@x", false},
        // Matches both editor forms when the address is empty: the editor opens once.
        {{"/0", "/0", "/0", "/"}, "E:/0,/0,/0,/", false},
        {{"//data/My Mail/x.html", "/2", "/17", "/"}, "E://data/My Mail/x.html,/2,/17,/", false},
        {{"/a", "/b"}, "", false},
        {{"/0", "/0", "/0"}, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        testsupport::presenter().clear();
        struct Recorder : Jobs {
            int receive() override { return ran += QStringLiteral("R"), 0; }
            int editor(const QStringList& four) override { return ran += QStringLiteral("E:") + four.join(QLatin1Char(',')), 0; }
            QString ran;
        } jobs;
        dispatch(c.args, jobs);
        EXPECT_EQ(jobs.ran, c.ran);
        const auto calls = testsupport::presenter().calls();
        EXPECT_EQ(calls.size(), c.refused ? 1u : 0u);
        if (c.refused && !calls.empty()) {
            EXPECT_EQ(calls[0].text, corvalde::translator().QVSTR(QStringLiteral("Ovaj program se ne može koristiti na ovaj način!")));
        }
    }
}

// Every command line the organiser writes names, to korbelsteen, the job and editor mode it
// was written for.
TEST(CommandLine, ReadsEveryCommandTheOrganiserWrites)
{
    namespace start = organiser::korbelsteen;
    EXPECT_EQ(modeOf(start::receiveArgs()), Mode::Receive);
    const struct {
        QStringList args;
        start::Mode mode;
        bool answers;
    } cases[] = {
        {start::newMessageArgs(), start::NewMessage, false},
        {start::toAddressArgs(QStringLiteral("a@b.hr")), start::NewToAddress, false},
        {start::replyArgs(QStringLiteral("/data/7.html"), start::Reply, 7), start::Reply, true},
        {start::replyArgs(QStringLiteral("/data/7.html"), start::ReplyAll, 7), start::ReplyAll, true},
        {start::replyArgs(QStringLiteral("/data/7.html"), start::Forward, 7), start::Forward, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(modeOf(c.args), Mode::Editor);
        const EditorArgs read = editorArgs(c.args);
        EXPECT_EQ(read.mode, mailtransfer::modeArgument(c.mode));
        EXPECT_EQ(mailtransfer::answersMessage(read.mode), c.answers);
    }
}

TEST(CommandLine, ASecondReceiveOfTheSameFolderLeavesItToTheFirst)
{
    testsupport::TempFolder data;
    auto db = std::make_shared<MemoryDb>();
    bool storeMade = false;
    ReceiveController::Options o;
    o.dataFolder = data.path();
    o.tickMs = 5;
    o.makeStore = [&] {
        storeMade = true;
        return std::make_unique<MemoryStore>(db);
    };
    {
        QLockFile running(data.file(QStringLiteral("Korbelsteen.receive.lock")));
        ASSERT_TRUE(running.tryLock(0));
        EXPECT_EQ(receiveOnce(o), 0);
        EXPECT_FALSE(storeMade);
        EXPECT_FALSE(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).value(QStringLiteral("SR"), QStringLiteral("START")));
    }
    {
        testsupport::CwdGuard inData(data.path());
        vrt::IniFile(data.file(QStringLiteral("Standard.ini")))
            .put(QStringLiteral("W_Korbelsteen"), QStringLiteral("?L:AccountsQ"), QStringLiteral("0000000400"));
        EXPECT_EQ(receiveOnce(o), 0);
    }
    EXPECT_TRUE(storeMade);
    EXPECT_TRUE(vrt::IniFile(data.file(QStringLiteral("Standard.ini")))
                    .get(QStringLiteral("W_Korbelsteen"), QStringLiteral("?L:AccountsQ"))
                    .startsWith(QStringLiteral("0000000400")))
        << "the list's layout is read when the window opens and saved when it closes";
    EXPECT_EQ(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")), QStringLiteral("2"));
}

TEST(CommandLine, ALockFileCutShortLongAgoDoesNotStopEveryReceive)
{
    testsupport::TempFolder data;
    auto db = std::make_shared<MemoryDb>();
    int storesMade = 0;
    ReceiveController::Options o;
    o.dataFolder = data.path();
    o.tickMs = 5;
    o.makeStore = [&] {
        ++storesMade;
        return std::make_unique<MemoryStore>(db);
    };
    const QString lock = data.file(QStringLiteral("Korbelsteen.receive.lock"));
    data.write(QStringLiteral("Korbelsteen.receive.lock"), "");
    EXPECT_EQ(receiveOnce(o), 0);
    EXPECT_EQ(storesMade, 0) << "a lock being written this moment is left to its writer";

    QFile f(lock);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(receiveOnce(o), 0);
    EXPECT_EQ(storesMade, 1);
    EXPECT_EQ(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")), QStringLiteral("2"));
    EXPECT_FALSE(QFile::exists(lock)) << "released at the end";
}
