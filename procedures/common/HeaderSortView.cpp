#include "procedures/common/HeaderSortView.h"

#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStandardItemModel>

namespace VelmoraDll {

HeaderSortBinding::HeaderSortBinding(QHeaderView* header, QStringList fieldNames, QStringList pictures)
    : QObject(header), m_header(header), m_fields(std::move(fieldNames)), m_pictures(std::move(pictures))
{
    // The marks in the header texts show the order; Qt's own indicator would show only one column.
    m_header->setSortIndicatorShown(false);
    m_header->setSectionsClickable(true);
    connect(m_header, &QHeaderView::sectionClicked, this, &HeaderSortBinding::onSectionClicked);
}

int HeaderSortBinding::columnCount() const { return m_header->model() ? m_header->model()->columnCount() : 0; }

QString HeaderSortBinding::headerText(int column) const
{
    return m_header->model()->headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString();
}

void HeaderSortBinding::setHeaderText(int column, const QString& text)
{
    m_header->model()->setHeaderData(column - 1, Qt::Horizontal, text, Qt::DisplayRole);
}

QString HeaderSortBinding::fieldName(int column) const { return m_fields.value(column - 1); }

QString HeaderSortBinding::picture(int column) const { return m_pictures.value(column - 1); }

int HeaderSortBinding::width(int column) const
{
    return m_header->isSectionHidden(column - 1) ? 0 : m_header->sectionSize(column - 1);
}

void HeaderSortBinding::sortRows(const QString& order)
{
    auto* model = qobject_cast<QStandardItemModel*>(m_header->model());
    if (!model)
        return;
    using Row = QList<QStandardItem*>;
    std::vector<Row> rows;
    while (model->rowCount() > 0)
        rows.push_back(model->takeRow(0));
    sortRowsByOrder<Row>(rows, order, [this](const Row& row, const QString& field) {
        const int column = static_cast<int>(m_fields.indexOf(QRegularExpression(
            QStringLiteral("^") + QRegularExpression::escape(field) + QStringLiteral("$"),
            QRegularExpression::CaseInsensitiveOption)));
        return column >= 0 && column < row.size() && row[column] ? row[column]->data(Qt::DisplayRole) : QVariant();
    });
    for (Row& r : rows)
        model->appendRow(r);
}

void HeaderSortBinding::onSectionClicked(int section)
{
    if (!m_manager)
        return;
    const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    const int code = (mods & Qt::ControlModifier) ? HeaderSortManager::ClickCtrl
                     : (mods & Qt::ShiftModifier) ? HeaderSortManager::ClickShift
                                                  : HeaderSortManager::ClickPlain;
    m_manager->TakeHeaderClick(section + 1, code);
}

} // namespace VelmoraDll
