#pragma once
#include <QAbstractScrollArea>
#include <QIcon>
#include <QPointer>
#include <map>
#include <memory>

#include "chrome/TaskPanel.h"
#include "chrome/WindowParts.h"

class QAbstractButton;

// The task panel on screen: one layout pass gives what is painted, what the mouse hits and
// the scroll range; headers with a gradient title bar and an arrow, tasks underlined under
// the pointer, tooltips over the tasks, buttons mirrored by their tasks.
class TaskPanelView : public QAbstractScrollArea, public ptp::TaskPanelHost {
    Q_OBJECT
public:
    explicit TaskPanelView(POTASKPANELCLASS& panel, QWidget* parent = nullptr);
    ~TaskPanelView() override;

    // The window's buttons, for mirrored tasks; without them no task mirrors a button.
    void setButtons(std::unique_ptr<ButtonSource> buttons) { m_buttons = std::move(buttons); }
    // Icons by name (a file or a bundled drawing); without them tasks show none.
    void setIcons(std::unique_ptr<IconSource> icons) { m_icons = std::move(icons); }

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
    QAbstractButton* buttonOf(long control) const;

    POTASKPANELCLASS& m_panel;
    std::unique_ptr<ButtonSource> m_buttons;
    std::unique_ptr<IconSource> m_icons;
    ptp::TaskPanelLayout m_layout;
    std::map<long, QPointer<QAbstractButton>> m_mimics;
    bool m_laying = false;
    bool m_panelGone = false;
};
