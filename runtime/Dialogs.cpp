#include "runtime/Dialogs.h"

#include "runtime/PresenterSlot.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vrt {
namespace {

std::mutex g_hookMutex;
std::array<HookProc, 7> g_hooks;
std::array<bool, 7> g_hookSet{};

std::mutex g_presenterMutex;
std::shared_ptr<Presenter> g_presenter;
std::unique_ptr<Presenter> (*g_makeDefault)() = nullptr;

std::atomic<bool> g_quitRequested{false};

template <class Fn>
Fn hookOf(int number)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    const int i = number - 1;
    if (!g_hookSet[i])
        return {};
    if (auto* fn = std::get_if<Fn>(&g_hooks[i]))
        return *fn;
    return {};
}

// Without the runtime's widget part nothing can be shown: texts go to the error stream and
// every box gets the answer nobody pressing a button would give.
class TextPresenter final : public Presenter {
public:
    int message(const MessageArgs& a) override
    {
        printInstead(a.text);
        return unansweredButton(a);
    }
    bool stop(const QString& text) override
    {
        printInstead(text);
        return true;
    }
    void halt(int, const QString& text) override
    {
        if (!text.isEmpty())
            printInstead(text);
    }
    bool colorDialog(const QString&, QColor&) override { return false; }
    bool fileDialog(FileDialogArgs&) override { return false; }
    bool fontDialog(const QString&, QFont&) override { return false; }
    bool printerDialog(const QString&) override { return false; }
};

} // namespace

void printInstead(const QString& text)
{
    // Named as a command-line program names itself: "korbelsteen: ...".
    const QString program = QCoreApplication::instance() ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                                                         : QStringLiteral("velmora");
    const QString line = program + QStringLiteral(": ") +
                         QString(text).replace(QLatin1Char('|'), QLatin1Char('\n')).trimmed() + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

// The answer of a box nobody can press: its default, else the one that commits to least.
int unansweredButton(const MessageArgs& a)
{
    const int mask = a.buttons ? a.buttons : BUTTON_OK;
    if (a.defaultButton & mask)
        return a.defaultButton;
    for (int b : {BUTTON_CANCEL, BUTTON_NO, BUTTON_ABORT, BUTTON_OK, BUTTON_IGNORE, BUTTON_YES, BUTTON_RETRY})
        if (mask & b)
            return b;
    return BUTTON_CANCEL;
}

void setDefaultPresenterMaker(std::unique_ptr<Presenter> (*make)())
{
    std::lock_guard<std::mutex> lock(g_presenterMutex);
    g_makeDefault = make;
}

bool installHook(int number, HookProc proc, HookProc* previous)
{
    if (number < 1 || number > 7 || int(proc.index()) != number - 1)
        return false;
    std::lock_guard<std::mutex> lock(g_hookMutex);
    const int i = number - 1;
    if (previous)
        *previous = g_hooks[i];
    g_hooks[i] = std::move(proc);
    g_hookSet[i] = true;
    return true;
}

HookProc currentHook(int number)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    return g_hooks.at(number - 1);
}

void resetHooks()
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hooks = {};
    // index i must hold alternative i so a later currentHook() has the right kind
    g_hooks[0] = ColorDialogFn{};
    g_hooks[1] = FileDialogFn{};
    g_hooks[2] = FontDialogFn{};
    g_hooks[3] = PrinterDialogFn{};
    g_hooks[4] = HaltFn{};
    g_hooks[5] = MessageFn{};
    g_hooks[6] = StopFn{};
    g_hookSet = {};
}

namespace {
struct HookInit {
    HookInit() { resetHooks(); }
} g_hookInit;
} // namespace

void setPresenter(std::shared_ptr<Presenter> p)
{
    std::lock_guard<std::mutex> lock(g_presenterMutex);
    g_presenter = std::move(p);
}

Presenter& presenter()
{
    std::lock_guard<std::mutex> lock(g_presenterMutex);
    if (!g_presenter) {
        if (g_makeDefault)
            g_presenter = g_makeDefault();
        else
            g_presenter = std::make_unique<TextPresenter>();
    }
    return *g_presenter;
}

void requestQuit(int code)
{
    g_quitRequested = true;
    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread() && QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(code); // leaves every running loop; main then shuts down
        return;
    }
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
        return;
    }
    std::exit(code);
}

bool quitRequested()
{
    return g_quitRequested;
}

namespace builtin {
int message(const MessageArgs& a) { return presenter().message(a); }
void stop(const QString& text)
{
    if (!presenter().stop(text))
        vrt::halt(0, {});
}
void halt(int code, const QString& text)
{
    presenter().halt(code, text);
    requestQuit(code);
}
bool colorDialog(const QString& t, QColor& c) { return presenter().colorDialog(t, c); }
bool fileDialog(FileDialogArgs& a) { return presenter().fileDialog(a); }
bool fontDialog(const QString& t, QFont& f) { return presenter().fontDialog(t, f); }
bool printerDialog(const QString& t) { return presenter().printerDialog(t); }
} // namespace builtin

int message(const MessageArgs& args)
{
    if (auto fn = hookOf<MessageFn>(HOOK_MESSAGE))
        return fn(args);
    return builtin::message(args);
}

int message(const QString& text, const QString& caption, Icon icon, int buttons, int defaultButton)
{
    return message(MessageArgs{text, caption, icon, buttons, defaultButton, 0});
}

void stop(const QString& text)
{
    if (auto fn = hookOf<StopFn>(HOOK_STOP))
        return fn(text);
    builtin::stop(text);
}

void halt(int code, const QString& text)
{
    if (auto fn = hookOf<HaltFn>(HOOK_HALT))
        return fn(code, text);
    builtin::halt(code, text);
}

bool colorDialog(const QString& title, QColor& colour)
{
    if (auto fn = hookOf<ColorDialogFn>(HOOK_COLORDIALOG))
        return fn(title, colour);
    return builtin::colorDialog(title, colour);
}

bool fileDialog(FileDialogArgs& args)
{
    if (auto fn = hookOf<FileDialogFn>(HOOK_FILEDIALOG))
        return fn(args);
    return builtin::fileDialog(args);
}

bool fontDialog(const QString& title, QFont& font)
{
    if (auto fn = hookOf<FontDialogFn>(HOOK_FONTDIALOG))
        return fn(title, font);
    return builtin::fontDialog(title, font);
}

bool printerDialog(const QString& title)
{
    if (auto fn = hookOf<PrinterDialogFn>(HOOK_PRINTERDIALOG))
        return fn(title);
    return builtin::printerDialog(title);
}

} // namespace vrt
