#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <ostream>
#include <vector>

#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

// Failed comparisons of texts show the texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testsupport {

// Runs the event loop until `condition` holds; false when `ms` pass first. GUI tests wait for
// the state they check this way, never for a fixed time.
bool waitFor(const std::function<bool()>& condition, int ms = 10000);

// Every run gets its own HOME, configuration folder and ODBC configuration, so nothing
// touches the user's files. Called by the test main before QApplication exists.
void isolateEnvironment();
QString isolatedRoot();

// Registers the SQLite3 ODBC driver under the name the connection string uses, in this
// run's own ODBCSYSINI. Returns false with a reason when the driver is not installed.
bool registerOdbcDriver(QString* why = nullptr);

// Answers the runtime's message, stop and dialog calls from a script and records them.
class ScriptedPresenter : public vrt::Presenter {
public:
    struct Call {
        QString kind; // "message", "stop", "halt", "color", "file", "font", "printer"
        QString text;
        QString caption;
        int buttons = 0;
    };
    int message(const vrt::MessageArgs& args) override;
    bool stop(const QString& text) override;
    void halt(int code, const QString& text) override;
    bool colorDialog(const QString& title, QColor& colour) override;
    bool fileDialog(vrt::FileDialogArgs& args) override;
    bool fontDialog(const QString& title, QFont& font) override;
    bool printerDialog(const QString& title) override;

    // Answers given in order; when none is queued a message answers its default button
    // (or OK), stop answers "go on", dialogs answer "cancelled".
    void queueButton(int button);
    void queueStop(bool goOn);
    void queueFile(const QString& file);

    std::vector<Call> calls() const;
    std::vector<Call> calls(const QString& kind) const; // only the calls of this kind
    QStringList texts() const;                          // the text of every call, in order
    QStringList takeTexts();                            // the same, then clear()
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    std::deque<int> m_buttons;
    std::deque<bool> m_stops;
    std::deque<QString> m_files;
};

ScriptedPresenter& presenter();
void installScriptedPresenter();

// Modal windows, print previews and popup menus never open in a test: by default each one
// is recorded by its class name and answered "rejected" / nothing chosen. A test that drives
// one installs its own runner for as long as a ScopedDialogRunner lives.
void installNonBlockingRunners();
QStringList modalLog();
void clearModalLog();
class ScopedDialogRunner {
public:
    explicit ScopedDialogRunner(vrt::DialogRunner runner);
    ~ScopedDialogRunner();

private:
    vrt::DialogRunner m_previous;
};

// A fresh temporary folder; while a CwdGuard lives, it is the current folder.
class TempFolder {
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& content) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Global hooks and settings a test changes are put back by a guard, so a failed assertion
// that ends the test early leaves nothing behind for the tests after it.
// ScopedValue: a global reached as a reference (a variable, or a function returning one).
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& slot, T value) : m_slot(slot), m_saved(std::exchange(slot, std::move(value))) {}
    ~ScopedValue() { m_slot = std::move(m_saved); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& m_slot;
    T m_saved;
};

// ScopedHook: a hook installed through a setter that returns the one it replaces.
template <typename T>
class ScopedHook {
public:
    ScopedHook(T (*set)(T), T hook) : m_set(set), m_saved(set(std::move(hook))) {}
    ~ScopedHook() { m_set(std::move(m_saved)); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    T (*m_set)(T);
    T m_saved;
};

// ScopedEnv: an environment variable set (or, with nullopt, removed) for the guard's life.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// OnScopeExit: anything else (a setter with a separate getter); runs `undo` when it ends.
class OnScopeExit {
public:
    explicit OnScopeExit(std::function<void()> undo) : m_undo(std::move(undo)) {}
    ~OnScopeExit()
    {
        if (m_undo)
            m_undo();
    }
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;

private:
    std::function<void()> m_undo;
};

class CwdGuard {
public:
    explicit CwdGuard(const QString& folder);
    ~CwdGuard();

private:
    QString m_old;
};

// The build's binary folder (programs, libraries, plugins).
QString binDir();
// The checkout the build was configured from, or the one VELMORA_SOURCE_DIR names.
QString sourceDir();
// A file of the checkout by its relative path. When it is not there, `why` says so and names
// the variable to set; otherwise `why` is cleared.
QString sourceFile(const QString& relative, QString* why);

} // namespace testsupport
