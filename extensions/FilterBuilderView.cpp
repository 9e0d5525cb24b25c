#include "extensions/FilterBuilderView.h"
#include "extensions/DialogParts.h"

#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace ext {

// ---- the model ----------------------------------------------------------------------------

FilterBuilderModel::FilterBuilderModel(CFILTERLIST& filter, QObject* parent) : QAbstractTableModel(parent), m_filter(filter) {}

void FilterBuilderModel::reload()
{
    beginResetModel();
    endResetModel();
}

int FilterBuilderModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_filter.FILTERQ.size());
}

int FilterBuilderModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant FilterBuilderModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const FilterCondition& c = m_filter.FILTERQ[size_t(index.row())];
    switch (index.column()) {
    case 0: return c.COLUMN;
    case 1: return c.OPERATOR;
    case 2: return c.VALUE;
    default: return c.CONNECTION;
    }
}

bool FilterBuilderModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount())
        return false;
    FilterCondition& c = m_filter.FILTERQ[size_t(index.row())];
    (index.column() == 0 ? c.COLUMN : index.column() == 1 ? c.OPERATOR : index.column() == 2 ? c.VALUE : c.CONNECTION) =
        value.toString();
    const int before = rowCount();
    const bool more = m_filter.changed(index.row());
    if (more)
        m_filter.insertCondition(); // the last one no longer ends the query
    if (rowCount() != before)
        reload();
    else
        emit dataChanged(index, index);
    return true;
}

QVariant FilterBuilderModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[] = {"Column", "Operator", "Value", "Connection"};
    return tr(names[std::clamp(section, 0, 3)]);
}

Qt::ItemFlags FilterBuilderModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

// ---- the cells ----------------------------------------------------------------------------

QWidget* FilterBuilderDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const
{
    if (index.column() == 2)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    if (index.column() == 0) {
        combo->addItems(m_filter.COLQ);
    } else if (index.column() == 1) {
        for (const auto& o : m_filter.COLOPEQ)
            combo->addItem(o.OPERATORUSER);
    } else {
        combo->addItems(m_filter.CONNECTOPEQ);
    }
    return combo;
}

void FilterBuilderDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        combo->setCurrentIndex(std::max(0, combo->findText(index.data(Qt::EditRole).toString())));
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void FilterBuilderDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        model->setData(index, combo->currentText(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

// ---- the view and the query windows -------------------------------------------------------

// The query name and list windows and the messages, over the view.
class FilterBuilderViewWindows : public FilterListWindows {
public:
    explicit FilterBuilderViewWindows(QWidget& view) : m_view(view) {}

    void inform(const QString& text, const QString& caption) override
    {
        vrt::message(text, caption, vrt::Icon::Exclamation);
    }
    bool confirm(const QString& text, const QString& caption) override
    {
        return vrt::message(text, caption, vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO) ==
               vrt::BUTTON_YES;
    }
    bool nameWindow(QString& name, const std::function<QString(const QString&)>& refuse) override
    {
        QDialog dialog(&m_view);
        dialog.setObjectName(QStringLiteral("QueryName"));
        dialog.setWindowTitle(tr("Query Name"));
        auto* entry = new QLineEdit(name, &dialog);
        entry->setObjectName(QStringLiteral("name"));
        entry->setMaxLength(50);
        auto* ok = new QPushButton(tr("Ok"), &dialog);
        ok->setObjectName(QStringLiteral("ok"));
        auto* cancel = new QPushButton(tr("Cancel"), &dialog);
        auto* form = new QFormLayout;
        form->addRow(tr("&Query Name:"), entry);
        formAndButtons(dialog, form, {ok, cancel});
        QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
            const QString why = refuse(entry->text());
            if (!why.isEmpty()) {
                vrt::message(why, tr("Error!"), vrt::Icon::Exclamation);
                entry->setFocus();
                entry->selectAll();
                return;
            }
            dialog.accept();
        });
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        if (vrt::runModal(dialog) != QDialog::Accepted)
            return false;
        name = entry->text();
        return true;
    }
    QString listWindow(QStringList& names, const std::function<bool(const QString&)>& remove) override
    {
        QDialog dialog(&m_view);
        dialog.setObjectName(QStringLiteral("QueryList"));
        dialog.setWindowTitle(tr("Query List"));
        auto* list = new QListWidget(&dialog);
        list->setObjectName(QStringLiteral("list"));
        list->addItems(names);
        list->setCurrentRow(0);
        auto* select = new QPushButton(tr("Select"), &dialog);
        select->setObjectName(QStringLiteral("select"));
        auto* del = new QPushButton(tr("Delete"), &dialog);
        del->setObjectName(QStringLiteral("delete"));
        auto* cancel = new QPushButton(tr("Cancel"), &dialog);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(list);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(select);
        buttons->addWidget(del);
        buttons->addStretch();
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        QString chosen;
        const auto pick = [&] {
            if (list->currentItem()) {
                chosen = list->currentItem()->text();
                dialog.accept();
            }
        };
        QObject::connect(select, &QPushButton::clicked, &dialog, pick);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, pick);
        QObject::connect(del, &QPushButton::clicked, &dialog, [&] {
            if (!list->currentItem() || !remove(list->currentItem()->text()))
                return;
            delete list->takeItem(list->currentRow());
            del->setEnabled(list->count() > 0);
            select->setEnabled(list->count() > 0);
        });
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        vrt::runModal(dialog);
        return chosen;
    }

private:
    static QString tr(const char* text) { return FilterBuilderView::tr(text); }
    QWidget& m_view;
};

FilterBuilderView::FilterBuilderView(CFILTERLIST& filter, QWidget* parent) : QTableView(parent), m_model(filter)
{
    setObjectName(QStringLiteral("FilterBuilder"));
    setModel(&m_model);
    setItemDelegate(new FilterBuilderDelegate(filter, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(true);
    horizontalHeader()->setStretchLastSection(true);

    m_windows = std::make_unique<FilterBuilderViewWindows>(*this);
    filter.setWindows(m_windows.get());
}

FilterBuilderView::~FilterBuilderView()
{
    if (m_model.filter().windows() == m_windows.get())
        m_model.filter().setWindows(nullptr);
}

void FilterBuilderView::insertCondition()
{
    const int row = m_model.filter().insertCondition();
    m_model.reload();
    setCurrentIndex(m_model.index(row, 0));
    edit(currentIndex());
}

void FilterBuilderView::keyPressEvent(QKeyEvent* event)
{
    if (state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Insert) {
            insertCondition();
            return;
        }
        if (event->key() == Qt::Key_Delete && currentIndex().isValid()) {
            const int row = currentIndex().row();
            m_model.filter().deleteCondition(row);
            m_model.reload();
            if (m_model.rowCount() > 0)
                setCurrentIndex(m_model.index(std::min(row, m_model.rowCount() - 1), 0));
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void FilterBuilderView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const auto& q = m_model.filter().FILTERQ;
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool lastOpen = !q.empty() && !q.back().CONNECTION.contains(QLatin1String("DONE"), Qt::CaseInsensitive);
    if (q.empty() || (lastOpen && (!at.isValid() || at.row() == int(q.size()) - 1))) {
        insertCondition();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void FilterBuilderView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void FilterBuilderView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void FilterBuilderView::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasText())
        return;
    if (m_model.filter().ONDROP(event->mimeData()->text())) {
        m_model.reload();
        event->acceptProposedAction();
    }
}

} // namespace ext
