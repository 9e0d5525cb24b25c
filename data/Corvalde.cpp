#include "data/Corvalde.h"

#include "chrome/ChromeGlobals.h"
#include "chrome/TooltipManager.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "runtime/Threads.h"
#include "services/Quilvo.h"

#include <QDir>

#include <atomic>
#include <memory>
#include <mutex>

namespace corvalde {
namespace {

std::once_flag g_loadOnce;
std::atomic<bool> g_loaded{false};
std::atomic<bool> g_initFlag{false};
std::atomic<bool> g_killFlag{false};
std::unique_ptr<vrt::ErrorClass> g_ownErrors;
std::atomic<vrt::ErrorClass*> g_dictionaryErrors{nullptr};
std::unique_ptr<QUILVO> g_translator;
int g_startHook = 0;
int g_endHook = 0;

} // namespace

void load()
{
    std::call_once(g_loadOnce, [] {
        g_ownErrors = std::make_unique<vrt::ErrorClass>();
        if (!g_dictionaryErrors)
            g_dictionaryErrors = g_ownErrors.get();
        CREATETABLEMANAGERS();
        // Every later thread gets its own managers, bound to whatever is in force then.
        g_startHook = vrt::addThreadStartHook([] { CREATETABLEMANAGERS(); });
        g_endHook = vrt::addThreadEndHook([] { KILLTABLEMANAGERS(); });
        g_translator = std::make_unique<QUILVO>();
        g_translator->INIT();
        GLO::CFC_Cnt.INIT(16000);
        GLO::CFC_Comctrl.INIT();
        CFCTOOLTIPMANAGERCLASS::instance();
        PXPGlobal.USELUNACOLORS(false);
        readLanguageSettings(254);
        g_translator->QVINIT(QString::fromStdString(G::QVFile), G::QVLang,
                             QStringLiteral("Velmora.qvs"), 0, 1);
        g_translator->setUSEQUEUE(false);
        g_translator->setSILENCE(true);
        g_translator->setNOFILEUPDATE(true);
        g_translator->setEXTRACTTEXT({});
        installTranslatorHooks(*g_translator);
        g_loaded = true;
    });
}

void unload()
{
    if (!g_loaded.exchange(false))
        return;
    if (g_translator) {
        g_translator->QVKILL();
        g_translator->KILL();
    }
    vrt::removeThreadHook(g_startHook);
    vrt::removeThreadHook(g_endHook);
    g_dictionaryErrors = nullptr;
}

bool loaded() { return g_loaded; }

void readLanguageSettings(int maxFileChars)
{
    const vrt::IniFile ini(vrt::joinPath(QDir::currentPath(), QStringLiteral("Standard.ini")));
    // The language is a byte.
    G::QVLang = int(ini.getInt(QStringLiteral("QuilvoLang"), QStringLiteral("UseLanguage"), 1) & 0xFF);
    G::QVFile = vrt::clip(ini.get(QStringLiteral("QuilvoFile"), QStringLiteral("UseFile"),
                                  QStringLiteral("Velmora.qvl")), maxFileChars).toStdString();
}

void resetInitForTest()
{
    g_initFlag = false;
    g_killFlag = false;
    g_dictionaryErrors = g_ownErrors.get();
}

vrt::ErrorClass* DictionaryErrors() { return g_dictionaryErrors; }

QUILVO& translator()
{
    load();
    return *g_translator;
}

void ProcedureNotDefined()
{
    if (auto* e = DictionaryErrors())
        e->throwMessage(vrt::Msg_ProcedureNotDefined, QStringLiteral("ProcedureNotDefined"));
    GLOBALRESPONSE = RequestCancelled;
}

} // namespace corvalde

namespace CORVALDE {

void INIT(vrt::ErrorClass* errors, vrt::IniClass*)
{
    corvalde::load();
    if (corvalde::g_initFlag.exchange(true))
        return;
    if (errors)
        corvalde::g_dictionaryErrors = errors;
    // Only the calling thread's managers are rebound; threads started later pick up the
    // dictionary's error manager when they start.
    corvalde::BindThreadManagers(corvalde::g_dictionaryErrors);
}

void KILL()
{
    corvalde::g_killFlag = true;
}

bool initialised() { return corvalde::g_initFlag; }
bool killed() { return corvalde::g_killFlag; }

} // namespace CORVALDE
