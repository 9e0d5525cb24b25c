#include "services/Quilvo.h"
#include "runtime/ErrorClass.h"

#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "services/QuilvoTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
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

// A translation of a replacement runs once: a translator's replacement that reaches another
// translator's (each library installs its own) passes straight through to the handler below.
thread_local int t_replacing = 0;
struct Replacing {
    Replacing() { ++t_replacing; }
    ~Replacing() { --t_replacing; }
};

int validLanguage(int language) { return (language <= 0 || language > quilvo::kLanguages) ? 1 : language; }

} // namespace

struct QUILVO::ThreadTables {
    quilvo::TableFile qui{quilvo::TableKind::Translation};
    quilvo::TableFile qvs{quilvo::TableKind::Substitution};
    unsigned long long generation = 0;
    long long lastRow = 0;
    int opens = 0;
};

QUILVO::QUILVO() : m_id(g_nextId++), m_self(std::make_shared<QUILVO*>(this))
{
    launcher = [](const QString& program, const QStringList& args) {
        return QProcess::startDetached(program, args);
    };
    endProgram = [](int code) { vrt::requestQuit(code); };
}

namespace {

// Set once the thread's tables are gone (a translator destroyed during process exit comes
// after them); a plain bool stays readable after its thread's objects are destroyed.
thread_local bool t_tablesGone = false;

struct ThreadTableMap {
    std::unordered_map<unsigned long long, std::unique_ptr<QUILVO::ThreadTables>> tables;
    ~ThreadTableMap() { t_tablesGone = true; }
};

ThreadTableMap& threadTableMap()
{
    // Closed when the thread ends; ids are never reused.
    thread_local ThreadTableMap map;
    return map;
}

} // namespace

QUILVO::~QUILVO()
{
    m_self.reset();
    if (!t_tablesGone)
        threadTableMap().tables.erase(m_id);
}

QUILVO::ThreadTables& QUILVO::tables() const
{
    auto& slot = threadTableMap().tables[m_id];
    if (!slot)
        slot = std::make_unique<ThreadTables>();
    return *slot;
}

void QUILVO::INIT() { m_initialised = true; }

void QUILVO::KILL() { m_initialised = false; }

QString QUILVO::translationFile() const
{
    std::lock_guard<std::mutex> l(m_nameMutex);
    return m_translationFile;
}

QString QUILVO::substitutionFile() const
{
    std::lock_guard<std::mutex> l(m_nameMutex);
    return m_substitutionFile;
}

void QUILVO::setRegionalSource(std::function<QuilvoRegional()> source)
{
    std::lock_guard<std::mutex> l(g_regionalMutex);
    g_regionalSource = std::move(source);
}

int QUILVO::charsetOfLanguage(int language)
{
    static const int charsets[] = {238, 0, 204, 238, 238, 204, 238, 134, 238, 238, 204, 222};
    return language >= 1 && language <= 12 ? charsets[language - 1] : -1;
}

QString QUILVO::codePageOfCharset(int charset)
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

QString QUILVO::codePage() const { return codePageOfCharset(LANGCHARSET); }

void QUILVO::setLanguage(int language)
{
    TRANSLANG = validLanguage(language);
    const int charset = charsetOfLanguage(TRANSLANG);
    if (charset >= 0)
        LANGCHARSET = charset;
    else
        qCWarning(lcQuilvo) << "no character set for language" << TRANSLANG << "- keeping" << LANGCHARSET;
}

