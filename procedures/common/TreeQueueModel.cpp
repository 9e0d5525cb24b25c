#include "procedures/common/TreeQueueModel.h"

namespace VelmoraDll {

TreeQueueModel::TreeQueueModel(QObject* parent) : QAbstractItemModel(parent) { m_children.resize(1); }

void TreeQueueModel::setQueue(const TreeQueue& queue)
{
    beginResetModel();
    m_rows = queue;
    const int n = static_cast<int>(m_rows.size());
    m_parent.assign(static_cast<size_t>(n), -1);
    m_rowInParent.assign(static_cast<size_t>(n), 0);
    m_children.assign(static_cast<size_t>(n) + 1, {});
    std::vector<int> lastAtLevel; // lastAtLevel[l] = latest position seen at level l + 1
    for (int i = 0; i < n; ++i) {
        const int level = std::max(1, m_rows[static_cast<size_t>(i)].LEVEL);
        // A level that jumps (a queue built by hand) hangs under the deepest row above it.
        const int parentLevel = std::min(level - 1, static_cast<int>(lastAtLevel.size()));
        const int parent = parentLevel == 0 ? -1 : lastAtLevel[static_cast<size_t>(parentLevel - 1)];
        m_parent[static_cast<size_t>(i)] = parent;
        auto& siblings = m_children[static_cast<size_t>(parent + 1)];
        m_rowInParent[static_cast<size_t>(i)] = static_cast<int>(siblings.size());
        siblings.push_back(i);
        lastAtLevel.resize(static_cast<size_t>(parentLevel + 1));
        lastAtLevel[static_cast<size_t>(parentLevel)] = i;
    }
    endResetModel();
}

int TreeQueueModel::position(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

QModelIndex TreeQueueModel::indexOfPosition(int pos) const
{
    if (pos < 0 || pos >= static_cast<int>(m_rows.size()))
        return {};
    return createIndex(m_rowInParent[static_cast<size_t>(pos)], 0, static_cast<quintptr>(pos));
}

QModelIndex TreeQueueModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const int p = position(parent);
    const auto& siblings = m_children[static_cast<size_t>(p + 1)];
    if (row >= static_cast<int>(siblings.size()))
        return {};
    return createIndex(row, 0, static_cast<quintptr>(siblings[static_cast<size_t>(row)]));
}

QModelIndex TreeQueueModel::parent(const QModelIndex& child) const
{
    const int p = position(child);
    return p < 0 ? QModelIndex() : indexOfPosition(m_parent[static_cast<size_t>(p)]);
}

int TreeQueueModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(m_children[static_cast<size_t>(position(parent) + 1)].size());
}

int TreeQueueModel::columnCount(const QModelIndex&) const { return 1; }

void TreeQueueModel::setRowText(int position, const QString& text)
{
    if (position < 0 || size_t(position) >= m_rows.size() || m_rows[size_t(position)].NAZIV == text)
        return;
    m_rows[size_t(position)].NAZIV = text;
    const QModelIndex at = indexOfPosition(position);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

QVariant TreeQueueModel::data(const QModelIndex& index, int role) const
{
    const int p = position(index);
    if (p < 0)
        return {};
    const TreeRow& r = m_rows[static_cast<size_t>(p)];
    switch (role) {
    case Qt::DisplayRole:
        return r.NAZIV;
    case Qt::DecorationRole:
        // A tree's own icon hook wins over its numbered icons.
        if (iconOf)
            return QVariant(iconOf(r, p));
        return r.ICON >= 1 && r.ICON <= m_icons.size() ? QVariant(m_icons[r.ICON - 1]) : QVariant();
    case LevelRole:
        return r.LEVEL;
    case IconRole:
        return r.ICON;
    case IdRole:
        return r.ID;
    case ParentIdRole:
        return r.RODITELJ;
    case PositionRole:
        return p;
    default:
        return {};
    }
}

void TreeQueueModel::setIcons(QList<QIcon> icons)
{
    m_icons = std::move(icons);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

} // namespace VelmoraDll
