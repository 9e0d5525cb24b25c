#pragma once
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include "extensions/FilterBuilder.h"

#include <memory>

// The filter builder's list: four columns (column, operator, value, connector) edited in
// place with drop lists and an entry, Insert adds a condition, Delete removes one, a double
// click on an empty list starts one, and text dropped from another list ("Name;Smith") adds a
// condition. Also the "Query Name" and "Query List" windows of the saved queries.
namespace ext {

class FilterBuilderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FilterBuilderModel(CFILTERLIST& filter, QObject* parent = nullptr);
    CFILTERLIST& filter() { return m_filter; }
    // After the conditions changed outside the model.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    CFILTERLIST& m_filter;
};

class FilterBuilderDelegate : public QStyledItemDelegate {
public:
    FilterBuilderDelegate(CFILTERLIST& filter, QObject* parent) : QStyledItemDelegate(parent), m_filter(filter) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    CFILTERLIST& m_filter;
};

class FilterBuilderViewWindows;

class FilterBuilderView : public QTableView {
    Q_OBJECT
public:
    // Gives the filter its windows (query name, query list, messages) as well.
    explicit FilterBuilderView(CFILTERLIST& filter, QWidget* parent = nullptr);
    ~FilterBuilderView() override;
    FilterBuilderModel& builderModel() { return m_model; }
    void insertCondition();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FilterBuilderModel m_model;
    std::unique_ptr<FilterBuilderViewWindows> m_windows;
};

} // namespace ext
