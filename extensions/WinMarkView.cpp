#include "extensions/WinMarkView.h"

#include "runtime/BrowseView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace ext {

WinMarkView::WinMarkView(vrt::BrowseView& view, WINMARKCLASS& marks) : QObject(&view), m_view(view), m_marks(marks)
{
    m_view.setItemDelegate(new WinMarkDelegate(marks, this));
    m_view.installEventFilter(this);
    m_view.viewport()->installEventFilter(this);
    m_marks.setWatcher(this);
    vrt::Browse& browse = m_view.browse();
    browse.popup().addItem(QStringLiteral("Označi sve"), QStringLiteral("MarkAll"), [this] {
        m_marks.MARKALL();
        m_view.syncSelection();
    });
    browse.popup().addItem(QStringLiteral("Obriši označene"), QStringLiteral("DeleteMarked"), [this] {
        m_marks.DELETEMARKEDRECORDS();
        m_view.syncSelection();
    });
}

void WinMarkView::changed()
{
    m_view.viewport()->update();
}

WinMarkView::~WinMarkView()
{
    m_marks.setWatcher(nullptr);
}

int WinMarkView::pageRows() const
{
    const int height = m_view.verticalHeader()->defaultSectionSize();
    return height > 0 ? std::max(1, m_view.viewport()->height() / height - 1) : 10;
}

bool WinMarkView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view.viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const int row = m_view.rowAt(mouse->position().toPoint().y());
        if (row < 0)
            return false;
        m_marks.click(row, mouse->modifiers());
        m_view.syncSelection();
        m_view.setFocus();
        return true; // the view's own selection would only follow the click
    }
    if (watched == &m_view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && m_marks.MARKQ.size() > 0) {
            m_marks.DELETEMARKEDRECORDS();
            m_view.syncSelection();
            return true;
        }
        if (m_marks.takeKey(key->key(), key->modifiers(), pageRows())) {
            m_view.syncSelection();
            return true;
        }
    }
    return false;
}

void WinMarkDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_marks.SETQUEUERECORD(index.row()))
        option->state |= QStyle::State_Selected;
    else
        option->state &= ~QStyle::State_Selected;
}

} // namespace ext
