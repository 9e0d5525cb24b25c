#include "procedures/backup/BackupWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <thread>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/backup/BackupRun.h"
#include "runtime/BrowseView.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Threads.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace notespass {

namespace {

constexpr int kBackupFormNumber = 1;

QString pickFolder(const QString& title, const QString& start)
{
    vrt::FileDialogArgs a;
    a.title = title;
    a.file = start;
    a.filter = QStringLiteral("All Files|*.*");
    a.flags = vrt::FILE_DIRECTORY;
    return vrt::fileDialog(a) ? vrt::normalizePath(a.file) : QString();
}

class BackupListWindow : public vrt::WindowManager {
public:
    explicit BackupListWindow(const FormEnv& env) : m_env(env) {}
    int run(int number, int request) override
    {
        if (number != kBackupFormNumber)
            return vrt::WindowManager::run(number, request);
        GLOBALREQUEST = uint8_t(request);
        return F_Backup(m_env);
    }

private:
    const FormEnv& m_env;
};

class FolderDialog : public vrt::UpdateDialog {
public:
    FolderDialog(vrt::UpdateFormController& c, const FormEnv& env)
        : vrt::UpdateDialog(c, QStringLiteral("Backup"), env.parent), m_env(env)
    {
        setObjectName(QStringLiteral("F_Backup"));
        auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
        auto* lookup = new QToolButton(this);
        lookup->setObjectName(QStringLiteral("?LOOKUPFILE"));
        lookup->setText(QStringLiteral("..."));
        lookup->setEnabled(c.editable());
        layout->insertWidget(layout->count() - 1, lookup, 0, Qt::AlignRight);
        entry(QStringLiteral("BKP:PUTANJA"))->setMaxLength(499);
        connect(lookup, &QToolButton::clicked, this, [this] { pick(); });
        setMinimumWidth(460);
    }
    void pick()
    {
        QLineEdit* path = entry(QStringLiteral("BKP:PUTANJA"));
        const QString chosen = pickFolder(m_env.tr(QStringLiteral("Directory")), path->text());
        if (!chosen.isEmpty())
            path->setText(chosen.left(499));
    }
    void accept() override
    {
        QLineEdit* path = entry(QStringLiteral("BKP:PUTANJA"));
        if (!path->isReadOnly()) {
            path->setText(storedBackupPath(path->text()));
            // An empty row would name the root of the disk.
            if (path->text().isEmpty()) {
                say(m_env, QStringLiteral("Putanja nije upisana !"), int(vrt::Icon::Hand));
                path->setFocus();
                return;
            }
        }
        vrt::UpdateDialog::accept();
    }

private:
    const FormEnv& m_env;
};

} // namespace

QString storedBackupPath(const QString& typed)
{
    QString p = typed.trimmed();
    if (p.size() > 1 && (p.endsWith(QLatin1Char('/')) || p.endsWith(QLatin1Char('\\'))))
        p.chop(1);
    return p;
}

bool ensureDataFolderRow(const QString& dataFolder)
{
    vrt::FileManager& f = Access(Tbl::Backup);
    Relate(Tbl::Backup).Open();
    // Compared as written: on Linux letter case names another folder.
    const QString wanted = storedBackupPath(dataFolder);
    bool found = false;
    f.clearBuffer();
    if (f.Set(BKP.IDKey) == 0)
        while (!found && f.Next() == 0)
            found = storedBackupPath(QString::fromStdString(BKP().PUTANJA)) == wanted;
    f.EndSequence();
    if (found)
        return true;
    f.clearBuffer();
    BKP().PUTANJA = wanted.toStdString();
    if (f.TryInsert() != 0) {
        vrt::stop(QStringLiteral("W_Backup Insert Current : ") + QString::number(f.ErrorCode()) + QStringLiteral(" : ")
                  + f.ErrorText());
        return false;
    }
    return true;
}

int F_Backup(const FormEnv& env)
{
    const int request = takeRequest();
    vrt::FileBrowseSource target(Access(Tbl::Backup), Relate(Tbl::Backup), {});
    vrt::UpdateFormController form(target, request, QStringLiteral("F_Backup"));
    prepare(form, env);
    form.setFields({{QStringLiteral("BKP:PUTANJA"), env.tr(QStringLiteral("Putanja:")),
                     [] { return QString::fromStdString(BKP().PUTANJA); },
                     [](const QString& v) { BKP().PUTANJA = fitted(v, 499); }}});
    FolderDialog dialog(form, env);
    if (request == vrt::INSERT_RECORD)
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.pick(); });
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

