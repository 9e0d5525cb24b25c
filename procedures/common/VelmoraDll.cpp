#include "procedures/common/VelmoraDll.h"

#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "extensions/LimitStarts.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/RegionalTexts.h"
#include "services/Quilvo.h"

#include <QDir>

#include <atomic>
#include <memory>
#include <mutex>

void TagSetClass::Init() { m_tags.clear(); }
void TagSetClass::Kill() { m_tags.clear(); }

QString TagSetClass::keyOf(const QString& text)
{
    // Stored space-padded to 1024 characters: trailing blanks and anything past 1024 vanish.
    QString k = text.left(1024);
    while (k.endsWith(QLatin1Char(' ')))
        k.chop(1);
    return k;
}

void TagSetClass::Add(const QString& text) { m_tags.insert(keyOf(text)); }
void TagSetClass::Remove(const QString& text) { m_tags.erase(keyOf(text)); }
void TagSetClass::Toggle(const QString& text)
{
    const QString k = keyOf(text);
    if (!m_tags.erase(k))
        m_tags.insert(k);
}
bool TagSetClass::IsTagged(const QString& text) const { return m_tags.count(keyOf(text)) > 0; }

namespace VelmoraDll {

QString AlternateRowColor;
int LoadedLanguage = 0;
QString LoadedTranslationFile;

namespace {

std::once_flag g_loadOnce;
std::atomic<bool> g_loaded{false};
std::atomic<bool> g_initFlag{false};
std::atomic<bool> g_killFlag{false};
std::unique_ptr<SSTF::LIMITSTARTSCLASS> g_limiter;
std::unique_ptr<QUILVO> g_translator;
std::unique_ptr<vrt::ErrorClass> g_ownErrors;
std::unique_ptr<vrt::IniClass> g_ownSettings;
vrt::ErrorClass* g_libraryErrors = nullptr;
vrt::IniClass* g_librarySettings = nullptr;
TagSetClass g_tags;
DictionaryEntries g_dictionary{&CORVALDE::INIT, &CORVALDE::KILL};

const QString kIniName = QStringLiteral("Standard.ini");
const QString kLangSection = QStringLiteral("QuilvoLang");
const QString kLangKey = QStringLiteral("UseLanguage");

} // namespace

void InitDllGlobals()
{
    g_ownErrors->init();
    g_ownSettings->init(QStringLiteral("Velmora"), 1);
    g_librarySettings = g_ownSettings.get();
    if (!g_libraryErrors)
        g_libraryErrors = g_ownErrors.get();
    g_translator->INIT();
    corvalde::setDataFolderFromCurrent();

    vrt::IniFile dataIni(corvalde::dataPath(kIniName));
    if (dataIni.get(kLangSection, kLangKey).trimmed().isEmpty())
        dataIni.put(kLangSection, kLangKey, QStringLiteral("2"));
    const vrt::IniFile workIni(vrt::joinPath(QDir::currentPath(), kIniName));
    setUpLanguage(workIni.get(kLangSection, kLangKey, QStringLiteral("2")));

    AlternateRowColor = QStringLiteral("16774378");
    g_translator->QVINIT(QString::fromStdString(G::QVFile), G::QVLang, QStringLiteral("Velmora.qvs"), 0, 1);
    LoadedLanguage = G::QVLang;
    LoadedTranslationFile = QString::fromStdString(G::QVFile);
    g_translator->setUSEQUEUE(false);
    g_translator->setSILENCE(true);
    g_translator->setNOFILEUPDATE(true);
    g_translator->setEXTRACTTEXT({});
    installTranslatorHooks(*g_translator);
}

bool setUpLanguage(const QString& useLanguage)
{
    vrt::RegionalTexts t = vrt::regionalTexts();
    const QString v = useLanguage.trimmed();
    if (v == QLatin1String("1")) {
        t.charset = 238;
        t.collation = QStringLiteral("ABCČĆDĐEFGHIJKLMNOPQRSŠTUVWXYZŽabcčćdđefghijklmnopqrsštuvwxyzž");
        t.upperCase = QStringLiteral("ABCČĆDĐEFGHIJKLMNOPQRSŠTUVWXYZŽ");
        t.lowerCase = QStringLiteral("abcčćdđefghijklmnopqrsštuvwxyzž");
        t.shortMonthNames = QStringLiteral("Si,Ve,Ož,Tr,Sv,Lp,Sr,Ko,Ru,Ls,St,Pr").split(QLatin1Char(','));
        t.monthNames = QStringLiteral("Siječanj,Veljača,Ožujak,Travanj,Svibanj,Lipanj,Srpanj,Kolovoz,Rujan,Listopad,Studeni,Prosinac").split(QLatin1Char(','));
        t.buttonCaptions = QStringLiteral("OK,&Da,&Ne,&Prekini,&Zanemari,Probaj &opet,&Prekid,&Upute").split(QLatin1Char(','));
    } else if (v == QLatin1String("2")) {
        t.charset = 0;
    } else if (v == QLatin1String("3")) {
        t.charset = 204;
    } else {
        return false;
    }
    t.fontFace = QStringLiteral("Arial");
    t.fontSize = 10;
    vrt::setRegionalTexts(t);
    return true;
}

void load()
{
    std::call_once(g_loadOnce, [] {
        corvalde::load();
        g_tags.Init();
        g_limiter = std::make_unique<SSTF::LIMITSTARTSCLASS>();
        g_translator = std::make_unique<QUILVO>();
        g_ownErrors = std::make_unique<vrt::ErrorClass>();
        g_ownSettings = std::make_unique<vrt::IniClass>();
        InitDllGlobals();
        g_loaded = true;
    });
}

void unload()
{
    if (!g_loaded.exchange(false))
        return;
    g_translator->QVKILL();
    g_translator->KILL();
    g_ownSettings->kill();
    g_librarySettings = nullptr;
    g_libraryErrors = nullptr;
    g_tags.Kill();
}

void INIT(vrt::ErrorClass* errors, vrt::IniClass* settings)
{
    load();
    if (g_initFlag.exchange(true))
        return;
    if (errors)
        g_libraryErrors = errors;
    if (settings)
        g_librarySettings = settings;
    corvalde::BindThreadManagers(g_libraryErrors);
    g_dictionary.init(errors, settings);
}

void KILL()
{
    if (g_killFlag.exchange(true))
        return;
    g_dictionary.kill();
}

vrt::ErrorClass* LibraryErrors() { return g_libraryErrors; }
vrt::IniClass* LibrarySettings() { return g_librarySettings; }
QUILVO& translator() { load(); return *g_translator; }
SSTF::LIMITSTARTSCLASS& startLimiter() { load(); return *g_limiter; }
TagSetClass& tagSet() { return g_tags; }

void setDictionaryEntries(DictionaryEntries entries) { g_dictionary = entries; }

void resetForTest()
{
    g_initFlag = false;
    g_killFlag = false;
    g_libraryErrors = g_ownErrors ? g_ownErrors.get() : nullptr;
    g_librarySettings = g_ownSettings ? g_ownSettings.get() : nullptr;
}

} // namespace VelmoraDll
