#include "chrome/WrapBrowse.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

#include "chrome/WrapText.h"

namespace MH {

void WRAPBROWSE::INIT(QAbstractItemView* list)
{
    m_list = list;
    m_rows.clear();
}

void WRAPBROWSE::ADDROW(int column, QString* target, int offset)
{
    if (target)
        m_rows.push_back({column, offset, target});
}

int WRAPBROWSE::columnWidth(int column, int offset) const
{
    if (!m_list)
        return 0;
    int width = m_list->viewport()->width();
    if (const auto* table = qobject_cast<const QTableView*>(m_list.data()))
        width = table->horizontalHeader()->sectionSize(column);
    else if (const auto* tree = qobject_cast<const QTreeView*>(m_list.data()))
        width = tree->header()->sectionSize(column);
    if (offset < 0) // the margins an item view keeps on both sides of a cell's text
        offset = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1);
    return width - offset;
}

void WRAPBROWSE::WRAP(const QString& text)
{
    std::vector<int> widths;
    for (const Row& row : m_rows)
        widths.push_back(columnWidth(row.column, row.offset));
    const QFontMetrics metrics(m_list ? m_list->font() : QFont());
    const QStringList lines =
        wrapLines(text, widths, [&](QStringView piece) { return metrics.horizontalAdvance(piece.toString()); });
    for (size_t i = 0; i < m_rows.size(); ++i)
        *m_rows[i].target = lines.value(qsizetype(i));
}

void WRAPBROWSE::KILL()
{
    m_rows.clear();
    m_list = nullptr;
}

} // namespace MH
