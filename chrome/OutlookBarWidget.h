#pragma once
#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "chrome/OutlookBar.h"
#include "chrome/WindowParts.h"

class QAbstractButton;
class QScrollBar;

// The Outlook-style bar on screen: flat or gradient group buttons, the open group's tasks as
// large icons with the caption below or small ones with it beside, a highlight under the
// pointer, its own scroll bar by task rows, buttons mirrored by their tasks.
class OutlookBarWidget : public QWidget, public pob::OutlookBarHost {
    Q_OBJECT
public:
    explicit OutlookBarWidget(POOUTLOOKBARCLASS& bar, QWidget* parent = nullptr);
    ~OutlookBarWidget() override;

    // Icons by resource name ("MAIL_ICO"); without them groups and tasks show none.
    void setIcons(std::unique_ptr<IconSource> icons) { m_icons = std::move(icons); }
    // The window's buttons, for mirrored tasks; without them no task mirrors a button.
    void setButtons(std::unique_ptr<ButtonSource> buttons) { m_buttons = std::move(buttons); }

    // The bar's host.
    void refresh() override;
    void postAccepted(long control) override;
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

    QAbstractButton* buttonOf(long control) const { return m_buttons ? m_buttons->buttonOf(control) : nullptr; }

    POOUTLOOKBARCLASS& m_bar;
    std::unique_ptr<IconSource> m_icons;
    std::unique_ptr<ButtonSource> m_buttons;
    pob::BarLayout m_layout;
    QScrollBar* m_scroll;
    std::map<long, QPointer<QAbstractButton>> m_mimics;
    bool m_laying = false;
};
