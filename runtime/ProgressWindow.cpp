#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "runtime/Process.h"
#include "runtime/WindowManager.h"

namespace vrt {

namespace {
// A small window with the percentage and a cancel button. It keeps the events flowing while
// the process works; that counts as a modal loop, so windows' guarded timers wait for it.
class ProgressWindow : public ProgressSink {
public:
    ProgressWindow(const QString& title, const QString& cancelText)
        : m_title(title), m_cancelText(cancelText) {}

    void start(const QString& title) override
    {
        m_dialog = std::make_unique<QDialog>(QApplication::activeWindow());
        m_dialog->setWindowTitle(m_title);
        m_dialog->setObjectName(title);
        m_dialog->setModal(true);
        auto* layout = new QVBoxLayout(m_dialog.get());
        m_label = new QLabel(m_dialog.get());
        m_bar = new QProgressBar(m_dialog.get());
        m_bar->setRange(0, 100);
        auto* cancel = new QPushButton(m_cancelText, m_dialog.get());
        QObject::connect(cancel, &QPushButton::clicked, [this] { m_cancelled = true; });
        QObject::connect(m_dialog.get(), &QDialog::rejected, [this] { m_cancelled = true; });
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
        layout->addWidget(cancel);
        m_scope = std::make_unique<ModalScope>();
        m_dialog->show();
    }

    bool progress(int percent, long long done) override
    {
        if (percent != m_shown) { // repaint only when there is something new to show
            m_shown = percent;
            if (percent < 0) {
                m_bar->setRange(0, 0);
            } else {
                m_bar->setRange(0, 100);
                m_bar->setValue(percent);
            }
            m_label->setText(percent < 0 ? QString() : QStringLiteral("%1%").arg(percent));
        }
        QApplication::processEvents();
        return !m_cancelled;
    }

    void finish() override
    {
        if (m_dialog)
            m_dialog->hide();
        m_scope.reset();
        m_dialog.reset();
    }

private:
    QString m_title;
    QString m_cancelText;
    std::unique_ptr<QDialog> m_dialog;
    std::unique_ptr<ModalScope> m_scope;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    bool m_cancelled = false;
    int m_shown = -2;
};
} // namespace

std::unique_ptr<ProgressSink> makeProgressWindow(const QString& title, const QString& cancelText)
{
    return std::make_unique<ProgressWindow>(title, cancelText);
}

} // namespace vrt
