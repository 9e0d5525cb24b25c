#pragma once
#include "chrome/ControlPainter.h"

#include <QList>

class QHeaderView;
class QStyleOptionHeader;

// Lists that do not drop down: a one-pixel "ListView" frame and a header drawn with "Header"
// items: headings in their alignment with the sort marker of their text read off as an arrow,
// group headings over several columns with a rule beneath, and the heading under the mouse lit.
class PXPLISTBOXCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    bool INIT(QWidget* control);

    // 1: the heading under the mouse is lit.
    void SETHOVERING(bool on);
    bool BHOVER = true;
    // Line height given by the window painter; a list's own height of 9 or less gives way to it.
    long NDEFAULTLINEHEIGHT = 0;
    // Sets the list's line height (rows of a table view).
    void SETLINEHEIGHT(long height);
    // A group heading over `count` columns from logical column `first`.
    void SETGROUP(int first, int count, const QString& text);
    pxp::HTHEME HTHEMEHDR() const { return extraTheme(0); }
    QHeaderView* header() const { return m_header; }
    // A heading control of its own (beside the list, not the list's header): it is drawn as
    // the list's header is. False when it is null or the list has no painter yet.
    bool SETXPLOREHEADER(QHeaderView* header);
    QHeaderView* NXPLOREHEADER() const { return m_xploreHeader; }

    // The rule under a group heading, and the sort arrows.
    static constexpr pxp::COLORREF GROUP_RULE = pxp::rgb(199, 197, 178);
    static constexpr pxp::COLORREF SORT_ARROW = pxp::rgb(170, 170, 170);

    bool styleControl(QStyle::ControlElement element, const QStyleOption* option, QPainter* p,
                      const QWidget* widget, const QStyle* base) override;
    bool stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                        const QWidget* widget, const QStyle* base) override;
    QSize styleSizeFromContents(QStyle::ContentsType type, const QStyleOption* option, const QSize& size,
                                const QWidget* widget) const override;

protected:
    long stateFor(const pxp::ControlFlags&) const override { return 1; }

private:
    struct Group {
        int first = 0, count = 0;
        QString text;
    };
    const Group* groupOf(int section) const;
    int bandHeight() const;
    QRect itemRect(const QStyleOptionHeader& option, const QRect& cell) const;
    void drawSectionBack(QPainter& p, const QStyleOptionHeader& option, const QRect& cell);
    void drawSectionLabel(QPainter& p, const QStyleOptionHeader& option, const QRect& cell);

    QHeaderView* m_header = nullptr;
    QHeaderView* m_xploreHeader = nullptr;
    QList<Group> m_groups;
};
