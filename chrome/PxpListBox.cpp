#include "chrome/PxpListBox.h"
#include "chrome/PxpRules.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTreeView>

using namespace pxp;

namespace {
QColor qcolor(COLORREF c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

QHeaderView* horizontalHeaderOf(QWidget* list)
{
    if (auto* tree = qobject_cast<QTreeView*>(list))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(list))
        return table->horizontalHeader();
    return nullptr;
}
} // namespace

bool PXPLISTBOXCLASS::SETXPLOREHEADER(QHeaderView* header)
{
    if (!header || !control())
        return false;
    m_xploreHeader = header;
    adopt(header);
    header->setAttribute(Qt::WA_Hover);
    header->viewport()->setAttribute(Qt::WA_Hover);
    header->viewport()->update();
    return true;
}

bool PXPLISTBOXCLASS::INIT(QWidget* control)
{
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view || qobject_cast<QHeaderView*>(control) || !openExtraTheme(QStringLiteral("Header")))
        return false;
    if (!PXPCONTROLCLASS::INIT(control, QStringLiteral("ListView")))
        return false;
    if (auto* table = qobject_cast<QTableView*>(view))
        SETLINEHEIGHT(listLineHeight(table->verticalHeader()->defaultSectionSize(), NDEFAULTLINEHEIGHT));
    m_header = horizontalHeaderOf(control);
    if (m_header) {
        adopt(m_header);
        // The header follows the mouse through hover events.
        m_header->setAttribute(Qt::WA_Hover);
        m_header->viewport()->setAttribute(Qt::WA_Hover);
    }
    return true;
}

void PXPLISTBOXCLASS::SETHOVERING(bool on)
{
    BHOVER = on;
    if (m_header)
        m_header->viewport()->update();
}

void PXPLISTBOXCLASS::SETLINEHEIGHT(long height)
{
    if (auto* table = qobject_cast<QTableView*>(control()); table && height > 0)
        table->verticalHeader()->setDefaultSectionSize(int(height));
}

void PXPLISTBOXCLASS::SETGROUP(int first, int count, const QString& text)
{
    if (count < 1)
        return;
    m_groups.append({first, count, text});
    // The header measures itself again for the band.
    if (m_header)
        m_header->headerDataChanged(Qt::Horizontal, first, first + count - 1);
}

const PXPLISTBOXCLASS::Group* PXPLISTBOXCLASS::groupOf(int section) const
{
    for (const Group& g : m_groups)
        if (section >= g.first && section < g.first + g.count)
            return &g;
    return nullptr;
}

int PXPLISTBOXCLASS::bandHeight() const
{
    if (m_groups.isEmpty() || !m_header)
        return 0;
    return QFontInfo(m_header->font()).pixelSize() + 6;
}

QSize PXPLISTBOXCLASS::styleSizeFromContents(QStyle::ContentsType type, const QStyleOption*, const QSize& size,
                                             const QWidget* widget) const
{
    // Group headings take a band above the headings.
    if (type != QStyle::CT_HeaderSection || widget != m_header || m_groups.isEmpty())
        return {};
    return QSize(size.width(), size.height() + bandHeight());
}

bool PXPLISTBOXCLASS::styleControl(QStyle::ControlElement element, const QStyleOption* option, QPainter* p,
                                   const QWidget* widget, const QStyle*)
{
    if (!m_header || widget != m_header)
        return false;
    if (element == QStyle::CE_HeaderEmptyArea) {
        drawPart(HTHEMEHDR(), *p, HP_HEADERITEM, 1, option->rect);
        return true;
    }
    const auto* h = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (!h || h->orientation != Qt::Horizontal)
        return false;
    // A style sheet's style draws a header's section and label one by one, others the
    // whole header at once: either way the cell is the section's own place.
    const QRect cell(m_header->sectionViewportPosition(h->section), h->rect.top(), m_header->sectionSize(h->section),
                     h->rect.height());
    switch (element) {
    case QStyle::CE_Header:
        drawSectionBack(*p, *h, cell);
        drawSectionLabel(*p, *h, cell);
        return true;
    case QStyle::CE_HeaderSection: drawSectionBack(*p, *h, cell); return true;
    case QStyle::CE_HeaderLabel: drawSectionLabel(*p, *h, cell); return true;
    default: return false;
    }
}

bool PXPLISTBOXCLASS::stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                     const QWidget* widget, const QStyle* base)
{
    // The sort arrow is drawn with the heading.
    if (widget == m_header && m_header && element == QStyle::PE_IndicatorHeaderArrow)
        return true;
    return PXPCONTROLCLASS::stylePrimitive(element, option, p, widget, base);
}