void QUILVO::QVINIT(const QString& translationFile, int language, const QString& substitutionFile,
                    int, int silent)
{
    {
        std::lock_guard<std::mutex> l(m_nameMutex);
        m_translationFile = vrt::clipTrailing(vrt::clip(translationFile, 254));
        m_substitutionFile = vrt::clipTrailing(vrt::clip(substitutionFile, 254));
    }
    ++m_generation;
    STOPTRANSLATE = false;
    SILENCE = silent != 0;
    USEQUEUE = false;
    FRAMEFLAG = false;
    TRANSLANG = validLanguage(language);
    ENTRY2TEXT = false;
    NOFILEUPDATE = false;
    REPOSPROMPTS = false;
    clearQueues();
    OPENTRANFILES();
    QVSUBQL();
    // The runtime's own messages, so a change of language translates them too.
    ADDERRORS(vrt::ErrorClass::standardEntries());
    SETFLAGS();
    ENTRYPROP = {31746, 31747, 31748, 31749, 31868, 31873, 31248, 31942, 31994, 31994,
                 31995, 31996, 31837, 31851, 31859, 31846, 31873, 32006, 31867, 32003,
                 31897, 31880, 31904, 31881, 31834, 31831, 31832, 31752, 31756, 31750};

    QuilvoRegional r;
    {
        std::lock_guard<std::mutex> l(g_regionalMutex);
        r = g_regionalSource ? g_regionalSource() : monetaryLocale();
    }
    DECIMALSYMBOL = vrt::clip(vrt::clipTrailing(r.decimal), 19);
    if (DECIMALSYMBOL == QLatin1String(","))
        DECIMALSYMBOL = QStringLiteral("`");
    GROUPINGSYMBOL = vrt::clip(vrt::clipTrailing(r.grouping), 19);
    if (GROUPINGSYMBOL == QString(QChar(0x00A0)) || GROUPINGSYMBOL == QString(QChar(0x202F)))
        GROUPINGSYMBOL = QStringLiteral("_");
    else if (GROUPINGSYMBOL == QLatin1String(","))
        GROUPINGSYMBOL.clear();

    setLanguage(TRANSLANG);
    m_started = true;
}

void QUILVO::QVDLC(const QString& translationFile, int language)
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
    retranslateWindows();
}

void QUILVO::clearQueues()
{
    {
        std::lock_guard<std::recursive_mutex> l(FILELOCK);
        QVRANQ.clear();
        QVSUBQ.clear();
        m_queueFor = {0, 0};
    }
    FRAMEQ.clear();
    ERRORSQ.clear();
    ERRORSQ2.clear();
}

void QUILVO::QVKILL()
{
    clearQueues();
    ++m_generation;
    CLOSETRANFILES();
    m_started = false;
}

void QUILVO::SETFLAGS()
{
    auto flag = [this](const char* row) {
        const QString name = QString::fromLatin1(row);
        bool ok = false;
        const int v = (TRANSLANG == 1 ? QVSUB(name) : QVSTR(name)).trimmed().toInt(&ok);
        return ok && v != 0;
    };
    ENTRY2TEXT = flag("_ENV:EntryToText");
    REPOSPROMPTS = flag("_ENV:ReposEntryPrompt");
    REVERSEFORMAT = flag("_ENV:ReverseListFormat");
}

int QUILVO::threadOpenCount() const { return tables().opens; }

long long QUILVO::lastRecordPosition() const { return tables().lastRow; }

// The tables ship beside the programs, while the program runs in its data folder: a table
// in the data folder wins, the shipped one is next, and only then is an empty one created.
static QString locateTable(const QString& name)
{
    if (QDir::isAbsolutePath(name) || QFileInfo::exists(name) || !QCoreApplication::instance())
        return name;
    const QString shipped = vrt::joinPath(QCoreApplication::applicationDirPath(), name);
    return QFileInfo::exists(shipped) ? shipped : name;
}

int QUILVO::openTable(ThreadTables& t, bool translation)
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

int QUILVO::OPENTRANFILES()
{
    // Once switched off, translation stays off until QVINIT: no second message.
    if (STOPTRANSLATE)
        return 1;
    ThreadTables& t = tables();
    if (t.generation != m_generation) {
        t.qui.close();
        t.qvs.close();
        t.generation = m_generation;
    }
    return openTable(t, true) || openTable(t, false) ? 1 : 0;
}

