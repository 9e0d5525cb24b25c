#include "services/Quilvo.h"

#include "runtime/Dialogs.h"
#include "runtime/Text.h"
#include "services/StopWindow.h"

namespace {

// A translation of a replacement runs once: a translator's replacement that reaches another
// translator's (each library installs its own) passes straight through to the handler below.
thread_local int t_replacing = 0;
struct Replacing {
    Replacing() { ++t_replacing; }
    ~Replacing() { --t_replacing; }
};

} // namespace

QUILVO::QUILVO() : m_self(std::make_shared<QUILVO*>(this)), m_stopActions(&quilvo::StopActions::program()) {}

// Forwarders still installed find no object from here on.
QUILVO::~QUILVO() { m_self.reset(); }

void QUILVO::resetWindowState(bool starting)
{
    m_frameQ.clear();
    if (!starting)
        return;
    m_frameFlag = false;
    ENTRYPROP = {31746, 31747, 31748, 31749, 31868, 31873, 31248, 31942, 31994, 31994,
                 31995, 31996, 31837, 31851, 31859, 31846, 31873, 32006, 31867, 32003,
                 31897, 31880, 31904, 31881, 31834, 31831, 31832, 31752, 31756, 31750};
}

void QUILVO::languageChanged() { retranslateWindows(); }

// ---- hooks and the translated runtime operations

void QUILVO::INITHOOK(int hook, vrt::HookProc proc)
{
    if (hook < 1 || hook > 7)
        return;
    vrt::HookProc previous;
    const vrt::HookProc mine = proc;
    if (vrt::installHook(hook, std::move(proc), &previous)) {
        std::lock_guard<std::mutex> l(m_hookMutex);
        // Installing again must not take our own forwarder as the handler below us: it
        // would call itself for ever.
        const bool installedBefore = std::visit([](const auto& f) { return bool(f); }, m_qv[hook - 1]);
        if (!installedBefore)
            m_def[hook - 1] = previous;
        m_qv[hook - 1] = mine;
    }
}

void QUILVO::SETHOOK(int hook)
{
    if (hook < 1 || hook > 7)
        return;
    std::lock_guard<std::mutex> l(m_hookMutex);
    if (m_qv[hook - 1].index() == size_t(hook - 1))
        vrt::installHook(hook, m_qv[hook - 1]);
}

void QUILVO::UNSETHOOK(int hook)
{
    if (hook < 1 || hook > 7)
        return;
    std::lock_guard<std::mutex> l(m_hookMutex);
    if (m_def[hook - 1].index() == size_t(hook - 1))
        vrt::installHook(hook, m_def[hook - 1]);
}

template <class Fn>
Fn QUILVO::defaultHandler(int hook) const
{
    std::lock_guard<std::mutex> l(m_hookMutex);
    if (const auto* fn = std::get_if<Fn>(&m_def[hook - 1]))
        return *fn;
    return {};
}

bool QUILVO::COLORDIALOG(const QString& title, QColor& colour)
{
    const auto def = defaultHandler<vrt::ColorDialogFn>(vrt::HOOK_COLORDIALOG);
    const QString shown = t_replacing ? title : QVSTR(title);
    Replacing r;
    return def ? def(shown, colour) : vrt::builtin::colorDialog(shown, colour);
}

bool QUILVO::FILEDIALOG(vrt::FileDialogArgs& args)
{
    const auto def = defaultHandler<vrt::FileDialogFn>(vrt::HOOK_FILEDIALOG);
    vrt::FileDialogArgs a = args;
    if (!t_replacing)
        a.title = QVSTR(args.title); // the extension list stays as it is
    Replacing r;
    const bool ok = def ? def(a) : vrt::builtin::fileDialog(a);
    args.file = a.file;
    return ok;
}

bool QUILVO::FONTDIALOG(const QString& title, QFont& font)
{
    const auto def = defaultHandler<vrt::FontDialogFn>(vrt::HOOK_FONTDIALOG);
    const QString shown = t_replacing ? title
                          : QVSTR(vrt::clipTrailing(title).isEmpty() ? QStringLiteral("Select Font") : title);
    Replacing r;
    return def ? def(shown, font) : vrt::builtin::fontDialog(shown, font);
}

