#include "shell/Startup.h"

#include "data/Corvalde.h"
#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "services/Quilvo.h"
#include "shell/FrameWindow.h"
#include "velmorautils/VelmoraUtils.h"

#include <QDir>

namespace shell {

Program& program()
{
    static Program p;
    static QUILVO translator;
    p.translator = &translator;
    return p;
}

LibraryEntries defaultEntries()
{
    LibraryEntries e;
    e.corvaldeInit = &CORVALDE::INIT;
    e.dllInit = &VelmoraDll::INIT;
    e.utilsInit = &VelmoraUtils::INIT;
    e.corvaldeKill = &CORVALDE::KILL;
    e.dllKill = &VelmoraDll::KILL;
    e.utilsKill = &VelmoraUtils::KILL;
    e.runFrame = &W_Frame;
    return e;
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

int VelmoraMain(const LibraryEntries& entries)
{
    Program& p = program();
    QUILVO& t = *p.translator;
    p.errors.init();
    t.INIT();
    p.settings.init(QStringLiteral("Velmora"), 1);

    const vrt::IniFile ini(vrt::joinPath(QDir::currentPath(), QStringLiteral("Standard.ini")));
    G::QVLang = int(ini.getInt(QStringLiteral("QuilvoLang"), QStringLiteral("UseLanguage"), 1) & 0xFF);
    G::QVFile = vrt::clip(ini.get(QStringLiteral("QuilvoFile"), QStringLiteral("UseFile"),
                                  QStringLiteral("Velmora.qvl")), 255).toStdString();
    t.QVINIT(QString::fromStdString(G::QVFile), G::QVLang, QStringLiteral("Velmora.qvs"), 0, 1);
    p.language = G::QVLang;
    p.translationFile = QString::fromStdString(G::QVFile);
    t.USEQUEUE = false;
    t.SILENCE = true;
    t.NOFILEUPDATE = true;
    t.EXTRACTTEXT = QStringLiteral("WINDOWS");

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

    entries.corvaldeInit(&p.errors, &p.settings);
    entries.dllInit(&p.errors, &p.settings);
    entries.utilsInit(&p.errors, &p.settings);

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
