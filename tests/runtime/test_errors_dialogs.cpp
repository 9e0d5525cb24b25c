#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <typeinfo>

#include <unistd.h>

using testsupport::presenter;

class RuntimeDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        vrt::resetHooks();
        presenter().clear();
    }
    void TearDown() override { vrt::resetHooks(); }
};

TEST_F(RuntimeDialogs, ErrorMessagesFillEveryPlaceholder)
{
    vrt::ErrorClass errors;
    errors.addErrors({{900, vrt::LEVEL_PROGRAM, "T %File", "%File|%Key|%ErrorText|%ErrorCode|%Message|%Procedure|%Other"}});
    errors.setFile("EMAIL");
    errors.setKey("EM:MessageIDKey");
    errors.setErrorText("UNIQUE constraint failed", 19);
    errors.setProcedure("W_First");
    errors.throwMessage(900, "msg %File"); // a value holding a placeholder is not expanded again
    ASSERT_EQ(presenter().calls().size(), 1u);
    const auto call = presenter().calls().front();
    EXPECT_EQ(call.caption, "T EMAIL");
    EXPECT_EQ(call.text, "EMAIL\nEM:MessageIDKey\nUNIQUE constraint failed\n19\nmsg %File\nW_First\n%Other");
    EXPECT_EQ(errors.lastId(), 900);
}

TEST_F(RuntimeDialogs, QuestionsAnswerBenignOrCancel)
{
    vrt::ErrorClass errors;
    errors.setFile("IDokumenti");
    errors.setKey("ID:PK");
    errors.setErrorText("busy");
    presenter().queueButton(vrt::BUTTON_NO);
    EXPECT_EQ(errors.throwMessage(vrt::Msg_RetryAutoInc), vrt::LEVEL_CANCEL);
    presenter().queueButton(vrt::BUTTON_YES);
    EXPECT_EQ(errors.throwMessage(vrt::Msg_RetryAutoInc), vrt::LEVEL_BENIGN);
    const auto calls = presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].caption, "Auto Increment Error");
    EXPECT_EQ(calls[0].text, "Attempts to automatically number this record have failed.\nFile: IDokumenti\nKey: ID:PK\nError: busy.\nTry Again?");
    EXPECT_EQ(calls[0].buttons, vrt::BUTTON_YES | vrt::BUTTON_NO);
}

TEST_F(RuntimeDialogs, ProcedureNotDefinedMessage)
{
    vrt::ErrorClass errors;
    errors.throwMessage(vrt::Msg_ProcedureNotDefined, "S_Nothing");
    ASSERT_EQ(presenter().calls().size(), 1u);
    EXPECT_EQ(presenter().calls()[0].caption, "Procedure not defined");
    EXPECT_EQ(presenter().calls()[0].text, "The Procedure S_Nothing has not been defined.");
}

TEST_F(RuntimeDialogs, HooksReplaceTheBuiltInsAndKeepThePrevious)
{
    QStringList seen;
    vrt::HookProc previous;
    ASSERT_TRUE(vrt::installHook(vrt::HOOK_MESSAGE, vrt::MessageFn([&](const vrt::MessageArgs& a) {
        seen << a.text;
        return vrt::builtin::message(a);
    }), &previous));
    EXPECT_FALSE(std::get<vrt::MessageFn>(previous)); // nothing was there before
    // A procedure of the wrong kind for the slot is refused.
    EXPECT_FALSE(vrt::installHook(vrt::HOOK_STOP, vrt::MessageFn([](const vrt::MessageArgs&) { return 0; })));
    EXPECT_FALSE(vrt::installHook(8, vrt::StopFn([](const QString&) {})));

    EXPECT_EQ(vrt::message("hello", "cap", vrt::Icon::None, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO), vrt::BUTTON_NO);
    EXPECT_EQ(seen, QStringList{"hello"});
    ASSERT_EQ(presenter().calls().size(), 1u); // the built-in still asked the presenter
}

TEST_F(RuntimeDialogs, StopGoesOnOrEndsInOrder)
{
    int halted = -1;
    vrt::installHook(vrt::HOOK_HALT, vrt::HaltFn([&](int code, const QString&) { halted = code; }));
    presenter().queueStop(true);
    vrt::stop("go on please");
    EXPECT_EQ(halted, -1);
    presenter().queueStop(false);
    vrt::stop("end it");
    EXPECT_EQ(halted, 0);
    const auto calls = presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].kind, "stop");
    EXPECT_EQ(calls[1].text, "end it");
}

