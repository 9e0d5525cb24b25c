#pragma once
#include <QByteArray>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"

// The user's money symbols, as the regional settings give them.
struct QuilvoRegional {
    QString decimal;
    QString grouping;
};

// A widget whose texts its window translates itself (a component that draws them, or one
// built from a table of source texts) carries this property set to true. The window walk
// leaves it and its children alone; after a language change the window gets
// QUILVO::languageChangedEvent() and gives them their texts again.
inline constexpr char kOwnTexts[] = "qvOwnTexts";

// The run-time translator. Every window text and message passes through QVSTR; with language
// 1 (Croatian, the language the texts are written in) nothing is looked up. Each program and
// library holds its own object; all its threads share it, and every thread reads the tables
// through its own file handles.
class QUILVO {
public:
    QUILVO();
    virtual ~QUILVO();
    QUILVO(const QUILVO&) = delete;
    QUILVO& operator=(const QUILVO&) = delete;

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

    // Window translation (the widget walk lives in QuilvoWindow.cpp). 0 = the active window.
    virtual void TRANSLATEWINDOW(QWidget* window = nullptr);
    virtual void TRANSLATECONTROL(QWidget* control);
    virtual void QVWIN(QWidget* window = nullptr);
    virtual void QVCTL(QWidget* control);
    // With ENTRY2TEXT set, an entry with a string picture becomes a multi-line text control in
    // the same place, bound to the same variable. Returns the control now in that place.
    virtual QWidget* MAKETEXT(QWidget* control, QString* useVariable);
    virtual void REPOSITION(QWidget* control);
    virtual void REVFORMAT(QWidget* control);
    // Records the application frame's texts once, so a language change can start from them.
    virtual void QVFRQ(QWidget* frame = nullptr);
    virtual void QVDFC();
    // Sent (not posted) to each window re-translated by a language change, after the walk.
    static QEvent::Type languageChangedEvent();
    virtual QString S_SR(const QString& text, const QString& search, const QString& replacement) const;
    // A window or control text: through QVSUB first when USEBSUB is set, then QVSTR.
    QString translateText(const QString& text);

    // Installs `proc` in runtime slot `hook` (1 colour .. 7 stop), keeping what was there.
    void INITHOOK(int hook, vrt::HookProc proc);
    void SETHOOK(int hook);
    void UNSETHOOK(int hook);

    void ADDERRORS(const std::vector<vrt::ErrorEntry>& entries);
    // The framework's block form: u16 count, then per entry u16 id, fatality byte, counted
    // title, counted message (little-endian). A short or overlong block adds nothing: false.
    bool ADDERRORS(const QByteArray& block);

    // The translated replacements of the runtime operations. Each calls the handler that was
    // in the slot before INITHOOK (the runtime's own when there was none) with translated
    // texts; the slot itself is never emptied, so other threads stay translated meanwhile.
    bool COLORDIALOG(const QString& title, QColor& colour);
    bool FILEDIALOG(vrt::FileDialogArgs& args);
    bool FONTDIALOG(const QString& title, QFont& font);
    bool PRINTERDIALOG(const QString& title);
    void HALT(int code, const QString& text);
    int MESSAGE(const vrt::MessageArgs& args);
    void STOP(const QString& text);

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

    // Fields callers set and read. The ones lookups read are atomic: any thread may look up
    // while the owning thread changes the language.
    QString EXTRACTTEXT;
    std::atomic<bool> STOPTRANSLATE{false};
    std::atomic<int> TRANSLANG{1};
    bool SILENCE = false;
    std::atomic<bool> USEQUEUE{false};
    bool ENTRY2TEXT = false;
    bool REPOSPROMPTS = false;
    bool REVERSEFORMAT = false;
    bool USEDEFAULT = false;
    std::atomic<int> RPTDIFLANG{0};
    std::atomic<bool> NOFILEUPDATE{false};
    std::atomic<bool> USEBSUB{false};
    bool FRAMEFLAG = false;
    QPointer<QWidget> FRAMEWINDOW;
    std::vector<vrt::ErrorEntry> ERRORSQ;
    std::vector<vrt::ErrorEntry> ERRORSQ2;
    std::array<unsigned, 30> ENTRYPROP{};

    // The character set of the language (Windows numbering) and the picture symbols.
    int LANGCHARSET = 238;
    QString DECIMALSYMBOL = QStringLiteral(".");
    QString GROUPINGSYMBOL;

    // A recorded frame text: control (nullptr = the frame itself), property, value.
    struct FrameText {
        QPointer<QObject> control;
        unsigned prop = 0;
        QString value;
    };
    std::vector<FrameText> FRAMEQ;

    // The stop window's outside helper, started without waiting; false when it could not be.
    std::function<bool(const QString& program, const QStringList& args)> launcher;
    // Ends the program after the stop window's "close" (an orderly quit by default).
    std::function<void(int code)> endProgram;

    // Alive while the object is; hook forwarders hold a weak reference to it.
    std::weak_ptr<QUILVO*> selfReference() const { return m_self; }

    struct ThreadTables;

private:
    ThreadTables& tables() const;
    int openTable(ThreadTables& t, bool translation);
    void disableTranslation(int error, const QString& file, const QString& detail);
    void loadQueueLocked();
    void clearQueues();
    int columnFor() const;
    void setLanguage(int language);
    void trackWindow(QWidget* window);
    void translateColumns(QWidget* list);
    void retranslateWindows();
    template <class Fn> Fn defaultHandler(int hook) const;

    const unsigned long long m_id;
    std::shared_ptr<QUILVO*> m_self;
    mutable std::mutex m_nameMutex;
    QString m_translationFile;
    QString m_substitutionFile;
    std::atomic<unsigned long long> m_generation{1};
    bool m_initialised = false;
    bool m_started = false;

    std::recursive_mutex FILELOCK;
    std::map<QString, QString> QVRANQ;
    std::map<QString, QString> QVSUBQ;
    // The (table generation, language) the queue was loaded for; 0 = not loaded.
    std::pair<unsigned long long, int> m_queueFor{0, 0};

    mutable std::mutex m_hookMutex;
    std::array<vrt::HookProc, 7> m_def{};
    std::array<vrt::HookProc, 7> m_qv{};

    std::vector<QPointer<QWidget>> m_windows; // translated windows that follow a language change
};

// The seven hook forwarders, bound to one translator object (numbers 1..7 in order).
vrt::HookProc HOOKCOLORDIALOG(QUILVO& t);
vrt::HookProc HOOKFILEDIALOG(QUILVO& t);
vrt::HookProc HOOKFONTDIALOG(QUILVO& t);
vrt::HookProc HOOKPRINTERDIALOG(QUILVO& t);
vrt::HookProc HOOKHALT(QUILVO& t);
vrt::HookProc HOOKMESSAGE(QUILVO& t);
vrt::HookProc HOOKSTOP(QUILVO& t);

// INITHOOK 1..7 with the forwarders above.
void installTranslatorHooks(QUILVO& t);
