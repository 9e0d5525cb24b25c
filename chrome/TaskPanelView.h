#pragma once
#include <QAbstractScrollArea>
#include <QIcon>
#include <QPointer>
#include <functional>
#include <map>

#include "chrome/TaskPanel.h"

class QAbstractButton;

// The task panel on screen: one layout pass gives what is painted, what the mouse hits and
// the scroll range; headers with a gradient title bar and an arrow, tasks underlined under
// the pointer, tooltips over the tasks, buttons mirrored by their tasks.
class TaskPanelView : public QAbstractScrollArea, public ptp::TaskPanelHost {
    Q_OBJECT
public:
    explicit TaskPanelView(POTASKPANELCLASS& panel, QWidget* parent = nullptr);
    ~TaskPanelView() override;

    // The button of a control number, for mirrored tasks.
    std::function<QAbstractButton*(long control)> buttonOf;
    // An icon by its name (a file or a bundled drawing); the null icon when there is none.
    std::function<QIcon(const QString& name)> iconOf;

    POTASKPANELCLASS& panel() { return m_panel; }
    const ptp::TaskPanelLayout& layout() const { return m_layout; }
    int contentHeight() const { return m_layout.height; }

    void refresh() override;
    void attachMimic(long control) override;
    void detachMimic(long control) override;
    void postAccepted(long control) override;
    void panelGone() override { m_panelGone = true; }

    QFont headerFont() const;
    QFont taskFont(bool bold, bool hovered) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void relayout();
    void readMimics();
    void scrollAction(int action);
    void drawHeader(QPainter& p, const ptp::HEADERQ& h, const QRect& band);
    void drawTask(QPainter& p, const ptp::HEADERQ& h, const ptp::TASKQ& t, const ptp::TaskPanelLayout::Row& row);
    void drawArrow(QPainter& p, const QRect& r, const ptp::HEADERQ& h);
    QIcon icon(const QString& name) const;

    POTASKPANELCLASS& m_panel;
    ptp::TaskPanelLayout m_layout;
    std::map<long, QPointer<QAbstractButton>> m_mimics;
    bool m_laying = false;
    bool m_panelGone = false;
};
