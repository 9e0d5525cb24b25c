#include "tests/services/QuilvoFixture.h"

#include "runtime/IniFile.h"
#include "services/StopWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using namespace quilvotest;

namespace {

// What reached the handlers below the translator.
struct Recorded {
    QString kind, title, extra{};
    vrt::MessageArgs message{};
    int code = 0;
};

class QuilvoHooks : public TranslatorTest {
protected:
    // The runtime's handlers replaced by recorders, then the translator's hooks on top.
    void installRecordersUnder(QUILVO& t)
    {
        vrt::installHook(vrt::HOOK_COLORDIALOG, vrt::ColorDialogFn([this](const QString& title, QColor&) {
            seen.push_back({QStringLiteral("color"), title});
            return true;
        }));
        vrt::installHook(vrt::HOOK_FILEDIALOG, vrt::FileDialogFn([this](vrt::FileDialogArgs& a) {
            seen.push_back({QStringLiteral("file"), a.title, a.filter});
            a.file = QStringLiteral("/tmp/chosen.txt");
            return true;
        }));
        vrt::installHook(vrt::HOOK_FONTDIALOG, vrt::FontDialogFn([this](const QString& title, QFont&) {
            seen.push_back({QStringLiteral("font"), title});
            return true;
        }));
        vrt::installHook(vrt::HOOK_PRINTERDIALOG, vrt::PrinterDialogFn([this](const QString& title) {
            seen.push_back({QStringLiteral("printer"), title});
            return true;
        }));
        vrt::installHook(vrt::HOOK_HALT, vrt::HaltFn([this](int code, const QString& text) {
            seen.push_back({QStringLiteral("halt"), text, {}, {}, code});
        }));
        vrt::installHook(vrt::HOOK_MESSAGE, vrt::MessageFn([this](const vrt::MessageArgs& a) {
            seen.push_back({QStringLiteral("message"), a.caption, a.text, a});
            slotDuringCall = std::get<vrt::MessageFn>(vrt::currentHook(vrt::HOOK_MESSAGE)).target_type().name();
            return vrt::BUTTON_NO;
        }));
        installTranslatorHooks(t);
    }
    std::vector<Recorded> seen;
    std::string slotDuringCall; // the type of what the message slot held while the recorder ran
};

TEST_F(QuilvoHooks, MessageKeepsCaptionAndShowsOnlyTheTranslatedText)
{
    struct Case {
        QString caption, expectedCaption;
        bool lookupBefore;
    };
    const Case cases[] = {
        {QStringLiteral("Greška"), QStringLiteral("Error"), false},
        {QStringLiteral("Greška"), QStringLiteral("Error"), true},
        {QString(), QStringLiteral("Information"), false},
        {QString(), QStringLiteral("Information"), true},
        {QStringLiteral("Moj naslov"), QStringLiteral("Moj naslov"), true},
    };
    for (const auto& c : cases) {
        seen.clear();
        vrt::resetHooks();
        auto t = started(2);
        installRecordersUnder(*t);
        if (c.lookupBefore)
            t->QVSTR(QStringLiteral("Zatvori")); // leaves a record position behind
        const int answer = vrt::message(QStringLiteral("Zatvori"), c.caption, vrt::Icon::Exclamation,
                                        vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES);
        EXPECT_EQ(answer, vrt::BUTTON_NO);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].message.text, QStringLiteral("Close"));
        EXPECT_EQ(seen[0].message.caption, c.expectedCaption);
        EXPECT_EQ(seen[0].message.icon, vrt::Icon::Exclamation);
        EXPECT_EQ(seen[0].message.buttons, vrt::BUTTON_YES | vrt::BUTTON_NO);
        EXPECT_EQ(seen[0].message.defaultButton, vrt::BUTTON_YES);
    }
}

