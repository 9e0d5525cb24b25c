#pragma once
// The translator's lookup core: the tables, the lookups, the memory queues and the error lists.
// Nothing here knows a widget; the window part (QUILVO, services/Quilvo.h) builds on it.
#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/ErrorClass.h"

Q_DECLARE_LOGGING_CATEGORY(lcQuilvo)

// The user's money symbols, as the regional settings give them.
struct QuilvoRegional {
    QString decimal;
    QString grouping;
};

// Every window text and message passes through QVSTR; with language 1 (Croatian, the language
// the texts are written in) nothing is looked up. Each program and library holds its own
// object; all its threads share it, and every thread reads the tables through its own file
// handles. The settings lookups read are atomic or kept behind the object's lock: any thread
// may look up while the owning thread changes the language.
class QuilvoCore {
public:
    QuilvoCore();
    virtual ~QuilvoCore();
    QuilvoCore(const QuilvoCore&) = delete;
    QuilvoCore& operator=(const QuilvoCore&) = delete;

    // The framework part of the translator.
    void INIT();
    void KILL();

    // Language 0 or above 28 becomes 1; file names are kept up to 254 characters.
    void QVINIT(const QString& translationFile, int language, const QString& substitutionFile,
                int noEffect, int silent);
    // Switches table and language at run time; translated windows that are still open follow.
    void QVDLC(const QString& translationFile, int language);
    void QVKILL();
    void SETFLAGS();

    // Lookups. A text without a translation comes back as it was (without trailing blanks).
    virtual QString QVSTR(const QString& text);
    virtual QString QVSUB(const QString& text);
    QString TRANSLATESTRING(const QString& text) { return QVSTR(text); }
    // Caches a text in memory (queue mode); the table file is never written.
    virtual void ADDFILE(const QString& text, const QString& translation = {}, bool lockHeld = false);
    void ADDTRANSLATION(const QString& text, const QString& translation) { ADDFILE(text, translation, false); }
    virtual void QVSUBQL();
    void LOADTRANQ();
    // 1 when translation is (or has just been) switched off, 0 when both tables are open.
    int OPENTRANFILES();
    void CLOSETRANFILES();

    void ADDERRORS(const std::vector<vrt::ErrorEntry>& entries);
    // The framework's block form: u16 count, then per entry u16 id, fatality byte, counted
    // title, counted message (little-endian). A short or overlong block adds nothing: false.
    bool ADDERRORS(const QByteArray& block);

    QString translationFile() const;
    QString substitutionFile() const;
    bool isInitialised() const { return m_initialised; }
    bool isStarted() const { return m_started; }
    // The code page of the current language's character set ("windows-1250", ...).
    QString codePage() const;
    static QString codePageOfCharset(int charset);
    static int charsetOfLanguage(int language); // -1 when the language has none

    // Where the money symbols come from (the C library's monetary locale by default).
    static void setRegionalSource(std::function<QuilvoRegional()> source);

    // How the calling thread's handles of this object were used: opens of the translation
    // table and the row the last lookup read (0 when none).
    int threadOpenCount() const;
    long long lastRecordPosition() const;

    // The settings callers set and read, under their framework names.
    QString EXTRACTTEXT() const;
    void setEXTRACTTEXT(const QString& text);
    bool STOPTRANSLATE() const { return m_stopTranslate; }
    int TRANSLANG() const { return m_transLang; }
    bool SILENCE() const { return m_silence; }
    void setSILENCE(bool on) { m_silence = on; }
    bool USEQUEUE() const { return m_useQueue; }
    void setUSEQUEUE(bool on) { m_useQueue = on; }
    bool ENTRY2TEXT() const { return m_entryToText; }
    void setENTRY2TEXT(bool on) { m_entryToText = on; }
    bool REPOSPROMPTS() const { return m_reposPrompts; }
    bool REVERSEFORMAT() const { return m_reverseFormat; }
    bool USEDEFAULT() const { return m_useDefault; }
    void setUSEDEFAULT(bool on) { m_useDefault = on; }
    // A column other than the language's for lookups from the table (0: the language's).
    int RPTDIFLANG() const { return m_rptDifLang; }
    void setRPTDIFLANG(int column) { m_rptDifLang = column; }
    bool NOFILEUPDATE() const { return m_noFileUpdate; }
    void setNOFILEUPDATE(bool on) { m_noFileUpdate = on; }
    bool USEBSUB() const { return m_useBSub; }
    void setUSEBSUB(bool on) { m_useBSub = on; }
    // The character set of the language (Windows numbering) and the picture symbols.
    int LANGCHARSET() const { return m_langCharset; }
    QString DECIMALSYMBOL() const;
    QString GROUPINGSYMBOL() const;

    // The error lists ADDERRORS keeps: ERRORSQ as shown (translated), ERRORSQ2 as added.
    std::vector<vrt::ErrorEntry> ERRORSQ() const;
    std::vector<vrt::ErrorEntry> ERRORSQ2() const;
    // Gives entry `index` of ERRORSQ its shown title and text; false when there is none.
    bool setShownError(size_t index, const QString& title, const QString& text);

    struct ThreadTables;

protected:
    // The window part's share of QVINIT/QVKILL (its recorded frame texts) and of QVDLC (the
    // open windows follow the new language).
    virtual void resetWindowState(bool starting) {}
    virtual void languageChanged() {}

private:
    ThreadTables& tables() const;
    // A copy of one of the texts m_nameMutex guards, taken under it.
    QString namedText(const QString& text) const;
    int openTable(ThreadTables& t, bool translation);
    void disableTranslation(int error, const QString& file, const QString& detail);
    void loadQueueLocked();
    void clearQueues();
    int columnFor() const;
    void setLanguage(int language);
    void takeCharsetOfLanguage();

    const unsigned long long m_id;
    // Guards the file names, EXTRACTTEXT and the picture symbols.
    mutable std::mutex m_nameMutex;
    QString m_translationFile;
    QString m_substitutionFile;
    QString m_extractText;
    QString m_decimalSymbol = QStringLiteral(".");
    QString m_groupingSymbol;
    std::atomic<unsigned long long> m_generation{1};
    std::atomic<bool> m_initialised{false};
    std::atomic<bool> m_started{false};

    std::atomic<bool> m_stopTranslate{false};
    std::atomic<int> m_transLang{1};
    std::atomic<bool> m_silence{false};
    std::atomic<bool> m_useQueue{false};
    std::atomic<bool> m_entryToText{false};
    std::atomic<bool> m_reposPrompts{false};
    std::atomic<bool> m_reverseFormat{false};
    std::atomic<bool> m_useDefault{false};
    std::atomic<int> m_rptDifLang{0};
    std::atomic<bool> m_noFileUpdate{false};
    std::atomic<bool> m_useBSub{false};
    std::atomic<int> m_langCharset{238};

    // Guards the queues and the error lists.
    mutable std::recursive_mutex FILELOCK;
    std::map<QString, QString> QVRANQ;
    std::map<QString, QString> QVSUBQ;
    // The (table generation, language) the queue was loaded for; 0 = not loaded.
    std::pair<unsigned long long, int> m_queueFor{0, 0};
    std::vector<vrt::ErrorEntry> m_errorsQ;
    std::vector<vrt::ErrorEntry> m_errorsQ2;
};
