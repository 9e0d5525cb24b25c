#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <memory>
#include <variant>

// The runtime's replaceable operations: the message box, the stop and halt windows and the
// four common dialogs. Every call goes through a hook slot (the translator installs its own
// replacements there); the built-in handlers ask a Presenter, which tests replace so that
// nothing ever blocks on a modal window.
namespace vrt {

// Button values of the message box, combinable as a mask.
enum Button : int {
    BUTTON_OK = 1,
    BUTTON_YES = 2,
    BUTTON_NO = 4,
    BUTTON_ABORT = 8,
    BUTTON_RETRY = 16,
    BUTTON_IGNORE = 32,
    BUTTON_CANCEL = 64,
    BUTTON_HELP = 128,
};

enum class Icon { None, Information, Question, Exclamation, Hand };

struct MessageArgs {
    QString text;
    QString caption;
    Icon icon = Icon::None;
    int buttons = BUTTON_OK;
    int defaultButton = 0;
    int style = 0;
};

struct FileDialogArgs {
    QString title;
    QString file;      // in: suggested file, out: chosen file
    QString filter;    // "Text|*.txt|All|*.*"
    int flags = 0;     // FILE_SAVE etc.
};
enum FileDialogFlag : int { FILE_SAVE = 1, FILE_DIRECTORY = 2, FILE_MULTI = 4 };

using ColorDialogFn = std::function<bool(const QString& title, QColor& colour)>;
using FileDialogFn = std::function<bool(FileDialogArgs& args)>;
using FontDialogFn = std::function<bool(const QString& title, QFont& font)>;
using PrinterDialogFn = std::function<bool(const QString& title)>;
using HaltFn = std::function<void(int code, const QString& text)>;
using MessageFn = std::function<int(const MessageArgs& args)>;
using StopFn = std::function<void(const QString& text)>;

// One replaceable operation; the index is the hook number less one (1 colour .. 7 stop).
using HookProc = std::variant<ColorDialogFn, FileDialogFn, FontDialogFn, PrinterDialogFn,
                              HaltFn, MessageFn, StopFn>;
enum HookNumber : int {
    HOOK_COLORDIALOG = 1,
    HOOK_FILEDIALOG,
    HOOK_FONTDIALOG,
    HOOK_PRINTERDIALOG,
    HOOK_HALT,
    HOOK_MESSAGE,
    HOOK_STOP,
};

// Installs `proc` in slot `number` (1..7) and returns what was there (empty = built-in).
// A proc of the wrong kind for the slot is refused (false) and the slot is left as it was.
bool installHook(int number, HookProc proc, HookProc* previous = nullptr);
HookProc currentHook(int number);
void resetHooks();

// What the user sees. The built-in implementation uses Qt dialogs; tests install a scripted one.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual int message(const MessageArgs& args) = 0;
    // true: go on; false: end the program.
    virtual bool stop(const QString& text) = 0;
    // A program's own stop window (the translator brings one): `run` shows it modally and
    // answers true to go on. A presenter that shows no windows answers through stop().
    virtual bool stopWindow(const QString& text, const std::function<bool()>& run) { return stop(text); }
    virtual void halt(int code, const QString& text) = 0;
    virtual bool colorDialog(const QString& title, QColor& colour) = 0;
    virtual bool fileDialog(FileDialogArgs& args) = 0;
    virtual bool fontDialog(const QString& title, QFont& font) = 0;
    virtual bool printerDialog(const QString& title) = 0;
};

void setPresenter(std::shared_ptr<Presenter> presenter);
Presenter& presenter();
std::unique_ptr<Presenter> makeQtPresenter();

// The runtime operations themselves: they call the hook when one is installed, else the
// built-in handler.
int message(const MessageArgs& args);
int message(const QString& text, const QString& caption = {}, Icon icon = Icon::None,
            int buttons = BUTTON_OK, int defaultButton = 0);
void stop(const QString& text);
void halt(int code = 0, const QString& text = {});
bool colorDialog(const QString& title, QColor& colour);
bool fileDialog(FileDialogArgs& args);
bool fontDialog(const QString& title, QFont& font);
bool printerDialog(const QString& title);

// The built-in handlers, for hooks that decorate rather than replace.
namespace builtin {
int message(const MessageArgs& args);
void stop(const QString& text);
void halt(int code, const QString& text);
bool colorDialog(const QString& title, QColor& colour);
bool fileDialog(FileDialogArgs& args);
bool fontDialog(const QString& title, QFont& font);
bool printerDialog(const QString& title);
} // namespace builtin

// An orderly end of the program: when an event loop runs it is asked to return `code`
// (main then shuts the libraries down); otherwise the process exits with `code`.
void requestQuit(int code);
bool quitRequested();

} // namespace vrt