TEST_F(QuilvoHooks, DialogTitlesAreTranslatedAndExtensionsAreNot)
{
    auto t = started(2);
    installRecordersUnder(*t);
    QColor colour;
    QFont font;
    vrt::FileDialogArgs file{QStringLiteral("Otvori"), {}, QStringLiteral("Kontakti|*.vcf"), 0};
    EXPECT_TRUE(vrt::colorDialog(QStringLiteral("Zatvori"), colour));
    EXPECT_TRUE(vrt::fileDialog(file));
    EXPECT_TRUE(vrt::fontDialog(QString(), font));
    EXPECT_TRUE(vrt::printerDialog(QStringLiteral("Otvori")));
    vrt::halt(3, QStringLiteral("Greška"));
    EXPECT_EQ(file.file, QStringLiteral("/tmp/chosen.txt"));
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("color"), QStringLiteral("Close")}, {QStringLiteral("file"), QStringLiteral("Open")},
        {QStringLiteral("font"), QStringLiteral("Choose a font")}, {QStringLiteral("printer"), QStringLiteral("Open")},
        {QStringLiteral("halt"), QStringLiteral("Error")}};
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen[i].kind, expected[i].first);
        EXPECT_EQ(seen[i].title, expected[i].second) << seen[i].kind.toStdString();
    }
    EXPECT_EQ(seen[1].extra, QStringLiteral("Kontakti|*.vcf"));
    EXPECT_EQ(seen[4].code, 3);
}

TEST_F(QuilvoHooks, StackedTranslatorsTranslateOnceAndStayInstalled)
{
    // Each library installs its own translator's hooks over the previous ones.
    auto first = started(2);
    auto second = started(2);
    installRecordersUnder(*first);
    installTranslatorHooks(*second);
    for (int round = 0; round < 2; ++round)
        vrt::message(QStringLiteral("Zatvori")); // "Close" would become "Close twice" if translated again
    ASSERT_EQ(seen.size(), 2u);
    // Other threads stay translated meanwhile: the slot is never handed back to the runtime.
    EXPECT_EQ(slotDuringCall, std::get<vrt::MessageFn>(HOOKMESSAGE(*second)).target_type().name());
    EXPECT_EQ(seen[0].message.text, QStringLiteral("Close"));
    EXPECT_EQ(seen[1].message.text, QStringLiteral("Close"));
    // A translator that is gone leaves working hooks behind.
    second.reset();
    first.reset();
    seen.clear();
    EXPECT_EQ(vrt::message(QStringLiteral("Zatvori")), vrt::BUTTON_OK);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("Zatvori"));
}

// Records what a stop starts and how it ends the program.
struct RecordedStop : quilvo::StopActions {
    bool launch(const QString& program, const QStringList& args) override
    {
        launched.push_back(QStringList{program} + args);
        return starts;
    }
    void endProgram(int code) override { ended.push_back(code); }
    std::vector<QStringList> launched;
    std::vector<int> ended;
    bool starts = true;
};

TEST_F(QuilvoHooks, StopAsksThePresenterAndEndsTheProgramOnClose)
{
    for (bool goOn : {true, false}) {
        testsupport::presenter().clear();
        RecordedStop stop;
        auto t = started(2);
        t->setStopActions(stop);
        installTranslatorHooks(*t);
        testsupport::presenter().queueStop(goOn);
        vrt::stop(QStringLiteral("Greška"));
        const auto calls = testsupport::presenter().calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, QStringLiteral("stop"));
        EXPECT_EQ(calls[0].text, QStringLiteral("Error"));
        EXPECT_EQ(stop.ended, goOn ? std::vector<int>{} : std::vector<int>{1});
    }
}

