#pragma once
#include <QDialog>
#include <QTimer>

#include "extensions/ProcessManager.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace ext {

// The progress window of a QPROCESSMANAGERCLASS: the percentage text, a bar from 1 to 100,
// "Pauza" (press again to go on) and "Prekid"; its timer drives the cycles.
class ProcessWindow : public QDialog {
    Q_OBJECT
public:
    enum Control { CancelButton = 1, PauseButton, ProgressBar, PercentText };
    ProcessWindow(QPROCESSMANAGERCLASS& process, const QString& title, const QString& completedText,
                  QWidget* parent = nullptr);
    QPushButton* pauseButton() const { return m_pause; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* bar() const { return m_bar; }
    QLabel* text() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPROCESSMANAGERCLASS& m_process;
    QTimer m_timer;
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_pause;
    QPushButton* m_cancel;
    bool m_opened = false;
};

} // namespace ext