QRect PXPLISTBOXCLASS::itemRect(const QStyleOptionHeader& option, const QRect& cell) const
{
    QRect item = cell;
    if (groupOf(option.section))
        item.setTop(cell.top() + bandHeight());
    return item;
}

void PXPLISTBOXCLASS::drawSectionBack(QPainter& p, const QStyleOptionHeader& option, const QRect& cell)
{
    p.save();
    if (groupOf(option.section)) {
        // The group's band: one piece over all of its columns, the separators covered.
        const int band = bandHeight();
        drawPart(HTHEMEHDR(), p, HP_HEADERITEM, 1, QRect(cell.left(), cell.top(), cell.width(), band));
        const COLORREF fill = PGLOBAL->GETTHEMECOLOR(HTHEMEHDR(), HP_HEADERITEM, 1, TMT_FILLCOLOR);
        p.fillRect(QRect(cell.left(), cell.top(), cell.width(), band - 1), qcolor(fill));
    }
    const bool hovered = BHOVER && (option.state & QStyle::State_MouseOver);
    drawPart(HTHEMEHDR(), p, HP_HEADERITEM, hovered ? 2 : 1, itemRect(option, cell));
    p.restore();
}

void PXPLISTBOXCLASS::drawSectionLabel(QPainter& p, const QStyleOptionHeader& option, const QRect& cell)
{
    p.save();
    QFont font = m_header->font();
    font.setWeight(QFont::Normal);
    p.setFont(font);
    const int h = QFontInfo(font).pixelSize();
    const QRect item = itemRect(option, cell);
    if (const Group* group = groupOf(option.section)) {
        // The group's heading centred over all of its columns (each column draws its share)
        // and a rule beneath.
        const int band = bandHeight();
        const int left = m_header->sectionViewportPosition(group->first);
        int right = left;
        for (int s = group->first; s < group->first + group->count; ++s)
            right += m_header->isSectionHidden(s) ? 0 : m_header->sectionSize(s);
        p.setClipRect(cell, Qt::IntersectClip);
        p.setPen(option.palette.color(QPalette::ButtonText));
        p.drawText(QRect(left, cell.top() + 2, right - left - 4, h + 2), Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(group->text, Qt::ElideRight, right - left - 4));
        if (!group->text.isEmpty()) {
            p.setPen(QPen(qcolor(GROUP_RULE), 0));
            const int y = cell.top() + band - 3;
            p.drawLine(std::max(left + 3, cell.left()), y, std::min(right - 2, cell.right()), y);
        }
        p.setClipping(false);
    }

    SortMarker marker = parseSortMarker(option.text);
    if (marker.direction == SORT_NONE && option.sortIndicator != QStyleOptionHeader::None)
        marker.direction = option.sortIndicator == QStyleOptionHeader::SortDown ? SORT_ASCENDING : SORT_DESCENDING;
    const bool aligned = option.textAlignment & (Qt::AlignRight | Qt::AlignHCenter);
    QRect text = item;
    if (text.height() >= h + 2 + 2)
        text.translate(0, 1);
    text.adjust(aligned ? -2 : 3, 0, -2, 0);
    const int side = h + 4;
    if (marker.direction != SORT_NONE) {
        // The arrow's square ends 2 pixels left of the cell's right edge.
        const QRect square(item.right() - 2 - side + 1, item.top() + (item.height() - side) / 2, side, side);
        const QPointF c = QRectF(square).center();
        const qreal r = side / 4.0;
        QPolygonF tri;
        if (marker.direction == SORT_ASCENDING)
            tri << QPointF(c.x() - r, c.y() + r / 2) << QPointF(c.x() + r, c.y() + r / 2) << QPointF(c.x(), c.y() - r / 2 - 1);
        else // the descending arrow sits 2 pixels higher
            tri << QPointF(c.x() - r, c.y() - r / 2) << QPointF(c.x() + r, c.y() - r / 2) << QPointF(c.x(), c.y() + r / 2 + 1);
        p.setPen(Qt::NoPen);
        p.setBrush(qcolor(SORT_ARROW));
        p.drawPolygon(tri);
        if (!(option.textAlignment & Qt::AlignRight) || text.right() > square.left())
            text.setRight(std::min(text.right(), square.left() - 1));
    }
    if (!marker.text.isEmpty()) {
        p.setPen(option.palette.color(option.state & QStyle::State_Enabled ? QPalette::Active : QPalette::Disabled,
                                      QPalette::ButtonText));
        const Qt::Alignment horizontal = option.textAlignment & Qt::AlignHorizontal_Mask;
        p.drawText(text, int(horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(marker.text, Qt::ElideRight, std::max(0, text.width())));
    }
    p.restore();
}
