#include "shell/Startup.h"

#include "data/Corvalde.h"
#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/Dialogs.h"
#include "runtime/PrivateFiles.h"
#include "runtime/Termination.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "services/Quilvo.h"
#include "shell/FrameWindow.h"
#include "velmorautils/VelmoraUtils.h"

#include <QApplication>
#include <QLockFile>

namespace shell {

Program& program()
{
    static Program p;
    static QUILVO translator;
    p.translator = &translator;
    return p;
}

namespace {
class ProgramEntries : public LibraryEntries {
public:
    void corvaldeInit(vrt::ErrorClass* errors, vrt::IniClass* settings) override { CORVALDE::INIT(errors, settings); }
    void dllInit(vrt::ErrorClass* errors, vrt::IniClass* settings) override { VelmoraDll::INIT(errors, settings); }
    void utilsInit(vrt::ErrorClass* errors, vrt::IniClass* settings) override { VelmoraUtils::INIT(errors, settings); }
    void corvaldeKill() override { CORVALDE::KILL(); }
    void dllKill() override { VelmoraDll::KILL(); }
    void utilsKill() override { VelmoraUtils::KILL(); }
    int runFrame() override { return W_Frame(); }
};
} // namespace

LibraryEntries& defaultEntries()
{
    static ProgramEntries entries;
    return entries;
}

QString messageText(const QString& text)
{
    QString t = text;
    int start = 0;
    while (start < t.size() && t[start].isSpace())
        ++start;
    t = vrt::clipTrailing(t.mid(start));
    while (!t.isEmpty() && t.back().isSpace())
        t.chop(1);
    return vrt::clip(t, 255);
}

int VelmoraMain(LibraryEntries& entries)
{
    Program& p = program();
    QUILVO& t = *p.translator;
    p.errors.init();
    t.INIT();
    p.settings.init(QStringLiteral("Velmora"), 1);

    corvalde::readLanguageSettings(255);
    t.QVINIT(QString::fromStdString(G::QVFile), G::QVLang, QStringLiteral("Velmora.qvs"), 0, 1);
    p.language = G::QVLang;
    p.translationFile = QString::fromStdString(G::QVFile);
    t.setUSEQUEUE(false);
    t.setSILENCE(true);
    t.setNOFILEUPDATE(true);
    t.setEXTRACTTEXT(QStringLiteral("WINDOWS"));

    t.INITHOOK(vrt::HOOK_COLORDIALOG, HOOKCOLORDIALOG(t));
    t.INITHOOK(vrt::HOOK_FILEDIALOG, HOOKFILEDIALOG(t));
    t.INITHOOK(vrt::HOOK_FONTDIALOG, HOOKFONTDIALOG(t));
    t.INITHOOK(vrt::HOOK_PRINTERDIALOG, HOOKPRINTERDIALOG(t));
    t.INITHOOK(vrt::HOOK_HALT, HOOKHALT(t));
    t.INITHOOK(vrt::HOOK_MESSAGE, vrt::MessageFn([&t](const vrt::MessageArgs& a) {
                   vrt::MessageArgs m = a;
                   m.text = messageText(a.text);
                   return t.MESSAGE(m);
               }));
    t.INITHOOK(vrt::HOOK_STOP, HOOKSTOP(t));

    // One organiser per data folder: a second would run its own timers, receives and writes
    // over the first one's. The lock goes with the process, so a crash leaves none behind.
    QLockFile folderLock(vrt::joinPath(vrt::currentFolder(), QStringLiteral(".velmora.lock")));
    folderLock.setStaleLockTime(0);
    if (!folderLock.tryLock(0) && folderLock.error() == QLockFile::LockFailedError) {
        vrt::message(t.QVSTR(QStringLiteral("Velmora je već pokrenuta s ovim direktorijem podataka.")),
                     QStringLiteral("Velmora"), vrt::Icon::Exclamation);
        t.QVKILL();
        p.settings.kill();
        t.KILL();
        return 1;
    }

    // Mail and exports an older build left readable by others become the user's alone.
    vrt::makeDataFolderPrivate(vrt::currentFolder());

    entries.corvaldeInit(&p.errors, &p.settings);
    entries.dllInit(&p.errors, &p.settings);
    entries.utilsInit(&p.errors, &p.settings);

    // A session end (SIGTERM, SIGHUP) or Ctrl+C closes the windows and leaves the loop, so
    // the shutdown below still runs.
    vrt::installTerminationHandler([] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    const int code = entries.runFrame();

    p.settings.update();
    // The same order as the initialisation.
    entries.corvaldeKill();
    entries.dllKill();
    entries.utilsKill();
    t.QVKILL();
    p.settings.kill();
    t.KILL();
    return code;
}

} // namespace shell