namespace {

class BackupDialog : public QDialog {
public:
    BackupDialog(const FormEnv& env, std::function<QDateTime()> clock)
        : QDialog(env.parent), m_env(env), m_clock(std::move(clock)), m_window(env),
          m_source(Access(Tbl::Backup), Relate(Tbl::Backup),
                   {{env.tr(QStringLiteral("Direktoriji koji se arhiviraju")), [] { return QString::fromStdString(BKP().PUTANJA); }},
                    {QStringLiteral("ID"), [] { return QString::number(BKP().ID); }}}),
          m_browse(m_source, &m_window)
    {
        setObjectName(QStringLiteral("W_Backup"));
        setWindowTitle(QStringLiteral("Backup"));
        m_source.addOrder({BKP.IDKey, {}, 0});
        m_browse.addOrder({QStringLiteral("ID"), -1});
        m_browse.setUpdateNumber(kBackupFormNumber);
        m_browse.setErrors(corvalde::ThreadManagersErrors());

        auto* layout = new QVBoxLayout(this);
        auto* destRow = new QHBoxLayout;
        destRow->addWidget(new QLabel(env.tr(QStringLiteral("Backup u direktorij:")), this));
        m_destination = new QLineEdit(this);
        m_destination->setObjectName(QStringLiteral("?BACKUPTODIR"));
        m_destination->setMaxLength(254);
        destRow->addWidget(m_destination, 1);
        auto* lookup = new QToolButton(this);
        lookup->setObjectName(QStringLiteral("?LOOKUPFILE"));
        lookup->setText(QStringLiteral("..."));
        destRow->addWidget(lookup);
        layout->addLayout(destRow);
        m_onStart = new QCheckBox(env.tr(QStringLiteral("Backup nakon pokretanja programa")), this);
        m_onStart->setObjectName(QStringLiteral("?BACKUPONSTART"));
        layout->addWidget(m_onStart);
        m_view = new vrt::BrowseView(m_browse, this);
        m_view->setObjectName(QStringLiteral("?List"));
        layout->addWidget(m_view, 1);
        layout->addWidget(new QLabel(env.tr(QStringLiteral("Direktoriji se arhiviraju sa svim poddirektorijima.")), this));
        auto* rowButtons = new QHBoxLayout;
        auto button = [this](QHBoxLayout* row, const char* name, const QString& text) {
            auto* b = new QPushButton(text, this);
            b->setObjectName(QLatin1String(name));
            row->addWidget(b);
            return b;
        };
        QPushButton* insert = button(rowButtons, "?INSERT", env.tr(QStringLiteral("Unos")));
        QPushButton* change = button(rowButtons, "?CHANGE", env.tr(QStringLiteral("Izmjena")));
        QPushButton* remove = button(rowButtons, "?DELETE", env.tr(QStringLiteral("Brisanje")));
        rowButtons->addStretch();
        layout->addLayout(rowButtons);
        m_progress = new QProgressBar(this);
        m_progress->setObjectName(QStringLiteral("?MN:PROGRESS"));
        m_progress->setRange(0, 100);
        m_progress->hide();
        layout->addWidget(m_progress);
        auto* bottom = new QHBoxLayout;
        m_zip = button(bottom, "?ZIP", env.tr(QStringLiteral("Backup sada")));
        bottom->addStretch();
        m_ok = button(bottom, "?OK", QStringLiteral("OK"));
        m_cancel = button(bottom, "?CANCEL", env.tr(QStringLiteral("&Prekid")));
        layout->addLayout(bottom);

        connect(lookup, &QToolButton::clicked, this, [this] {
            m_destination->setText(pickFolder(m_env.tr(QStringLiteral("Save to")), m_destination->text()).left(255));
        });
        auto update = [this](int request) {
            m_browse.ask(request);
            m_view->syncSelection();
        };
        connect(insert, &QPushButton::clicked, this, [update] { update(vrt::INSERT_RECORD); });
        connect(change, &QPushButton::clicked, this, [update] { update(vrt::CHANGE_RECORD); });
        connect(remove, &QPushButton::clicked, this, [update] { update(vrt::DELETE_RECORD); });
        connect(m_view, &QAbstractItemView::activated, this, [update] { update(vrt::CHANGE_RECORD); });
        connect(m_zip, &QPushButton::clicked, this, [this] { startBackup(); });
        connect(m_ok, &QPushButton::clicked, this, [this] { store(); });
        connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });

        vrt::IniFile ini(iniPath());
        m_destination->setText(ini.get(QStringLiteral("Backup"), QStringLiteral("Destination")));
        m_onStart->setChecked(ini.getInt(QStringLiteral("Backup"), QStringLiteral("OnStart"), 0) == 1);
        m_browse.resetFromView();
        m_view->horizontalHeader()->resizeSection(0, 420);
        m_view->horizontalHeader()->resizeSection(1, 0);
        VelmoraDll::restoreListLayout(m_view->horizontalHeader(), QStringLiteral("W_Backup"), QStringLiteral("?List"));
        resize(560, 400);
    }

    ~BackupDialog() override
    {
        if (m_worker.joinable()) { // never leaves a run behind
            m_run.cancel = true;
            m_worker.join();
        }
        VelmoraDll::saveListLayout(m_view->horizontalHeader(), QStringLiteral("W_Backup"), QStringLiteral("?List"));
    }

    void setAutoRun(bool on) { m_autoRun = on; }
    bool running() const { return m_worker.joinable(); }
    QString lastArchive() const { return m_lastArchive; }

    void startBackup()
    {
        if (running())
            return;
        const QString destination = m_destination->text().trimmed();
        if (destination.isEmpty() || !QFileInfo::exists(vrt::normalizePath(destination))) {
            say(m_env, QStringLiteral("Odaberite odredišni direktorij !"), int(vrt::Icon::Hand));
            return;
        }
        BackupPlan plan;
        plan.destination = destination;
        plan.dataFolder = m_env.dataFolder;
        plan.at = m_clock ? m_clock() : QDateTime::currentDateTime();
        for (const vrt::BrowseRow& row : m_browse.model().rows())
            if (!row.cells.isEmpty())
                plan.folders << row.cells[0];
        m_zip->setEnabled(false);
        m_ok->setEnabled(false);
        m_progress->setRange(0, 100);
        m_progress->setValue(0);
        m_progress->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_run.cancel = false;
        QPointer<BackupDialog> self(this);
        m_worker = vrt::startThread([this, self, plan] {
            const BackupResult result = m_run.run(plan);
            QMetaObject::invokeMethod(qApp, [self, result] {
                if (self)
                    self->finished(result);
            }, Qt::QueuedConnection);
        });
    }

    void reject() override
    {
        if (running()) { // Prekid during a run stops the run; the window stays
            m_run.cancel = true;
            return;
        }
        QDialog::reject();
    }

