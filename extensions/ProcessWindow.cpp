#include "extensions/ProcessWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ext {

ProcessWindow::ProcessWindow(QPROCESSMANAGERCLASS& process, const QString& title, const QString& completedText,
                             QWidget* parent)
    : QDialog(parent), m_process(process)
{
    setWindowTitle(title);
    m_text = new QLabel(this);
    m_bar = new QProgressBar(this);
    m_pause = new QPushButton(tr("Pauza"), this);
    m_pause->setCheckable(true);
    m_cancel = new QPushButton(tr("Prekid"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pause);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    auto& c = m_process.controls;
    c.text = [this](const QString& text) { m_text->setText(text); };
    c.range = [this](int low, int high) { m_bar->setRange(low, high); };
    c.progress = [this](int value) { m_bar->setValue(std::max(value, m_bar->minimum())); };
    c.setTimer = [this](int hundredths) {
        if (hundredths > 0)
            m_timer.start(hundredths * 10);
        else
            m_timer.stop();
    };
    c.timer = [this] { return m_timer.isActive() ? std::max(1, m_timer.interval() / 10) : 0; };
    c.closeWindow = [this] { accept(); };
    m_process.SETCONTROLS(completedText, ProgressBar, CancelButton, PercentText, PauseButton);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_TIMER); });
    connect(m_cancel, &QPushButton::clicked, this,
            [this] { m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_ACCEPTED, CancelButton); });
    connect(m_pause, &QPushButton::clicked, this, [this] {
        m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_ACCEPTED, PauseButton);
        m_pause->setChecked(m_process.ISPAUSED());
    });
}

void ProcessWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        m_process.OPEN();
    }
}

} // namespace ext
