#include "runtime/Dialogs.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
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

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Hand: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Turns "Text files|*.txt|All files|*.*" into Qt's ";;" form.
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out.join(QStringLiteral(";;"));
}

// A window needs the GUI thread and a screen someone looks at. Elsewhere (a worker thread,
// the offscreen platform of a run without a display) a modal box would block for ever with
// nobody to answer it, or crash: the text goes to the error stream instead.
bool windowsCanBeShown()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

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

class QtPresenter final : public Presenter {
public:
    int message(const MessageArgs& a) override
    {
        if (!windowsCanBeShown()) {
            printInstead(a.text);
            return unansweredButton(a);
        }
        // '|' breaks a line in the runtime's message texts.
        QMessageBox box(qtIcon(a.icon), a.caption, QString(a.text).replace(QLatin1Char('|'), QLatin1Char('\n')));
        static const std::array<std::pair<int, QMessageBox::StandardButton>, 8> map{{
            {BUTTON_OK, QMessageBox::Ok}, {BUTTON_YES, QMessageBox::Yes},
            {BUTTON_NO, QMessageBox::No}, {BUTTON_ABORT, QMessageBox::Abort},
            {BUTTON_RETRY, QMessageBox::Retry}, {BUTTON_IGNORE, QMessageBox::Ignore},
            {BUTTON_CANCEL, QMessageBox::Cancel}, {BUTTON_HELP, QMessageBox::Help}}};
        const int mask = a.buttons ? a.buttons : BUTTON_OK;
        for (auto [ours, qt] : map) {
            if (mask & ours) {
                QAbstractButton* b = box.addButton(qt);
                if (a.defaultButton == ours)
                    box.setDefaultButton(static_cast<QPushButton*>(b));
            }
        }
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (auto [ours, qt] : map)
            if (qt == clicked)
                return ours;
        return a.defaultButton ? a.defaultButton : BUTTON_CANCEL;
    }
    bool stop(const QString& text) override
    {
        if (!windowsCanBeShown()) {
            printInstead(text);
            return true; // the window's own default
        }
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text);
        QPushButton* end = box.addButton(QStringLiteral("End program"), QMessageBox::DestructiveRole);
        QPushButton* goOn = box.addButton(QStringLiteral("Go on"), QMessageBox::AcceptRole);
        box.setDefaultButton(goOn);
        box.exec();
        return box.clickedButton() != end;
    }
    bool stopWindow(const QString& text, const std::function<bool()>& run) override
    {
        return windowsCanBeShown() ? run() : stop(text);
    }
    void halt(int, const QString& text) override
    {
        if (!text.isEmpty() && !windowsCanBeShown())
            printInstead(text);
        else if (!text.isEmpty())
            QMessageBox::critical(nullptr, QApplication::applicationName(), text);
    }
    bool colorDialog(const QString& title, QColor& colour) override
    {
        if (!windowsCanBeShown())
            return false;
        const QColor c = QColorDialog::getColor(colour, nullptr, title);
        if (!c.isValid())
            return false;
        colour = c;
        return true;
    }
    bool fileDialog(FileDialogArgs& a) override
    {
        if (!windowsCanBeShown())
            return false;
        QString chosen;
        if (a.flags & FILE_DIRECTORY)
            chosen = QFileDialog::getExistingDirectory(nullptr, a.title, a.file);
        else if (a.flags & FILE_SAVE)
            chosen = QFileDialog::getSaveFileName(nullptr, a.title, a.file, qtFilter(a.filter));
        else
            chosen = QFileDialog::getOpenFileName(nullptr, a.title, a.file, qtFilter(a.filter));
        if (chosen.isEmpty())
            return false;
        a.file = chosen;
        return true;
    }
    bool fontDialog(const QString& title, QFont& font) override
    {
        if (!windowsCanBeShown())
            return false;
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, font, nullptr, title);
        if (ok)
            font = f;
        return ok;
    }
    bool printerDialog(const QString& title) override
    {
        if (!windowsCanBeShown())
            return false;
        QPrinter printer;
        QPrintDialog d(&printer);
        d.setWindowTitle(title);
        return d.exec() == QDialog::Accepted;
    }
};

} // namespace

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
    if (!g_presenter)
        g_presenter = makeQtPresenter();
    return *g_presenter;
}

std::unique_ptr<Presenter> makeQtPresenter()
{
    return std::make_unique<QtPresenter>();
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