// A presenter that really runs the stop window and works it like a user.
class ClickingPresenter : public testsupport::ScriptedPresenter {
public:
    QStringList buttonTexts;
    bool stopWindow(const QString&, const std::function<bool()>& run) override
    {
        QTimer::singleShot(0, [this] {
            QWidget* w = QApplication::activeModalWidget();
            ASSERT_NE(w, nullptr);
            for (const char* name : {"CLOSE", "BOTKLONI", "BPRIJAVI"})
                buttonTexts << w->findChild<QPushButton*>(QLatin1String(name))->text();
            w->findChild<QPlainTextEdit*>(QStringLiteral("PRIJAVATEXT"))->setPlainText(QStringLiteral("a\nb"));
            QTest::keyClick(w, Qt::Key_Escape);
            w->findChild<QPushButton*>(QStringLiteral("BPRIJAVI"))->click();
            w->findChild<QPushButton*>(QStringLiteral("CLOSE"))->click();
        });
        return run();
    }
};

TEST_F(QuilvoHooks, StopWindowReportsThroughIniFilesAndTheHelper)
{
    testsupport::TempFolder server;
    vrt::IniFile(folder.file(QStringLiteral("Standard.ini"))).put(QStringLiteral("Pellorin"), QStringLiteral("Server"), server.path());
    auto clicking = std::make_shared<ClickingPresenter>();
    vrt::setPresenter(clicking);
    const testsupport::OnScopeExit scripted(&testsupport::installScriptedPresenter);
    RecordedStop stop;
    stop.starts = false; // the helper is missing: the program ends all the same
    auto t = started(2);
    t->setStopActions(stop);
    t->STOP(QStringLiteral("line1\r\nline2"));

    EXPECT_EQ(clicking->buttonTexts, (QStringList{QStringLiteral("&Close"), QStringLiteral("Otkloni"), QStringLiteral("Report")}));
    const QString kelpart = folder.file(QStringLiteral("Kelpart"));
    EXPECT_EQ(stop.launched, (std::vector<QStringList>{{kelpart, QStringLiteral("/R")}, {kelpart, QStringLiteral("/Kill")}}));
    EXPECT_EQ(stop.ended, std::vector<int>{1});
    const vrt::IniFile local(folder.file(QStringLiteral("Global.ini")));
    EXPECT_EQ(local.get(QStringLiteral("Pellorin"), QStringLiteral("Prijava1")), QStringLiteral("line1 line2"));
    EXPECT_EQ(local.get(QStringLiteral("Pellorin"), QStringLiteral("Prijava2")), QStringLiteral("a b"));
    EXPECT_EQ(vrt::IniFile(server.file(QStringLiteral("Global.ini"))).get(QStringLiteral("Pellorin"), QStringLiteral("FilesInit")),
              QStringLiteral("3"));
}

TEST_F(QuilvoHooks, StopWindowIgnoresClosingKeysAndWritesNoShareWithoutServer)
{
    RecordedStop stop;
    quilvo::StopWindowSetup setup{QStringLiteral("Pad"), QStringLiteral("Pad"), folder.path(), QString()};
    quilvo::StopWindow w(setup, stop);
    w.show();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Escape, Qt::ShiftModifier}, {Qt::Key_Escape, Qt::ControlModifier},
        {Qt::Key_F4, Qt::ShiftModifier}, {Qt::Key_F4, Qt::AltModifier}};
    for (const auto& [key, modifiers] : keys) {
        QTest::keyClick(&w, key, modifiers);
        EXPECT_TRUE(w.isVisible()) << key;
    }
    w.close();
    EXPECT_TRUE(w.isVisible());
    w.repair();
    EXPECT_EQ(stop.launched, (std::vector<QStringList>{{folder.file(QStringLiteral("Kelpart")), QStringLiteral("/UC")}}));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Global.ini"))));
    w.closeProgram();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.closeChosen());
}

} // namespace

TEST_F(QuilvoHooks, InstallingTwiceDoesNotCallItself)
{
    vrt::resetHooks();
    QUILVO t;
    t.INIT();
    installTranslatorHooks(t);
    installTranslatorHooks(t); // a library start-up run again
    EXPECT_EQ(vrt::message(QStringLiteral("jednom"), QStringLiteral("Naslov")), vrt::BUTTON_OK);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, QStringLiteral("jednom"));
}