void QUILVO::CLOSETRANFILES()
{
    ThreadTables& t = tables();
    t.qui.close();
    t.qvs.close();
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

void QUILVO::disableTranslation(int error, const QString& file, const QString& detail)
{
    CLOSETRANFILES();
    if (STOPTRANSLATE.exchange(true))
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

int QUILVO::columnFor() const
{
    const int rpt = RPTDIFLANG;
    return rpt >= 1 && rpt <= quilvo::kLanguages ? rpt : TRANSLANG.load();
}

void QUILVO::loadQueueLocked()
{
    QVRANQ.clear();
    const int language = TRANSLANG;
    m_queueFor = {m_generation, language};
    ThreadTables& t = tables();
    t.qui.forEachTranslation(language, [this](const QString& deflang, const QString& value) {
        QVRANQ.emplace(quilvo::keyOf(deflang, quilvo::kTranslationKeyChars), value);
    });
}

void QUILVO::LOADTRANQ()
{
    if (STOPTRANSLATE || TRANSLANG == 1 || OPENTRANFILES())
        return;
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    loadQueueLocked();
}

QString QUILVO::QVSTR(const QString& text)
{
    const QString clipped = vrt::clipTrailing(text);
    const bool otherColumn = RPTDIFLANG != 0;
    if (!otherColumn && (STOPTRANSLATE || TRANSLANG == 1))
        return text;
    if (quilvo::leftAligned(clipped).isEmpty() || OPENTRANFILES())
        return text;

    QString result;
    if (USEQUEUE && !otherColumn) {
        std::lock_guard<std::recursive_mutex> l(FILELOCK);
        // Loading here also covers a caller that switches queue mode on after QVINIT.
        if (m_queueFor != std::make_pair(m_generation.load(), TRANSLANG.load()))
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
        if (!t.qui.findTranslation(text, columnFor(), &result, &t.lastRow))
            result = clipped;
    }
    // An empty column means "not translated yet", not "show nothing".
    if (vrt::clipTrailing(result).isEmpty())
        result = clipped;
    return vrt::clipTrailing(result);
}

QString QUILVO::QVSUB(const QString& text)
{
    const QString clipped = vrt::clipTrailing(text);
    if (clipped.isEmpty())
        return text;
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    auto it = QVSUBQ.find(quilvo::keyOf(text, 2255));
    const QString sub = it == QVSUBQ.end() ? QString() : vrt::clipTrailing(it->second);
    return sub.isEmpty() ? clipped : sub;
}

void QUILVO::ADDFILE(const QString& text, const QString& translation, bool lockHeld)
{
    if (NOFILEUPDATE || STOPTRANSLATE || TRANSLANG == 1 || OPENTRANFILES()
        || vrt::clipTrailing(text).isEmpty())
        return;
    std::unique_lock<std::recursive_mutex> l(FILELOCK, std::defer_lock);
    if (!lockHeld)
        l.lock();
    ThreadTables& t = tables();
    QString value;
    if (!t.qui.findTranslation(text, TRANSLANG, &value, &t.lastRow))
        value = vrt::clip(vrt::clipTrailing(translation), quilvo::kTranslationTextChars);
    if (USEQUEUE)
        QVRANQ.emplace(quilvo::keyOf(text, quilvo::kTranslationKeyChars), value);
}

void QUILVO::QVSUBQL()
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

void QUILVO::ADDERRORS(const std::vector<vrt::ErrorEntry>& entries)
{
    std::lock_guard<std::recursive_mutex> l(FILELOCK);
    for (const auto& e : entries) {
        ERRORSQ.push_back(e);
        ERRORSQ2.push_back({e.id, e.category, vrt::clip(e.title, 2256), vrt::clip(e.text, 2256)});
    }
}

bool QUILVO::ADDERRORS(const QByteArray& block)
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
