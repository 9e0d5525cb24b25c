#pragma once
#include <QDialog>
#include <QTimer>

#include <memory>

#include "extensions/ProcessManager.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace ext {

class ProcessWindowControls;

// The progress window of a QPROCESSMANAGERCLASS: the percentage text, a bar from 1 to 100,
// "Pauza" (press again to go on) and "Prekid"; its timer drives the cycles.
class ProcessWindow : public QDialog {
    Q_OBJECT
public:
    enum Control { CancelButton = 1, PauseButton, ProgressBar, PercentText };
    ProcessWindow(QPROCESSMANAGERCLASS& process, const QString& title, const QString& completedText,
                  QWidget* parent = nullptr);
    ~ProcessWindow() override;
    QPushButton* pauseButton() const { return m_pause; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* bar() const { return m_bar; }
    QLabel* text() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class ProcessWindowControls;
    QPROCESSMANAGERCLASS& m_process;
    std::unique_ptr<ProcessWindowControls> m_controls;
    QTimer m_timer;
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_pause;
    QPushButton* m_cancel;
    bool m_opened = false;
};

} // namespace ext
