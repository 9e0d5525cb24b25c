#include "extensions/ProcessWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ext {

// The window's text, bar and timer as the process drives them.
class ProcessWindowControls : public ProcessControls {
public:
    explicit ProcessWindowControls(ProcessWindow& window) : w(window) {}
    void text(const QString& text) override { w.m_text->setText(text); }
    void range(int low, int high) override { w.m_bar->setRange(low, high); }
    void progress(int value) override { w.m_bar->setValue(std::max(value, w.m_bar->minimum())); }
    void setTimer(int hundredths) override
    {
        if (hundredths > 0)
            w.m_timer.start(hundredths * 10);
        else
            w.m_timer.stop();
    }
    int timer() override { return w.m_timer.isActive() ? std::max(1, w.m_timer.interval() / 10) : 0; }
    void closeWindow() override { w.accept(); }

private:
    ProcessWindow& w;
};

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

    m_controls = std::make_unique<ProcessWindowControls>(*this);
    m_process.setControls(m_controls.get());
    m_process.SETCONTROLS(completedText, ProgressBar, CancelButton, PercentText, PauseButton);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_TIMER); });
    connect(m_cancel, &QPushButton::clicked, this,
            [this] { m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_ACCEPTED, CancelButton); });
    connect(m_pause, &QPushButton::clicked, this, [this] {
        m_process.TAKEEVENT(QPROCESSMANAGERCLASS::EVENT_ACCEPTED, PauseButton);
        m_pause->setChecked(m_process.ISPAUSED());
    });
}

ProcessWindow::~ProcessWindow()
{
    if (m_process.controls() == m_controls.get())
        m_process.setControls(nullptr);
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
