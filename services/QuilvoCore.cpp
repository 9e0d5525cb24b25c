#include "services/QuilvoCore.h"

#include "services/AnsiCodePage.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"

#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "services/QuilvoTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QThread>

#include <clocale>
#include <mutex>
#include <set>
#include <unordered_map>

Q_LOGGING_CATEGORY(lcQuilvo, "velmora.translator", QtInfoMsg)

namespace {

std::atomic<unsigned long long> g_nextId{1};

std::mutex g_regionalMutex;
std::function<QuilvoRegional()> g_regionalSource;

QuilvoRegional monetaryLocale()
{
    std::setlocale(LC_MONETARY, "");
    const std::lconv* lc = std::localeconv();
    return {QString::fromLocal8Bit(lc->mon_decimal_point), QString::fromLocal8Bit(lc->mon_thousands_sep)};
}

int validLanguage(int language) { return (language <= 0 || language > quilvo::kLanguages) ? 1 : language; }

} // namespace

struct QuilvoCore::ThreadTables {
    quilvo::TableFile qui{quilvo::TableKind::Translation};
    quilvo::TableFile qvs{quilvo::TableKind::Substitution};
    unsigned long long generation = 0;
    long long lastRow = 0;
    int opens = 0;
    // Lookups already made in the open file: a window asks for the same texts again and
    // again, and a start asks for thousands. Cleared with the file.
    struct Found {
        bool found = false;
        QString value;
        long long row = 0;
    };
    QHash<QString, Found> memo;
    int memoColumn = 0;
    bool find(const QString& text, int column, QString* value)
    {
        if (memoColumn != column || memo.size() > 20000) {
            memo.clear();
            memoColumn = column;
        }
        const QString key = quilvo::keyOf(text, quilvo::kTranslationKeyChars);
        auto it = memo.constFind(key);
        if (it == memo.constEnd()) {
            Found f;
            f.found = qui.findTranslation(text, column, &f.value, &f.row);
            it = memo.insert(key, f);
        }
        lastRow = it->row;
        if (it->found && value)
            *value = it->value;
        return it->found;
    }
    void close()
    {
        qui.close();
        qvs.close();
        memo.clear();
    }
};

QuilvoCore::QuilvoCore() : m_id(g_nextId++) {}

namespace {

// Set once the thread's tables are gone (a translator destroyed during process exit comes
// after them); a plain bool stays readable after its thread's objects are destroyed.
thread_local bool t_tablesGone = false;

struct ThreadTableMap {
    std::unordered_map<unsigned long long, std::unique_ptr<QuilvoCore::ThreadTables>> tables;
    ~ThreadTableMap() { t_tablesGone = true; }
};

ThreadTableMap& threadTableMap()
{
    // Closed when the thread ends; ids are never reused.
    thread_local ThreadTableMap map;
    return map;
}

} // namespace

QuilvoCore::~QuilvoCore()
{
    if (!t_tablesGone)
        threadTableMap().tables.erase(m_id);
}

QuilvoCore::ThreadTables& QuilvoCore::tables() const
{
    auto& slot = threadTableMap().tables[m_id];
    if (!slot)
        slot = std::make_unique<ThreadTables>();
    return *slot;
}

void QuilvoCore::INIT() { m_initialised = true; }

void QuilvoCore::KILL() { m_initialised = false; }

QString QuilvoCore::namedText(const QString& text) const
{
    std::lock_guard<std::mutex> l(m_nameMutex);
    return text;
}

QString QuilvoCore::translationFile() const { return namedText(m_translationFile); }
QString QuilvoCore::substitutionFile() const { return namedText(m_substitutionFile); }
QString QuilvoCore::EXTRACTTEXT() const { return namedText(m_extractText); }
QString QuilvoCore::DECIMALSYMBOL() const { return namedText(m_decimalSymbol); }
QString QuilvoCore::GROUPINGSYMBOL() const { return namedText(m_groupingSymbol); }

void QuilvoCore::setEXTRACTTEXT(const QString& text)
{
    std::lock_guard<std::mutex> l(m_nameMutex);
    m_extractText = text;
}

std::vector<vrt::ErrorEntry> QuilvoCore::ERRORSQ() const
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    return m_errorsQ;
}

std::vector<vrt::ErrorEntry> QuilvoCore::ERRORSQ2() const
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    return m_errorsQ2;
}

bool QuilvoCore::setShownError(size_t index, const QString& title, const QString& text)
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    if (index >= m_errorsQ.size())
        return false;
    m_errorsQ[index].title = title;
    m_errorsQ[index].text = text;
    return true;
}

