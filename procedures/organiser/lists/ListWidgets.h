#pragma once
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include "procedures/organiser/lists/OrganiserLists.h"
#include "runtime/BrowseLocatorView.h"

class QAbstractItemView;
class QMimeData;

// The widgets of the organiser lists: a table view over an OrganiserList, its delegate that
// turns row styles into fonts, and the drag of mails out of the mail list.
namespace organiser {

// Fonts of the row styles: the mail list's unread rows (style 1) are bold; in the task list,
// tasks not started (style 3) are bold and tasks under way (style 2) italic.
class ListStyleDelegate : public QStyledItemDelegate {
public:
    ListStyleDelegate(RowFill fill, QObject* parent) : QStyledItemDelegate(parent), m_fill(fill) {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    RowFill m_fill;
};

class OrganiserListView : public QTableView, private ColumnWidths {
    Q_OBJECT
public:
    OrganiserListView(OrganiserList& list, QWidget* parent = nullptr);
    ~OrganiserListView() override;
    OrganiserList& list() { return m_list; }
    // After the list read its rows or moved its selection outside the view.
    void syncSelection();
    // Typed letters go to the list's locator (typing after a pause starts a new text); Qt's own
    // search would ask the model for row after row of texts, which a lazy list has not read.
    void keyboardSearch(const QString&) override {}
    CFCQUEUELOCATORCLASS& locator() { return m_locator; }

signals:
    // The right button or Shift+F10; `globalPos` is where a menu opens.
    void menuRequested(QPoint globalPos);
    void rowActivated(int row);
    // The right button went down on a row (before the menu, which opens on release).
    void rightPressed(int row);
    // Insert and Delete in a list edited in place.
    void insertRequested();
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions actions) override;

private:
    // Hidden columns are sorted only once the user has widened them.
    int viewWidth(int column) override { return horizontalHeader()->sectionSize(column); }

    OrganiserList& m_list;
    bool m_syncing = false;
    CFCQUEUELOCATORCLASS m_locator;
};

// Mails dragged from the mail list carry their ids.
QMimeData* emailDragData(const QList<long>& ids);
QList<long> draggedEmails(const QMimeData* data);
inline const char* kEmailDragFormat = "application/x-velmora-emaildrag";

} // namespace organiser