bool QUILVO::PRINTERDIALOG(const QString& title)
{
    const auto def = defaultHandler<vrt::PrinterDialogFn>(vrt::HOOK_PRINTERDIALOG);
    const QString shown = t_replacing ? title : QVSTR(title);
    Replacing r;
    return def ? def(shown) : vrt::builtin::printerDialog(shown);
}

void QUILVO::HALT(int code, const QString& text)
{
    const auto def = defaultHandler<vrt::HaltFn>(vrt::HOOK_HALT);
    const QString shown = t_replacing ? text : QVSTR(text);
    Replacing r;
    def ? def(code, shown) : vrt::builtin::halt(code, shown);
}

int QUILVO::MESSAGE(const vrt::MessageArgs& args)
{
    const auto def = defaultHandler<vrt::MessageFn>(vrt::HOOK_MESSAGE);
    vrt::MessageArgs a = args;
    if (!t_replacing) {
        a.text = QVSTR(args.text);
        // The row number stays out of the user's text; it helps only whoever keeps the table.
        if (const long long row = lastRecordPosition())
            qCDebug(lcQuilvo) << "message text from row" << row;
        a.caption = QVSTR(vrt::clipTrailing(args.caption).isEmpty() ? QStringLiteral("Info") : args.caption);
    }
    Replacing r;
    return def ? def(a) : vrt::builtin::message(a);
}

// STOP and the window walk are in QuilvoWindow.cpp and StopWindow.cpp.

vrt::HookProc HOOKCOLORDIALOG(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::ColorDialogFn([self](const QString& title, QColor& c) {
        auto p = self.lock();
        return p ? (*p)->COLORDIALOG(title, c) : vrt::builtin::colorDialog(title, c);
    });
}
vrt::HookProc HOOKFILEDIALOG(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::FileDialogFn([self](vrt::FileDialogArgs& a) {
        auto p = self.lock();
        return p ? (*p)->FILEDIALOG(a) : vrt::builtin::fileDialog(a);
    });
}
vrt::HookProc HOOKFONTDIALOG(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::FontDialogFn([self](const QString& title, QFont& f) {
        auto p = self.lock();
        return p ? (*p)->FONTDIALOG(title, f) : vrt::builtin::fontDialog(title, f);
    });
}
vrt::HookProc HOOKPRINTERDIALOG(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::PrinterDialogFn([self](const QString& title) {
        auto p = self.lock();
        return p ? (*p)->PRINTERDIALOG(title) : vrt::builtin::printerDialog(title);
    });
}
vrt::HookProc HOOKHALT(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::HaltFn([self](int code, const QString& text) {
        auto p = self.lock();
        p ? (*p)->HALT(code, text) : vrt::builtin::halt(code, text);
    });
}
vrt::HookProc HOOKMESSAGE(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::MessageFn([self](const vrt::MessageArgs& a) {
        auto p = self.lock();
        return p ? (*p)->MESSAGE(a) : vrt::builtin::message(a);
    });
}
vrt::HookProc HOOKSTOP(QUILVO& t)
{
    auto self = t.selfReference();
    return vrt::StopFn([self](const QString& text) {
        auto p = self.lock();
        p ? (*p)->STOP(text) : vrt::builtin::stop(text);
    });
}

void installTranslatorHooks(QUILVO& t)
{
    t.INITHOOK(vrt::HOOK_COLORDIALOG, HOOKCOLORDIALOG(t));
    t.INITHOOK(vrt::HOOK_FILEDIALOG, HOOKFILEDIALOG(t));
    t.INITHOOK(vrt::HOOK_FONTDIALOG, HOOKFONTDIALOG(t));
    t.INITHOOK(vrt::HOOK_PRINTERDIALOG, HOOKPRINTERDIALOG(t));
    t.INITHOOK(vrt::HOOK_HALT, HOOKHALT(t));
    t.INITHOOK(vrt::HOOK_MESSAGE, HOOKMESSAGE(t));
    t.INITHOOK(vrt::HOOK_STOP, HOOKSTOP(t));
}