void QuilvoCore::setRegionalSource(std::function<QuilvoRegional()> source)
{
    std::lock_guard<std::mutex> l(g_regionalMutex);
    g_regionalSource = std::move(source);
}

int QuilvoCore::charsetOfLanguage(int language)
{
    static const int charsets[] = {238, 0, 204, 238, 238, 204, 238, 134, 238, 238, 204, 222};
    return language >= 1 && language <= 12 ? charsets[language - 1] : -1;
}

QString QuilvoCore::codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return QStringLiteral("windows-1252");
    case 134: return QStringLiteral("GBK");
    case 161: return QStringLiteral("windows-1253");
    case 162: return QStringLiteral("windows-1254");
    case 177: return QStringLiteral("windows-1255");
    case 178: return QStringLiteral("windows-1256");
    case 186: return QStringLiteral("windows-1257");
    case 204: return QStringLiteral("windows-1251");
    case 222: return QStringLiteral("windows-874");
    case 238: return QStringLiteral("windows-1250");
    }
    return {};
}

QString QuilvoCore::codePage() const { return codePageOfCharset(m_langCharset); }

void QuilvoCore::setLanguage(int language) { m_transLang = validLanguage(language); }

void QuilvoCore::takeCharsetOfLanguage()
{
    // The character set belongs to the start: a later change of language keeps it.
    const int charset = charsetOfLanguage(m_transLang);
    if (charset >= 0)
        m_langCharset = charset;
    else
        vrt::message(QStringLiteral("B:Slova not defined - Dudevev2 !"));
    // Single-byte text at the program's edges follows the language's code page.
    ansicp::setCodePage(codePage());
}

void QuilvoCore::QVINIT(const QString& translationFile, int language, const QString& substitutionFile,
                    int, int silent)
{
    {
        std::lock_guard<std::mutex> l(m_nameMutex);
        m_translationFile = vrt::clipTrailing(vrt::clip(translationFile, 254));
        m_substitutionFile = vrt::clipTrailing(vrt::clip(substitutionFile, 254));
    }
    ++m_generation;
    m_stopTranslate = false;
    m_silence = silent != 0;
    m_useQueue = false;
    m_transLang = validLanguage(language);
    m_entryToText = false;
    m_noFileUpdate = false;
    m_reposPrompts = false;
    clearQueues();
    resetWindowState(true);
    OPENTRANFILES();
    QVSUBQL();
    // The runtime's own messages, so a change of language translates them too.
    ADDERRORS(vrt::ErrorClass::standardEntries());
    SETFLAGS();

    QuilvoRegional r;
    {
        std::lock_guard<std::mutex> l(g_regionalMutex);
        r = g_regionalSource ? g_regionalSource() : monetaryLocale();
    }
    QString decimal = vrt::clip(vrt::clipTrailing(r.decimal), 19);
    if (decimal == QLatin1String(","))
        decimal = QStringLiteral("`");
    QString grouping = vrt::clip(vrt::clipTrailing(r.grouping), 19);
    if (grouping == QString(QChar(0x00A0)) || grouping == QString(QChar(0x202F)))
        grouping = QStringLiteral("_");
    else if (grouping == QLatin1String(","))
        grouping.clear();
    {
        std::lock_guard<std::mutex> l(m_nameMutex);
        m_decimalSymbol = decimal;
        m_groupingSymbol = grouping;
    }

    takeCharsetOfLanguage();
    m_started = true;
}

void QuilvoCore::QVDLC(const QString& translationFile, int language)
{
    const QString name = vrt::clipTrailing(vrt::clip(translationFile, 254));
    bool changed;
    {
        std::lock_guard<std::mutex> l(m_nameMutex);
        changed = m_translationFile.toUpper() != name.toUpper();
        if (changed)
            m_translationFile = name;
    }
    if (changed) {
        // Every thread reopens on its next lookup.
        ++m_generation;
        CLOSETRANFILES();
        OPENTRANFILES();
    }
    setLanguage(language);
    SETFLAGS();
    // Queue mode reloads lazily for the new language (see QVSTR).
    languageChanged();
}

void QuilvoCore::clearQueues()
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    QVRANQ.clear();
    QVSUBQ.clear();
    m_queueFor = {0, 0};
    m_errorsQ.clear();
    m_errorsQ2.clear();
}

void QuilvoCore::QVKILL()
{
    clearQueues();
    resetWindowState(false);
    ++m_generation;
    CLOSETRANFILES();
    m_started = false;
}

