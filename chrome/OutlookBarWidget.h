#pragma once
#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

#include "chrome/OutlookBar.h"

class QAbstractButton;
class QScrollBar;

// The Outlook-style bar on screen: flat or gradient group buttons, the open group's tasks as
// large icons with the caption below or small ones with it beside, a highlight under the
// pointer, its own scroll bar by task rows, buttons mirrored by their tasks.
class OutlookBarWidget : public QWidget {
    Q_OBJECT
public:
    explicit OutlookBarWidget(POOUTLOOKBARCLASS& bar, QWidget* parent = nullptr);

    // An icon by its resource name ("MAIL_ICO"); the null icon when there is none.
    std::function<QIcon(const QString& name)> iconOf;
    // The button of a control number, for mirrored tasks.
    std::function<QAbstractButton*(long control)> buttonOf;

    void refresh();
    void attachMimic(long control);
    const pob::BarLayout& layout() const { return m_layout; }
    QScrollBar* scrollBar() const { return m_scroll; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void relayout();
    void scrollAction(int action);
    void drawHeader(QPainter& p, const pob::HEADERQ& h, const pob::BarLayout::Band& band);
    void drawTask(QPainter& p, const pob::HEADERQ& h, const pob::TASKQ& t, const pob::BarLayout::Row& row);

    POOUTLOOKBARCLASS& m_bar;
    pob::BarLayout m_layout;
    QScrollBar* m_scroll;
    std::map<long, QPointer<QAbstractButton>> m_mimics;
    bool m_laying = false;
};
