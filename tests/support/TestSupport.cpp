#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <QDialog>
#include "runtime/PopupMenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>

namespace testsupport {
namespace {
QString g_root;
std::shared_ptr<ScriptedPresenter> g_presenter;
} // namespace

void isolateEnvironment()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/velmora-test-XXXXXX"));
    root.setAutoRemove(true);
    g_root = root.path();
    QDir().mkpath(g_root + QStringLiteral("/home"));
    QDir().mkpath(g_root + QStringLiteral("/config"));
    QDir().mkpath(g_root + QStringLiteral("/odbc"));
    qputenv("HOME", (g_root + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (g_root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("ODBCSYSINI", (g_root + QStringLiteral("/odbc")).toLocal8Bit());
    qputenv("ODBCINI", (g_root + QStringLiteral("/odbc/odbc.ini")).toLocal8Bit());
    QFile(g_root + QStringLiteral("/odbc/odbc.ini")).open(QIODevice::WriteOnly);
    QFile(g_root + QStringLiteral("/odbc/odbcinst.ini")).open(QIODevice::WriteOnly);
}

QString isolatedRoot() { return g_root; }

bool registerOdbcDriver(QString* why)
{
    const QString odbcDir = g_root + QStringLiteral("/odbc");
    const char* candidates[] = {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                                "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                                "/usr/lib/odbc/libsqlite3odbc.so"};
    QString driver;
    for (const char* c : candidates)
        if (QFile::exists(QString::fromLatin1(c)))
            driver = QString::fromLatin1(c);
    if (driver.isEmpty()) {
        if (why)
            *why = QStringLiteral("libsqliteodbc is not installed");
        return false;
    }
    QFile f(odbcDir + QStringLiteral("/odbcinst.ini"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (why)
            *why = f.errorString();
        return false;
    }
    f.write(QStringLiteral("[SQLite3 ODBC Driver]\nDescription=SQLite3 ODBC Driver\nDriver=%1\nSetup=%1\nUsageCount=1\n")
                .arg(driver).toUtf8());
    return true;
}

int ScriptedPresenter::message(const vrt::MessageArgs& a)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("message"), a.text, a.caption, a.buttons});
    if (!m_buttons.empty()) {
        const int b = m_buttons.front();
        m_buttons.pop_front();
        return b;
    }
    return a.defaultButton ? a.defaultButton : vrt::BUTTON_OK;
}

bool ScriptedPresenter::stop(const QString& text)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("stop"), text, {}, 0});
    if (!m_stops.empty()) {
        const bool b = m_stops.front();
        m_stops.pop_front();
        return b;
    }
    return true;
}

void ScriptedPresenter::halt(int code, const QString& text)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("halt"), text, QString::number(code), 0});
}

bool ScriptedPresenter::colorDialog(const QString& title, QColor&)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("color"), title, {}, 0});
    return false;
}

bool ScriptedPresenter::fileDialog(vrt::FileDialogArgs& a)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("file"), a.title, a.file, a.flags});
    if (!m_files.empty()) {
        a.file = m_files.front();
        m_files.pop_front();
        return true;
    }
    return false;
}

bool ScriptedPresenter::fontDialog(const QString& title, QFont&)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("font"), title, {}, 0});
    return false;
}

bool ScriptedPresenter::printerDialog(const QString& title)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.push_back({QStringLiteral("printer"), title, {}, 0});
    return false;
}

void ScriptedPresenter::queueButton(int b) { std::lock_guard<std::mutex> l(m_mutex); m_buttons.push_back(b); }
void ScriptedPresenter::queueStop(bool goOn) { std::lock_guard<std::mutex> l(m_mutex); m_stops.push_back(goOn); }
void ScriptedPresenter::queueFile(const QString& f) { std::lock_guard<std::mutex> l(m_mutex); m_files.push_back(f); }

std::vector<ScriptedPresenter::Call> ScriptedPresenter::calls() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_calls;
}

QStringList ScriptedPresenter::texts() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    QStringList out;
    for (const Call& c : m_calls)
        out << c.text;
    return out;
}

QStringList ScriptedPresenter::takeTexts()
{
    const QStringList out = texts();
    clear();
    return out;
}

std::vector<ScriptedPresenter::Call> ScriptedPresenter::calls(const QString& kind) const
{
    std::lock_guard<std::mutex> l(m_mutex);
    std::vector<Call> out;
    for (const Call& c : m_calls)
        if (c.kind == kind)
            out.push_back(c);
    return out;
}

void ScriptedPresenter::clear()
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_calls.clear();
    m_buttons.clear();
    m_stops.clear();
    m_files.clear();
}

ScriptedPresenter& presenter() { return *g_presenter; }

void installScriptedPresenter()
{
    if (!g_presenter)
        g_presenter = std::make_shared<ScriptedPresenter>();
    vrt::setPresenter(g_presenter);
}

TempFolder::TempFolder() : m_dir(QDir::tempPath() + QStringLiteral("/velmora-XXXXXX")) {}

QString TempFolder::file(const QString& name) const { return m_dir.filePath(name); }

void TempFolder::write(const QString& name, const QByteArray& content) const
{
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CwdGuard::CwdGuard(const QString& folder) : m_old(QDir::currentPath())
{
    QDir::setCurrent(folder);
}

CwdGuard::~CwdGuard() { QDir::setCurrent(m_old); }

QString binDir()
{
    const QString env = qEnvironmentVariable("VELMORA_BIN_DIR");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() : env;
}

QString sourceDir()
{
    // The build names the checkout it was configured from; the variable may point elsewhere.
    const QString env = qEnvironmentVariable("VELMORA_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(VELMORA_SOURCE_TREE) : env;
}

QString sourceFile(const QString& relative, QString* why)
{
    const QString dir = sourceDir();
    const QString path = dir + QLatin1Char('/') + relative;
    if (dir.isEmpty())
        *why = QStringLiteral("the source folder is not known: set VELMORA_SOURCE_DIR to the checkout");
    else if (!QFileInfo::exists(path))
        *why = QStringLiteral("%1 is not under %2: set VELMORA_SOURCE_DIR to the checkout").arg(relative, dir);
    else
        why->clear();
    return path;
}

namespace {
std::mutex g_modalMutex;
QStringList g_modalLog;
} // namespace

void installNonBlockingRunners()
{
    vrt::setDialogRunner([](QDialog& dialog) {
        std::lock_guard lock(g_modalMutex);
        g_modalLog << QString::fromLatin1(dialog.metaObject()->className());
        return int(QDialog::Rejected);
    });
    vrt::PopupMenu::setRunner([](const vrt::PopupMenu&, QPoint, QWidget*) {
        std::lock_guard lock(g_modalMutex);
        g_modalLog << QStringLiteral("PopupMenu");
        return 0;
    });
}

QStringList modalLog()
{
    std::lock_guard lock(g_modalMutex);
    return g_modalLog;
}

void clearModalLog()
{
    std::lock_guard lock(g_modalMutex);
    g_modalLog.clear();
}

ScopedDialogRunner::ScopedDialogRunner(vrt::DialogRunner runner)
    : m_previous(vrt::setDialogRunner(std::move(runner)))
{
}

ScopedDialogRunner::~ScopedDialogRunner() { vrt::setDialogRunner(std::move(m_previous)); }

bool waitFor(const std::function<bool()>& condition, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace testsupport
