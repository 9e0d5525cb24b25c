#pragma once
#include <QIcon>
#include <QList>
#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <vector>

#include "procedures/common/TreeLists.h"

namespace VelmoraDll {

// Shows a tree queue in a tree view: a row's parent is the nearest row above it one level up,
// which the depth-first walk guarantees. The first column is NAZIV.
class TreeQueueModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role { LevelRole = Qt::UserRole + 1, IconRole, IdRole, ParentIdRole, PositionRole };

    explicit TreeQueueModel(QObject* parent = nullptr);

    // Takes a copy of the queue as it stands now.
    void setQueue(const TreeQueue& queue);
    const TreeQueue& queue() const { return m_rows; }
    // The queue position (0-based) of an index, -1 for the root.
    int position(const QModelIndex& index) const;
    QModelIndex indexOfPosition(int position) const;
    // Shows a new text for one row in place, keeping the view's selection.
    void setRowText(int position, const QString& text);
    // The icon a row shows; none unless set.
    std::function<QIcon(const TreeRow& row, int position)> iconOf;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The tree's icon list: a row shows entry ICON (from 1); none beyond the list.
    void setIcons(QList<QIcon> icons);

private:
    QList<QIcon> m_icons;
    TreeQueue m_rows;
    std::vector<int> m_parent;                 // per position: parent position, -1 for roots
    std::vector<int> m_rowInParent;            // per position: row among its siblings
    std::vector<std::vector<int>> m_children;  // per position + 1 (0: the roots)
};

} // namespace VelmoraDll
