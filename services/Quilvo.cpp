#include "services/Quilvo.h"
#include "runtime/Text.h"

void QUILVO::INIT() { m_initialised = true; }

void QUILVO::KILL() { m_initialised = false; }

void QUILVO::QVINIT(const QString& translationFile, int language, const QString& substitutionFile,
                    int, int silent)
{
    m_translationFile = vrt::clip(translationFile, 254);
    m_substitutionFile = vrt::clip(substitutionFile, 254);
    TRANSLANG = (language <= 0 || language > 28) ? 1 : language;
    SILENCE = silent != 0;
    USEQUEUE = false;
    FRAMEFLAG = false;
    ENTRY2TEXT = false;
    NOFILEUPDATE = false;
    REPOSPROMPTS = false;
    m_started = true;
}

void QUILVO::QVDLC(const QString& translationFile, int language)
{
    m_translationFile = vrt::clip(translationFile, 254);
    TRANSLANG = (language <= 0 || language > 28) ? 1 : language;
    if (FRAMEWINDOW)
        TRANSLATEWINDOW(FRAMEWINDOW);
}

void QUILVO::QVKILL() { m_started = false; }

void QUILVO::INITHOOK(int hook, vrt::HookProc proc)
{
    if (hook < 1 || hook > 7)
        return;
    vrt::HookProc previous;
    if (vrt::installHook(hook, std::move(proc), &previous))
        m_previous[hook - 1] = previous;
}

QString QUILVO::QVSTR(const QString& text) const { return text; }

QString QUILVO::QVSUB(const QString& text) const { return text; }

void QUILVO::QVFRQ(QWidget* frame) { FRAMEWINDOW = frame; }

void QUILVO::TRANSLATEWINDOW(QWidget*) {}

void QUILVO::ADDERRORS(const std::vector<vrt::ErrorEntry>& entries)
{
    for (const auto& e : entries) {
        ERRORSQ.push_back(e);
        ERRORSQ2.push_back({e.id, e.category, vrt::clip(e.title, 2256), vrt::clip(e.text, 2256)});
    }
}

bool QUILVO::COLORDIALOG(const QString& title, QColor& colour)
{
    return vrt::builtin::colorDialog(QVSTR(title), colour);
}

bool QUILVO::FILEDIALOG(vrt::FileDialogArgs& args)
{
    vrt::FileDialogArgs a = args;
    a.title = QVSTR(args.title);
    const bool ok = vrt::builtin::fileDialog(a);
    if (ok)
        args.file = a.file;
    return ok;
}

bool QUILVO::FONTDIALOG(const QString& title, QFont& font)
{
    return vrt::builtin::fontDialog(QVSTR(title), font);
}

bool QUILVO::PRINTERDIALOG(const QString& title)
{
    return vrt::builtin::printerDialog(QVSTR(title));
}

void QUILVO::HALT(int code, const QString& text)
{
    vrt::builtin::halt(code, QVSTR(text));
}

int QUILVO::MESSAGE(const vrt::MessageArgs& args)
{
    vrt::MessageArgs a = args;
    a.text = QVSTR(args.text);
    a.caption = QVSTR(args.caption);
    return vrt::builtin::message(a);
}

void QUILVO::STOP(const QString& text)
{
    vrt::builtin::stop(QVSTR(text));
}

vrt::HookProc HOOKCOLORDIALOG(QUILVO& t)
{
    return vrt::ColorDialogFn([&t](const QString& title, QColor& c) { return t.COLORDIALOG(title, c); });
}
vrt::HookProc HOOKFILEDIALOG(QUILVO& t)
{
    return vrt::FileDialogFn([&t](vrt::FileDialogArgs& a) { return t.FILEDIALOG(a); });
}
vrt::HookProc HOOKFONTDIALOG(QUILVO& t)
{
    return vrt::FontDialogFn([&t](const QString& title, QFont& f) { return t.FONTDIALOG(title, f); });
}
vrt::HookProc HOOKPRINTERDIALOG(QUILVO& t)
{
    return vrt::PrinterDialogFn([&t](const QString& title) { return t.PRINTERDIALOG(title); });
}
vrt::HookProc HOOKHALT(QUILVO& t)
{
    return vrt::HaltFn([&t](int code, const QString& text) { t.HALT(code, text); });
}
vrt::HookProc HOOKMESSAGE(QUILVO& t)
{
    return vrt::MessageFn([&t](const vrt::MessageArgs& a) { return t.MESSAGE(a); });
}
vrt::HookProc HOOKSTOP(QUILVO& t)
{
    return vrt::StopFn([&t](const QString& text) { t.STOP(text); });
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