private:
    QString iniPath() const { return vrt::joinPath(m_env.dataFolder, QStringLiteral("Standard.ini")); }

    void finished(const BackupResult& result)
    {
        if (m_worker.joinable())
            m_worker.join();
        QApplication::restoreOverrideCursor();
        m_zip->setEnabled(true);
        m_ok->setEnabled(true);
        if (!result.ok) {
            m_progress->hide();
            QString text = m_env.tr(result.cancelled ? QStringLiteral("Backup je prekinut.") : QStringLiteral("Backup nije uspio:"));
            if (!result.cancelled)
                text += QLatin1Char('\n') + m_env.tr(result.reason) + QLatin1Char('\n') + result.detail;
            say(m_env, text.trimmed(), int(vrt::Icon::Hand));
            return;
        }
        m_lastArchive = result.archive;
        // What was missing is told even after a backup at start: the archive lacks it.
        if (!result.missing.isEmpty())
            say(m_env, m_env.tr(QStringLiteral("Backup je spremljen:")) + QLatin1Char('\n') + result.archive + QLatin1Char('\n')
                           + m_env.tr(QStringLiteral("Nije pronađeno i nije arhivirano:")) + QLatin1Char('\n')
                           + result.missing.join(QLatin1Char('\n')),
                int(vrt::Icon::Exclamation));
        else if (!m_autoRun)
            say(m_env, m_env.tr(QStringLiteral("Backup je spremljen:")) + QLatin1Char('\n') + result.archive,
                int(vrt::Icon::Information));
        accept();
    }

    void store()
    {
        if (m_destination->text().trimmed().isEmpty()) {
            say(m_env, QStringLiteral("Odredišni direktorij nije odabran !"), int(vrt::Icon::Hand));
            return;
        }
        vrt::IniFile ini(iniPath());
        const bool ok = ini.put(QStringLiteral("Backup"), QStringLiteral("Destination"), m_destination->text())
                        && ini.put(QStringLiteral("Backup"), QStringLiteral("OnStart"), m_onStart->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        if (!ok) {
            say(m_env, m_env.tr(QStringLiteral("Postavke nije moguće spremiti:")) + QLatin1Char('\n') + ini.errorString(),
                int(vrt::Icon::Hand));
            return;
        }
        accept();
    }

    const FormEnv& m_env;
    std::function<QDateTime()> m_clock;
    BackupListWindow m_window;
    vrt::FileBrowseSource m_source;
    vrt::Browse m_browse;
    QLineEdit* m_destination;
    QCheckBox* m_onStart;
    vrt::BrowseView* m_view;
    QProgressBar* m_progress;
    QPushButton* m_zip;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    // The run's progress goes to the bar on the window's thread.
    class BarSide : public DatabaseSide {
    public:
        explicit BarSide(BackupDialog* dialog) : m_dialog(dialog) {}
        void progress(int percent) override
        {
            QMetaObject::invokeMethod(qApp, [self = m_dialog, percent] {
                if (!self)
                    return;
                if (percent < 0) {
                    self->m_progress->setRange(0, 0); // the snapshot: busy, no percentage
                } else {
                    self->m_progress->setRange(0, 100);
                    self->m_progress->setValue(percent);
                }
            }, Qt::QueuedConnection);
        }

    private:
        QPointer<BackupDialog> m_dialog;
    };
    BarSide m_side{this};
    BackupRun m_run{m_side};
    std::thread m_worker;
    bool m_autoRun = false;
    QString m_lastArchive;
};

} // namespace

void W_Backup(const FormEnv& env, const QString& destination, std::function<QDateTime()> clock)
{
    takeRequest();
    if (!ensureDataFolderRow(env.dataFolder))
        return;
    BackupDialog dialog(env, std::move(clock));
    if (!destination.trimmed().isEmpty()) {
        dialog.setAutoRun(true);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.startBackup(); });
    }
    pxp::themeLibraryWindow(&dialog);
    vrt::runModal(dialog);
}

} // namespace notespass
