// Hostile POP3 servers met by the receive as korbelsteen runs it: every wait has a bound, every
// buffer a cap, what was stored stays, the next receive goes on, and a question nobody
// answers does not keep the receive alive.
#include <gtest/gtest.h>

#include "controls/MailManager.h"
#include "data/Corvalde.h"
#include "mailtransfer/ReceiveController.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "services/Quilvo.h"
#include "tests/mailtransfer/MemoryStore.h"
#include "tests/support/FakePop3.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <set>

using namespace korbelsteen;
namespace ms = mailsamples;

namespace {

QString tr(const QString& text) { return corvalde::translator().QVSTR(text); }

// Runs the receive; one still running after `limitMs` is cancelled (any box it shows closed)
// and reported, so a hang fails the test instead of blocking it.
bool endsByItself(ReceiveController& c, int limitMs = 90000)
{
    bool hung = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        hung = true;
        c.cancel();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    watchdog.start(limitMs);
    c.exec();
    return !hung;
}

std::set<QString> storedSubjects(const MemoryDb& db)
{
    std::set<QString> out;
    for (const EmailRow& r : db.emails)
        out.insert(r.subject);
    return out;
}

QString startFlag(const QString& data)
{
    return vrt::IniFile(data + QStringLiteral("/Standard.ini")).get(QStringLiteral("SR"), QStringLiteral("START"));
}

} // namespace

