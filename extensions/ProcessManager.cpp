#include "extensions/ProcessManager.h"

namespace ext {

void QPROCESSMANAGERCLASS::INIT()
{
    PROGRESSPAUSED = false;
    PROGRESSCANCELLED = false;
}

void QPROCESSMANAGERCLASS::defaults()
{
    if (RECORDSPERCYCLE == 0)
        RECORDSPERCYCLE = 1;
    if (LOW == 0)
        LOW = 1;
    if (HIGH == 0)
        HIGH = 100;
    if (TIMER == 0)
        TIMER = 10;
}

void QPROCESSMANAGERCLASS::SETDEFAULT()
{
    defaults();
    PROGRESSCANCELLED = false;
    RECORDSPROCESSED = 0;
    RECORDSTOPROCESS = 0;
    CLOSEWINDOWATEND = true;
}

void QPROCESSMANAGERCLASS::RESET()
{
    defaults();
    PROGRESSCANCELLED = false;
    RECORDSPROCESSED = 0;
    showProgress();
}

void QPROCESSMANAGERCLASS::RUN()
{
    SETDEFAULT();
    RECORDSTOPROCESS = GETRECORDSTOPROCESS();
    showProgress();
}

void QPROCESSMANAGERCLASS::OPEN()
{
    if (!m_controls)
        return;
    if (CONTROLPROGRESS)
        m_controls->range(1, 100);
    if (!PROGRESSCANCELLED && !PROGRESSPAUSED)
        m_controls->setTimer(TIMER);
}

void QPROCESSMANAGERCLASS::SETCONTROLS(const QString& completedText, int progress, int cancel, int text, int pause)
{
    SETCONTROLPROGRESS(progress);
    SETCONTROLCANCEL(cancel);
    SETCONTROLTEXT(text);
    SETCONTROLPAUSE(pause);
    SETCOMPLETEDTEXT(completedText);
}

int QPROCESSMANAGERCLASS::GETPORCENTILE() const
{
    // Nothing to process is 0 %, not a division by zero.
    if (RECORDSTOPROCESS <= 0)
        return 0;
    return int(qint64(RECORDSPROCESSED) * 100 / RECORDSTOPROCESS);
}

void QPROCESSMANAGERCLASS::showProgress()
{
    if (!m_controls)
        return;
    const int percent = GETPORCENTILE();
    if (CONTROLPTEXT) {
        QString completed = COMPLETEDTEXT;
        while (completed.endsWith(QLatin1Char(' ')))
            completed.chop(1);
        m_controls->text(QString::number(percent) + QStringLiteral("% ") + completed);
    }
    if (CONTROLPROGRESS)
        m_controls->progress(percent);
}

void QPROCESSMANAGERCLASS::endWindow()
{
    if (!m_controls)
        return;
    m_controls->setTimer(0);
    if (CLOSEWINDOWATEND)
        m_controls->closeWindow();
}

void QPROCESSMANAGERCLASS::ASK()
{
    if (PROGRESSCANCELLED || PROGRESSPAUSED)
        return;
    for (int i = 0; i < RECORDSPERCYCLE; ++i) {
        if (!NEXT()) {
            if (GETEOF()) {
                if (RECORDSPROCESSED == 0)
                    TAKENORECORDS();
                else
                    TAKECOMPLETED();
            } else {
                TAKECANCELLED();
            }
            CLOSE();
            PROGRESSCANCELLED = true;
            return;
        }
        ++RECORDSPROCESSED;
        if (VALIDATERECORD() == 0)
            TAKERECORD();
        showProgress();
    }
}

bool QPROCESSMANAGERCLASS::TAKEEVENT(int event, int control)
{
    if (event == EVENT_ACCEPTED && CONTROLCANCEL && control == CONTROLCANCEL && !PROGRESSCANCELLED) {
        PROGRESSCANCELLED = true;
        TAKECANCELLED();
        CLOSE();
    } else if (event == EVENT_ACCEPTED && CONTROLPAUSE && control == CONTROLPAUSE && !PROGRESSCANCELLED) {
        if (!PROGRESSPAUSED) {
            SETPAUSE(true);
            if (m_controls)
                m_controls->setTimer(0); // no ticks while paused
            TAKEPAUSED();
        } else {
            SETPAUSE(false); // a second press goes on
        }
    } else if (event == EVENT_TIMER && !PROGRESSCANCELLED && !PROGRESSPAUSED) {
        ASK();
    }
    if (m_controls && m_controls->timer() == 0 && !PROGRESSCANCELLED && !PROGRESSPAUSED)
        m_controls->setTimer(TIMER);
    return false;
}

} // namespace ext
