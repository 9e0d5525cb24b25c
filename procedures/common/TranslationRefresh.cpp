#include "procedures/common/TranslationRefresh.h"

#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/ErrorClass.h"
#include "runtime/RegionalTexts.h"
#include "services/Quilvo.h"

#include <mutex>

namespace VelmoraDll {

namespace {

const char* const kEnvPrefix = "_ENV:";
// The name the translation tables know the system character set by.
const char* const kCharsetKey = "_ENV:SYSTEMCHARSET";
const char* const kButtons = "OK,&Yes,&No,&Abort,&Retry,&Ignore,Cancel,&Help";
const char* const kMonths = "January,February,March,April,May,June,July,August,September,October,November,December";
const char* const kShortMonths = "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec";

const std::pair<int, const char*> kRuntimeErrors[] = {
    {2, "File Not Found"}, {3, "Path Not Found"}, {4, "Too Many Open Files"}, {5, "Access Denied"},
    {7, "Memory Corrupted"}, {8, "Insufficient Memory"}, {15, "Invalid Drive"}, {30, "Entry Not Found"},
    {32, "File Is Already Locked"}, {33, "Record Not Available"}, {35, "Record Not Found"},
    {36, "Invalid Data File"}, {37, "File Not Open"}, {38, "Invalid Key File"}, {40, "Creates Duplicate Key"},
    {43, "Record Is Already Held"}, {45, "Invalid Filename"}, {46, "Key Files must be Rebuilt"},
    {47, "Invalid File Declaration"}, {48, "Unable to log transaction"}, {52, "File Already Open"},
    {54, "No Create Attribute"}, {55, "File Must Be Shared"}, {56, "Logout Already Active"},
    {57, "Invalid Memo File"}, {63, "Exclusive Access Required"}, {64, "Sharing Violation"},
    {65, "Unable to rollback transaction"}, {73, "Memo File is Missing"}, {75, "Invalid Field Type Descriptor"},
    {76, "Invalid Index String"}, {77, "Unable To Access Index"}, {78, "Invalid Number Of Parameters"},
    {79, "Unsupported Data Type in File"}, {80, "Function not supported"}, {88, "Invalid Key Length"},
    {89, "Record Changed By Another Station"}, {90, "File System Error"}, {91, "No Logout Active"},
    {92, "BUILD in Progress"}, {93, "BUILD Cancelled"}, {94, "Record limit exceeded"}, {97, "Stream Error"},
    {100, "Trigger Error"},
};

std::mutex g_mutex;
std::map<int, QString> g_errorTexts = [] {
    std::map<int, QString> m;
    for (const auto& [n, text] : kRuntimeErrors)
        m[n] = QString::fromLatin1(text);
    return m;
}();
int g_charset = 0;

QString translated(QUILVO& t, const QString& text)
{
    const QString sub = t.QVSUB(text);
    return t.TRANSLANG() == 1 ? sub : t.QVSTR(sub);
}

// A translated list keeps the English entry wherever the translation has none.
QStringList translatedList(QUILVO& t, const char* english)
{
    const QStringList base = QString::fromLatin1(english).split(QLatin1Char(','));
    const QStringList out = translated(t, QString::fromLatin1(english)).split(QLatin1Char(','));
    QStringList result;
    for (int i = 0; i < base.size(); ++i)
        result << (i < out.size() && !out[i].isEmpty() ? out[i] : base[i]);
    return result;
}

int charsetFor(QUILVO& t)
{
    const QString key = QString::fromLatin1(kCharsetKey);
    const QString env = QString::fromLatin1(kEnvPrefix);
    QString v = t.TRANSLANG() == 1 ? t.QVSUB(key) : t.QVSTR(key);
    if (t.TRANSLANG() != 1 && v.startsWith(env))
        v = t.QVSUB(key);
    return v.startsWith(env) ? 0 : v.trimmed().toInt();
}

void SetRuntimeTexts(QUILVO& t)
{
    // Collation and case tables stay as the start-up set them: they belong to the data's
    // language, not to the language of the window texts.
    vrt::RegionalTexts r = vrt::regionalTexts();
    r.charset = charsetFor(t);
    r.buttonCaptions = translatedList(t, kButtons);
    r.monthNames = translatedList(t, kMonths);
    r.shortMonthNames = translatedList(t, kShortMonths);
    vrt::setRegionalTexts(r);

    std::map<int, QString> texts;
    for (const auto& [n, text] : kRuntimeErrors)
        texts[n] = translated(t, QString::fromLatin1(text));
    std::lock_guard<std::mutex> lock(g_mutex);
    g_errorTexts = std::move(texts);
    g_charset = r.charset;
}

} // namespace

std::map<int, QString> runtimeErrorTexts()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_errorTexts;
}

int runtimeCharset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_charset;
}

void S_RefreshTranslation(QUILVO& translator, vrt::ErrorClass& errors, const QString& translationFile, int language)
{
    for (const vrt::ErrorEntry& e : translator.ERRORSQ())
        errors.removeError(e.id);
    translator.QVDLC(translationFile, language);
    SetRuntimeTexts(translator);
    // Always from the untranslated copies, so changing languages never translates a
    // translation; the whole translation is kept, however long.
    std::vector<vrt::ErrorEntry> shown = translator.ERRORSQ();
    const std::vector<vrt::ErrorEntry> originals = translator.ERRORSQ2();
    const size_t n = std::min(shown.size(), originals.size());
    for (size_t i = 0; i < n; ++i) {
        vrt::ErrorEntry& entry = shown[i];
        entry.title = translator.QVSTR(originals[i].title);
        entry.text = translator.QVSTR(originals[i].text);
        translator.setShownError(i, entry.title, entry.text);
        errors.addErrors({entry});
    }
}

void S_RefreshTranslation()
{
    if (vrt::ErrorClass* errors = LibraryErrors())
        S_RefreshTranslation(translator(), *errors, QString::fromStdString(G::QVFile), G::QVLang);
}

bool refreshTranslationIfChanged(QUILVO& translator, vrt::ErrorClass& errors, const QString& translationFile,
                                 int language)
{
    if (language == LoadedLanguage && translationFile == LoadedTranslationFile)
        return false;
    S_RefreshTranslation(translator, errors, translationFile, language);
    LoadedLanguage = language;
    LoadedTranslationFile = translationFile;
    return true;
}

bool refreshTranslationIfChanged()
{
    vrt::ErrorClass* errors = LibraryErrors();
    if (!errors)
        return false;
    return refreshTranslationIfChanged(translator(), *errors, QString::fromStdString(G::QVFile), G::QVLang);
}

} // namespace VelmoraDll