TEST_F(RuntimeDialogs, EachDialogReachesItsHook)
{
    QStringList order;
    vrt::installHook(1, vrt::ColorDialogFn([&](const QString&, QColor& c) { order << "color"; c = Qt::red; return true; }));
    vrt::installHook(2, vrt::FileDialogFn([&](vrt::FileDialogArgs& a) { order << "file"; a.file = "/tmp/x"; return true; }));
    vrt::installHook(3, vrt::FontDialogFn([&](const QString&, QFont&) { order << "font"; return true; }));
    vrt::installHook(4, vrt::PrinterDialogFn([&](const QString&) { order << "printer"; return false; }));
    QColor c;
    QFont f;
    vrt::FileDialogArgs fa{"Open", "", "Text|*.txt", 0};
    EXPECT_TRUE(vrt::colorDialog("c", c));
    EXPECT_EQ(c, QColor(Qt::red));
    EXPECT_TRUE(vrt::fileDialog(fa));
    EXPECT_EQ(fa.file, "/tmp/x");
    EXPECT_TRUE(vrt::fontDialog("f", f));
    EXPECT_FALSE(vrt::printerDialog("p"));
    EXPECT_EQ(order, (QStringList{"color", "file", "font", "printer"}));
    EXPECT_TRUE(presenter().calls().empty());
}

namespace {
// What the process writes on its error stream while `run` runs.
QString errorStreamOf(const std::function<void()>& run)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    run();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return QString::fromLocal8Bit(file.readAll());
}
} // namespace

// The program's own presenter where no window can be seen (the offscreen platform of this run,
// a worker thread): the text goes to the error stream and the box answers as if closed,
// instead of blocking for ever on a box nobody sees, or crashing.
TEST_F(RuntimeDialogs, NoBoxWhereNobodyCanSeeIt)
{
    const std::unique_ptr<vrt::Presenter> qt = vrt::makeQtPresenter();
    struct Case {
        int buttons, defaultButton, answer;
    };
    const Case cases[] = {
        {vrt::BUTTON_OK, 0, vrt::BUTTON_OK},
        {vrt::BUTTON_YES | vrt::BUTTON_NO, 0, vrt::BUTTON_NO},
        {vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES, vrt::BUTTON_YES},
        {vrt::BUTTON_RETRY | vrt::BUTTON_CANCEL, 0, vrt::BUTTON_CANCEL},
    };
    for (const Case& c : cases) {
        for (bool worker : {false, true}) {
            SCOPED_TRACE(std::to_string(c.buttons) + (worker ? " on a worker thread" : ""));
            int answer = -1;
            const QString said = errorStreamOf([&] {
                auto ask = [&] { answer = qt->message({QStringLiteral("Baza|je zauzeta"), QStringLiteral("Velmora"), vrt::Icon::Hand, c.buttons, c.defaultButton, 0}); };
                if (worker)
                    std::thread(ask).join();
                else
                    ask();
            });
            EXPECT_EQ(answer, c.answer);
            EXPECT_EQ(said, QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
                                QStringLiteral(": Baza\nje zauzeta\n"));
        }
    }
    bool goOn = false;
    const QString said = errorStreamOf([&] { std::thread([&] { goOn = qt->stop(QStringLiteral("Kraj?")); }).join(); });
    EXPECT_TRUE(goOn);
    EXPECT_TRUE(said.endsWith(QStringLiteral(": Kraj?\n"))) << said.toStdString();
    vrt::FileDialogArgs file;
    EXPECT_FALSE(qt->fileDialog(file));
}

// The data layer holds the presenter slot; the widget part, once loaded, makes the Qt
// presenter the one used when no other is set.
TEST_F(RuntimeDialogs, TheWidgetPartsPresenterIsTheDefault)
{
    const testsupport::OnScopeExit scripted(&testsupport::installScriptedPresenter);
    vrt::setPresenter(nullptr);
    const std::unique_ptr<vrt::Presenter> qt = vrt::makeQtPresenter();
    vrt::Presenter& used = vrt::presenter();
    EXPECT_EQ(typeid(used), typeid(*qt));
}
