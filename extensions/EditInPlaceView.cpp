#include "extensions/EditInPlaceView.h"

#include "runtime/DateTime.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace SBRW {

EditInPlace::EditInPlace(QAbstractItemView* list, QObject* parent) : QObject(parent), m_list(list) {}

int EditInPlace::today() const
{
    return vrt::today();
}

void EditInPlace::addColumn(int column, EditColumn edit)
{
    m_columns[column] = std::move(edit);
}

int EditInPlace::dayOf(const QString& text)
{
    return vrt::dayFromDate(QDate::fromString(text.trimmed(), QStringLiteral("d.M.yyyy")));
}

QString EditInPlace::dateText(int day)
{
    const QDate d = vrt::dateFromDay(day);
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

bool EditInPlace::edit(int row, int column)
{
    close();
    const auto it = m_columns.find(column);
    if (!m_list || !m_list->model() || it == m_columns.end() || row < 0 || row >= m_list->model()->rowCount())
        return false;
    const QModelIndex index = m_list->model()->index(row, column);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
    QRect r = m_list->visualRect(index);
    const EditColumn& c = it->second;
    const QString v = c.hasGet() ? c.get(row) : index.data().toString();
    QWidget* parent = m_list->viewport();
    QWidget* w = nullptr;
    switch (c.kind()) {
    case CellKind::Entry:
    case CellKind::Date:
        w = new QLineEdit(v, parent);
        break;
    case CellKind::Check: {
        auto* b = new QCheckBox(m_list->model()->headerData(column, Qt::Horizontal).toString(), parent);
        b->setChecked(v.trimmed() == QLatin1String("1"));
        b->setAutoFillBackground(true);
        w = b;
        break;
    }
    case CellKind::DropList: {
        auto* b = new QComboBox(parent);
        b->addItems(c.choices());
        b->setCurrentIndex(b->findText(v));
        w = b;
        break;
    }
    case CellKind::Spin: {
        auto* b = new QSpinBox(parent);
        b->setRange(-999999999, 999999999);
        b->setValue(v.toInt());
        w = b;
        break;
    }
    case CellKind::Text:
        w = new QPlainTextEdit(v, parent);
        r.setHeight(r.height() * 3);
        break;
    }
    w->setGeometry(r);
    w->installEventFilter(this);
    w->show();
    w->setFocus();
    m_control = w;
    m_row = row;
    m_column = column;
    return true;
}

QString EditInPlace::value() const
{
    if (auto* e = qobject_cast<QLineEdit*>(m_control.data()))
        return e->text();
    if (auto* b = qobject_cast<QCheckBox*>(m_control.data()))
        return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto* b = qobject_cast<QComboBox*>(m_control.data()))
        return b->currentText();
    if (auto* b = qobject_cast<QSpinBox*>(m_control.data()))
        return QString::number(b->value());
    if (auto* t = qobject_cast<QPlainTextEdit*>(m_control.data()))
        return t->toPlainText();
    return {};
}

void EditInPlace::close()
{
    if (m_control) {
        m_control->removeEventFilter(this);
        m_control->hide();
        m_control->deleteLater();
    }
    m_control = nullptr;
}

int EditInPlace::nextColumn(int from, int step) const
{
    if (step > 0) {
        const auto it = m_columns.upper_bound(from);
        return it == m_columns.end() ? -1 : it->first;
    }
    auto it = m_columns.lower_bound(from);
    if (it == m_columns.begin())
        return -1;
    return std::prev(it)->first;
}

bool EditInPlace::take(int action)
{
    m_lastAction = action;
    if (action != EDIT_CANCEL) {
        const EditColumn& c = m_columns[m_column];
        if (!c.set(m_row, value())) {
            m_lastAction = EDIT_NONE; // the value is refused: the edit stays here
            return false;
        }
    }
    const int row = m_row, column = m_column;
    const int rows = m_list->model()->rowCount();
    close();
    switch (action) {
    case EDIT_FORWARD: {
        const int next = nextColumn(column, 1);
        if (next >= 0)
            edit(row, next);
        else if (row + 1 < rows && !m_columns.empty())
            edit(row + 1, m_columns.begin()->first);
        break;
    }
    case EDIT_BACKWARD: {
        const int prev = nextColumn(column, -1);
        if (prev >= 0)
            edit(row, prev);
        else if (row > 0 && !m_columns.empty())
            edit(row - 1, m_columns.rbegin()->first);
        break;
    }
    case EDIT_NEXTROW:
        if (row + 1 < rows)
            edit(row + 1, column);
        break;
    case EDIT_PREVROW:
        if (row > 0)
            edit(row - 1, column);
        break;
    default:
        break;
    }
    if (!m_control && m_list)
        m_list->setFocus();
    emit finished(action);
    return true;
}

bool EditInPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const EditColumn& c = m_columns[m_column];
    // The quick date keys change the date in the cell.
    if (c.kind() == CellKind::Date && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QLineEdit*>(m_control.data());
        if (const auto day = SEIP::QUICKENDATECLASS::newDate(key->key(), key->modifiers(), dayOf(e->text()), today())) {
            e->setText(dateText(*day));
            return true;
        }
    }
    EDITCLASS keys;
    keys.upDown = c.kind() != CellKind::DropList && c.kind() != CellKind::Spin && c.kind() != CellKind::Text;
    int action = EDIT_NONE;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
        action = keys.TAKEKEY(key->key(), key->modifiers());
        break;
    default:
        break;
    }
    if (action == EDIT_NONE)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    take(action);
    return true;
}

} // namespace SBRW
