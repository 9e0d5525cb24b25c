#pragma once
#include "extensions/EditInPlace.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <map>

class QAbstractItemView;
class QWidget;

namespace SBRW {

// The kinds of control a cell is edited with.
enum class CellKind { Entry, Date, Check, DropList, Spin, Text };

// One editable column: what the cell shows for editing (`get`; without it, the cell's own
// text) and where the edited value goes (`set`; false refuses the value and the edit stays in
// the cell; without it, every value is taken).
class EditColumn {
public:
    EditColumn() = default;
    EditColumn(CellKind kind, std::function<QString(int row)> get,
               std::function<bool(int row, const QString& value)> set, QStringList choices = {})
        : m_kind(kind), m_get(std::move(get)), m_set(std::move(set)), m_choices(std::move(choices))
    {
    }
    CellKind kind() const { return m_kind; }
    const QStringList& choices() const { return m_choices; } // drop lists
    bool hasGet() const { return bool(m_get); }
    QString get(int row) const { return m_get(row); }
    bool set(int row, const QString& value) const { return !m_set || m_set(row, value); }

private:
    CellKind m_kind = CellKind::Entry;
    std::function<QString(int row)> m_get;
    std::function<bool(int row, const QString& value)> m_set;
    QStringList m_choices;
};

// Edits the cells of a list in place: a control over the cell, ended by Tab and Shift+Tab
// (next and previous editable column, on to the next or previous row), Enter (done), Esc
// (the cell keeps its value) and Down and Up (the same column a row lower or higher; not in
// drop lists, spin boxes and texts, which use the arrows themselves). Date cells take the
// quick date keys.
class EditInPlace : public QObject {
    Q_OBJECT
public:
    EditInPlace(QAbstractItemView* list, QObject* parent = nullptr);
    void addColumn(int column, EditColumn edit);
    // Opens the control over (row, column); false when the column is not editable.
    bool edit(int row, int column);
    bool editing() const { return m_control != nullptr; }
    QWidget* control() const { return m_control; }
    int row() const { return m_row; }
    int column() const { return m_column; }
    // What ended the last edit.
    int lastAction() const { return m_lastAction; }
    // The day number a date cell's text stands for (day.month.year), 0 when none; and back.
    static int dayOf(const QString& text);
    static QString dateText(int day);

signals:
    void finished(int action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Today's day number for the T key: the runtime's clock (tests give another day).
    virtual int today() const;

private:
    bool take(int action);
    void close();
    QString value() const;
    int nextColumn(int from, int step) const;

    QPointer<QAbstractItemView> m_list;
    std::map<int, EditColumn> m_columns;
    QPointer<QWidget> m_control;
    int m_row = -1, m_column = -1;
    int m_lastAction = EDIT_NONE;
};

} // namespace SBRW