void QuilvoCore::SETFLAGS()
{
    auto flag = [this](const char* row) {
        const QString name = QString::fromLatin1(row);
        bool ok = false;
        const int v = (m_transLang == 1 ? QVSUB(name) : QVSTR(name)).trimmed().toInt(&ok);
        return ok && v != 0;
    };
    m_entryToText = flag("_ENV:EntryToText");
    m_reposPrompts = flag("_ENV:ReposEntryPrompt");
    m_reverseFormat = flag("_ENV:ReverseListFormat");
}

int QuilvoCore::threadOpenCount() const { return tables().opens; }

long long QuilvoCore::lastRecordPosition() const { return tables().lastRow; }

// The tables ship beside the programs, while the program runs in its data folder: a table
// in the data folder wins, the shipped one is next, and only then is an empty one created.
static QString locateTable(const QString& name)
{
    if (QDir::isAbsolutePath(name) || QFileInfo::exists(name) || !QCoreApplication::instance())
        return name;
    const QString shipped = vrt::joinPath(QCoreApplication::applicationDirPath(), name);
    return QFileInfo::exists(shipped) ? shipped : name;
}

int QuilvoCore::openTable(ThreadTables& t, bool translation)
{
    quilvo::TableFile& file = translation ? t.qui : t.qvs;
    if (file.isOpen())
        return 0;
    const QString name = locateTable(translation ? translationFile() : substitutionFile());
    if (translation)
        ++t.opens;
    if (const int error = file.open(name)) {
        disableTranslation(error, name, file.detail());
        return 1;
    }
    return 0;
}

int QuilvoCore::OPENTRANFILES()
{
    // Once switched off, translation stays off until QVINIT: no second message.
    if (m_stopTranslate)
        return 1;
    ThreadTables& t = tables();
    if (t.generation != m_generation) {
        t.close();
        t.generation = m_generation;
    }
    return openTable(t, true) || openTable(t, false) ? 1 : 0;
}

void QuilvoCore::CLOSETRANFILES()
{
    ThreadTables& t = tables();
    t.close();
    t.lastRow = 0;
}

// Whether this fault of this file has not been reported yet in this process. A file that
// changes (another size or time) is a new one.
static bool firstReportOf(const QString& file, int error)
{
    static std::mutex mutex;
    static std::set<QString> reported;
    const QFileInfo info(file);
    const QString key = QString::number(error) + QLatin1Char('|') + info.absoluteFilePath() + QLatin1Char('|') +
                        QString::number(info.size()) + QLatin1Char('|') +
                        QString::number(info.lastModified().toMSecsSinceEpoch());
    std::lock_guard<std::mutex> l(mutex);
    return reported.insert(key).second;
}

void QuilvoCore::disableTranslation(int error, const QString& file, const QString& detail)
{
    CLOSETRANFILES();
    if (m_stopTranslate.exchange(true))
        return; // another thread has already told the user
    QString text = QStringLiteral("No Translation Will Be Done |File error (%1) with|%2 : %3 : %4|Translation will be disabled!")
                       .arg(error)
                       .arg(file, translationFile(), substitutionFile());
    if (!detail.isEmpty())
        text += QLatin1Char('|') + detail;
    if (!firstReportOf(file, error))
        return; // the program's translators share the file: the user hears of it once
    qCWarning(lcQuilvo).noquote() << text;
    const vrt::MessageArgs args{text, QStringLiteral("Info"), vrt::Icon::Question, vrt::BUTTON_OK, 0, 0};
    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        // Message boxes belong to the GUI thread; nobody waits for the answer.
        QMetaObject::invokeMethod(app, [args] { vrt::message(args); }, Qt::QueuedConnection);
        return;
    }
    vrt::message(args);
}

int QuilvoCore::columnFor() const
{
    const int rpt = m_rptDifLang;
    return rpt >= 1 && rpt <= quilvo::kLanguages ? rpt : m_transLang.load();
}

void QuilvoCore::loadQueueLocked()
{
    QVRANQ.clear();
    const int language = m_transLang;
    m_queueFor = {m_generation, language};
    ThreadTables& t = tables();
    t.qui.forEachTranslation(language, [this](const QString& deflang, const QString& value) {
        QVRANQ.emplace(quilvo::keyOf(deflang, quilvo::kTranslationKeyChars), value);
    });
}

void QuilvoCore::LOADTRANQ()
{
    if (m_stopTranslate || m_transLang == 1 || OPENTRANFILES())
        return;
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    loadQueueLocked();
}

