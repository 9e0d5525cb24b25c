#include "shell/StartupProbe.h"

#include "runtime/Browse.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace shell {

namespace {

class Probe : public QObject {
public:
    Probe()
    {
        m_clock.start();
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_paintMs < 0 && event->type() == QEvent::Paint && watched->isWidgetType()) {
            // The organiser window (or a widget on it) painted: the user sees the program.
            for (const QWidget* w = static_cast<QWidget*>(watched); w; w = w->parentWidget())
                if (w->inherits("organiser::OrganiserWindow")) {
                    m_paintMs = m_clock.elapsed();
                    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                            &Probe::idle, Qt::UniqueConnection);
                    break;
                }
        }
        return false;
    }

private:
    void idle()
    {
        if (vrt::Browse::pendingReads() > 0)
            return;
        std::printf("velmora-startup: painted %lld ms, idle %lld ms, list reads %llu\n", m_paintMs,
                    (long long)m_clock.elapsed(), (unsigned long long)vrt::Browse::totalReads());
        std::fflush(stdout);
        // Nothing is saved: the folder stays as it was for the next start.
        _exit(0);
    }

    QElapsedTimer m_clock;
    qint64 m_paintMs = -1;
};

} // namespace

void installStartupProbe()
{
    if (qEnvironmentVariableIsEmpty("VELMORA_STARTUP_PROBE"))
        return;
    new Probe; // lives until the program ends
}

} // namespace shell