TEST(HostileServers, AStallAnEndlessLineOrAHugeMessageEndsThatMessageAndTheNextReceiveGoesOn)
{
    using B = testsupport::FakePop3::Behaviour;
    const struct {
        const char* what;
        B behaviour;
        int hugeBytes;   // the second message's size
        const char* key; // the setting that bounds it
        const char* value;
        const char* says;
        std::set<QString> stored; // after the first receive
    } cases[] = {
        {"stall in the middle of RETR", B::StallMidRetrieve, 2000, "Stall", "1",
         "Poslužitelj %1 s nije ništa poslao; ostatak pošte stiže sljedećim primanjem.", {"Poruka 1"}},
        {"endless line", B::EndlessLine, 2000, "MaxLineKB", "64",
         "Poruka ima redak dulji od %1 KB i nije primljena; ostala je na poslužitelju.", {"Poruka 1", "Poruka 3"}},
        {"huge message", B::Normal, 1 << 20, "MaxMessageKB", "256",
         "Poruka je veća od %1 KB i nije primljena; ostala je na poslužitelju.", {"Poruka 1", "Poruka 3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempFolder data;
        testsupport::FakePop3 server;
        server.addMessage(QStringLiteral("1"), ms::sized(1, 2000));
        server.addMessage(QStringLiteral("2"), ms::sized(2, c.hugeBytes));
        server.addMessage(QStringLiteral("3"), ms::sized(3, 2000));
        server.setBehaviour(c.behaviour);
        server.setHostileMessage(2);
        ASSERT_TRUE(server.start());
        auto db = std::make_shared<MemoryDb>();
        db->addAccount(1, QStringLiteral("Zla"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
        vrt::IniFile ini(data.file(QStringLiteral("Standard.ini")));
        ASSERT_TRUE(ini.put(QStringLiteral("Email"), QLatin1String(c.key), QLatin1String(c.value)));
        testsupport::presenter().clear();

        ReceiveController::Options o;
        o.dataFolder = data.path();
        o.makeStore = [db] { return std::make_unique<MemoryStore>(db); };
        {
            ReceiveController first(o);
            ASSERT_TRUE(endsByItself(first));
            EXPECT_EQ(storedSubjects(*db), c.stored);
            const QString says = tr(QString::fromUtf8(c.says)).arg(QLatin1String(c.value));
            EXPECT_TRUE(first.notice().contains(QStringLiteral("Zla: ") + says)) << first.notice().toStdString();
            EXPECT_EQ(startFlag(data.path()), QStringLiteral("2"));
            bool told = false;
            for (const auto& call : testsupport::presenter().calls(QStringLiteral("message")))
                told = told || call.text == first.notice();
            EXPECT_TRUE(told) << "the user is told why";
        }

        // The server behaves again: the next receive brings what was left, once.
        server.setBehaviour(B::Normal);
        ASSERT_TRUE(ini.put(QStringLiteral("Email"), QLatin1String(c.key), QString()));
        ReceiveController next(o);
        ASSERT_TRUE(endsByItself(next));
        EXPECT_EQ(storedSubjects(*db), (std::set<QString>{"Poruka 1", "Poruka 2", "Poruka 3"}));
        EXPECT_EQ(db->emails.size(), 3u);
        EXPECT_TRUE(next.notice().isEmpty()) << next.notice().toStdString();
    }
}

namespace {

// Shows the question as a real modal box that nobody answers.
class UnansweredBoxes : public testsupport::ScriptedPresenter {
public:
    int message(const vrt::MessageArgs& a) override
    {
        ScriptedPresenter::message(a);
        QMessageBox box(QMessageBox::Question, a.caption, a.text, QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.exec();
        return box.clickedButton() == box.button(QMessageBox::Yes) ? vrt::BUTTON_YES : vrt::BUTTON_NO;
    }
};

struct PresenterGuard {
    explicit PresenterGuard(std::shared_ptr<vrt::Presenter> p) { vrt::setPresenter(std::move(p)); }
    ~PresenterGuard() { testsupport::installScriptedPresenter(); }
};

} // namespace

TEST(HostileServers, AReceiveWhoseQuestionNobodyAnswersEndsByItself)
{
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    server.addMessage(QStringLiteral("1"), ms::sized(1, 2000));
    server.setBehaviour(testsupport::FakePop3::Behaviour::SilentOnRetrieve);
    ASSERT_TRUE(server.start());
    auto db = std::make_shared<MemoryDb>();
    db->addAccount(1, QStringLiteral("Tiha"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    // The transfer's own bound is far away: only the question's bound can end this receive.
    ASSERT_TRUE(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).put(QStringLiteral("Email"), QStringLiteral("Stall"), QStringLiteral("3600")));
    auto boxes = std::make_shared<UnansweredBoxes>();
    PresenterGuard guard(boxes);

    ReceiveController::Options o;
    o.dataFolder = data.path();
    o.tickMs = 10;
    o.makeStore = [db] { return std::make_unique<MemoryStore>(db); };
    ReceiveController c(o);
    ASSERT_TRUE(endsByItself(c));
    EXPECT_EQ(c.questionsAsked(), 1);
    ASSERT_EQ(boxes->calls(QStringLiteral("message")).size(), 1u);
    EXPECT_EQ(boxes->calls(QStringLiteral("message"))[0].text, tr(QStringLiteral("Ne mogu se spojiti zadnjih 10 sekundi. Probati ponovno?")));
    EXPECT_TRUE(db->emails.empty());
    EXPECT_EQ(startFlag(data.path()), QStringLiteral("2"));
}

TEST(HostileServers, StoringWhileTheServerAnswersAtOnceIsNoSilence)
{
    // Each store is slow; together they take far longer than the silence after which the
    // receive asks, while the server has every message ready at once.
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    constexpr int Messages = 40;
    for (int i = 0; i < Messages; ++i)
        server.addMessage(QString::number(i), ms::sized(i, 4000));
    ASSERT_TRUE(server.start());
    auto db = std::make_shared<MemoryDb>();
    db->addAccount(1, QStringLiteral("Brza"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    struct SlowStore : MemoryStore {
        using MemoryStore::MemoryStore;
        bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override
        {
            QThread::msleep(60);
            return MemoryStore::storeMessage(email, prepare, error);
        }
    };
    testsupport::presenter().clear();
    ReceiveController::Options o;
    o.dataFolder = data.path();
    o.tickMs = 50; // the question after a second of silence; the stores take 2.4 s
    o.makeStore = [db] { return std::make_unique<SlowStore>(db); };
    ReceiveController c(o);
    ASSERT_TRUE(endsByItself(c));
    EXPECT_EQ(c.questionsAsked(), 0);
    EXPECT_EQ(c.storedMessages(), Messages);
}