QString QuilvoCore::QVSTR(const QString& text)
{
    const QString clipped = vrt::clipTrailing(text);
    const bool otherColumn = m_rptDifLang != 0;
    if (!otherColumn && (m_stopTranslate || m_transLang == 1))
        return text;
    if (quilvo::leftAligned(clipped).isEmpty() || OPENTRANFILES())
        return text;

    QString result;
    if (m_useQueue && !otherColumn) {
        std::lock_guard<std::recursive_mutex> l(FILELOCK);
        // Loading here also covers a caller that switches queue mode on after QVINIT.
        if (m_queueFor != std::make_pair(m_generation.load(), m_transLang.load()))
            loadQueueLocked();
        const QString key = quilvo::keyOf(text, quilvo::kTranslationKeyChars);
        auto it = QVRANQ.find(key);
        if (it == QVRANQ.end()) {
            ADDFILE(text, {}, true);
            result = clipped;
        } else {
            result = it->second;
        }
    } else {
        ThreadTables& t = tables();
        if (!t.find(text, columnFor(), &result))
            result = clipped;
    }
    // An empty column means "not translated yet", not "show nothing".
    if (vrt::clipTrailing(result).isEmpty())
        result = clipped;
    return vrt::clipTrailing(result);
}

QString QuilvoCore::QVSUB(const QString& text)
{
    const QString clipped = vrt::clipTrailing(text);
    if (clipped.isEmpty())
        return text;
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    auto it = QVSUBQ.find(quilvo::keyOf(text, 2255));
    const QString sub = it == QVSUBQ.end() ? QString() : vrt::clipTrailing(it->second);
    return sub.isEmpty() ? clipped : sub;
}

void QuilvoCore::ADDFILE(const QString& text, const QString& translation, bool lockHeld)
{
    if (m_noFileUpdate || m_stopTranslate || m_transLang == 1 || OPENTRANFILES()
        || vrt::clipTrailing(text).isEmpty())
        return;
    std::unique_lock<std::recursive_mutex> l(FILELOCK, std::defer_lock);
    if (!lockHeld)
        l.lock();
    ThreadTables& t = tables();
    QString value;
    if (!t.find(text, m_transLang, &value))
        value = vrt::clip(vrt::clipTrailing(translation), quilvo::kTranslationTextChars);
    if (m_useQueue)
        QVRANQ.emplace(quilvo::keyOf(text, quilvo::kTranslationKeyChars), value);
}

void QuilvoCore::QVSUBQL()
{
    {
        std::lock_guard<std::recursive_mutex> l(FILELOCK);
        QVSUBQ.clear();
    }
    if (OPENTRANFILES())
        return;
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    tables().qvs.forEachSubstitution([this](const QString& deftext, const QString& subtext) {
        QVSUBQ.emplace(quilvo::keyOf(deftext, 2255), subtext);
    });
}

void QuilvoCore::ADDERRORS(const std::vector<vrt::ErrorEntry>& entries)
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    for (const auto& e : entries) {
        m_errorsQ.push_back(e);
        m_errorsQ2.push_back({e.id, e.category, vrt::clip(e.title, 2256), vrt::clip(e.text, 2256)});
    }
}

bool QuilvoCore::ADDERRORS(const QByteArray& block)
{
    const auto* p = reinterpret_cast<const unsigned char*>(block.constData());
    const qsizetype size = block.size();
    qsizetype at = 0;
    auto u16 = [&](unsigned& out) {
        if (at + 2 > size)
            return false;
        out = unsigned(p[at]) | (unsigned(p[at + 1]) << 8);
        at += 2;
        return true;
    };
    auto counted = [&](QString& out) {
        if (at + 1 > size || at + 1 + p[at] > size)
            return false;
        // The framework's blocks are in the Windows code page of the base language.
        out = QString::fromLatin1(reinterpret_cast<const char*>(p + at + 1), p[at]);
        at += 1 + p[at];
        return true;
    };
    unsigned count = 0;
    if (!u16(count))
        return false;
    std::vector<vrt::ErrorEntry> entries;
    for (unsigned i = 0; i < count; ++i) {
        unsigned id = 0;
        vrt::ErrorEntry e;
        if (!u16(id) || at + 1 > size)
            return false;
        e.id = int(id);
        e.category = vrt::Level(p[at++]);
        if (!counted(e.title) || !counted(e.text))
            return false;
        entries.push_back(e);
    }
    if (at != size)
        return false;
    ADDERRORS(entries);
    return true;
}
