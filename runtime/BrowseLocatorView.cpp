#include "runtime/BrowseLocatorView.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>

CFCQUEUELOCATORCLASS::CFCQUEUELOCATORCLASS(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(TimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &CFCQUEUELOCATORCLASS::TAKETIMER);
}

// A list being destroyed drops its filters itself; its viewport may already be gone.
CFCQUEUELOCATORCLASS::~CFCQUEUELOCATORCLASS() { m_timer.stop(); }

void CFCQUEUELOCATORCLASS::INIT(QAbstractItemView* list, std::function<void(const QString&)> search)
{
    INIT(list);
    m_search = std::move(search);
}

void CFCQUEUELOCATORCLASS::INIT(QAbstractItemView* list, QString* variable, QLineEdit* locatorEntry)
{
    KILL();
    m_list = list;
    m_variable = variable;
    m_entry = locatorEntry;
    if (m_entry)
        connect(m_entry, &QLineEdit::editingFinished, this, &CFCQUEUELOCATORCLASS::TAKEACCEPTED);
    if (m_list) {
        m_viewport = m_list->viewport();
        m_list->installEventFilter(this);
        m_viewport->installEventFilter(this);
        // A click on the column headers (a new order) starts a new search too.
        if (auto* table = qobject_cast<QTableView*>(m_list.data()))
            m_header = table->horizontalHeader()->viewport();
        else if (auto* tree = qobject_cast<QTreeView*>(m_list.data()))
            m_header = tree->header()->viewport();
        if (m_header)
            m_header->installEventFilter(this);
    }
}

void CFCQUEUELOCATORCLASS::SETACTIVELOCATOR(int column)
{
    m_use = true;
    m_column = column;
    if (m_entry && m_list && m_list->model()) {
        const QString header = m_list->model()->headerData(column, Qt::Horizontal).toString().left(32);
        if (!header.isEmpty())
            m_entry->setPlaceholderText(header);
    }
}

void CFCQUEUELOCATORCLASS::REMOVELOCATOR()
{
    m_use = false;
    CLEARLOCATOR();
}

void CFCQUEUELOCATORCLASS::CLEARLOCATOR()
{
    m_text.clear();
    m_timer.stop(); // nothing to clear until the next letter
    mirror();
}

void CFCQUEUELOCATORCLASS::TAKEACCEPTED()
{
    if (!m_variable && !m_entry)
        return;
    const QString typed = m_entry ? m_entry->text() : *m_variable;
    m_text.clear();
    m_text.type(QString(typed).remove(QChar(8)).trimmed());
    if (m_variable)
        *m_variable = m_text.text();
    NEWSELECTION();
}

void CFCQUEUELOCATORCLASS::NEWSELECTION()
{
    if (!m_list)
        return;
    if (m_search) {
        m_search(m_text.text());
        return;
    }
    QAbstractItemModel* model = m_list->model();
    if (!model)
        return;
    const int row = vrt::LocatorText::findRow(
        model->rowCount(), [&](int r) { return model->index(r, m_column).data().toString(); }, m_text.text());
    if (row < 0)
        return;
    const QModelIndex index = model->index(row, m_column);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
    emit newSelection(row);
}

void CFCQUEUELOCATORCLASS::KILL()
{
    m_timer.stop();
    if (m_list)
        m_list->removeEventFilter(this);
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    if (m_header)
        m_header->removeEventFilter(this);
    if (m_entry)
        disconnect(m_entry, nullptr, this, nullptr);
    m_list = nullptr;
    m_viewport = nullptr;
    m_header = nullptr;
    m_entry = nullptr;
    m_variable = nullptr;
}

void CFCQUEUELOCATORCLASS::TAKETIMER()
{
    if (m_use && m_text.expired())
        CLEARLOCATOR();
}

void CFCQUEUELOCATORCLASS::TAKECHARACTERS(const QString& chars)
{
    if (!m_use)
        return;
    if (m_text.expired())
        m_text.clear(); // a pause the timer has not seen yet still starts a new search
    m_text.type(chars);
    if (!m_text.text().isEmpty() && !m_timer.isActive() && m_list)
        m_timer.start();
    mirror();
    NEWSELECTION();
}

void CFCQUEUELOCATORCLASS::mirror()
{
    if (m_variable)
        *m_variable = m_text.text();
    if (m_entry && m_entry->text() != m_text.text())
        m_entry->setText(m_text.text());
}

bool CFCQUEUELOCATORCLASS::typedCharacters(const QString& text) const
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isPrint() && c != QChar(8))
            return false;
    return true;
}

bool CFCQUEUELOCATORCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_use || !m_list)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == m_list) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Shortcuts, and keys that open an editor, are the list's (an open editor has the
            // focus itself).
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                break;
            if ((m_list->editTriggers() & QAbstractItemView::AnyKeyPressed)
                && (m_list->currentIndex().flags() & Qt::ItemIsEditable))
                break;
            QString text = key->text();
            if (key->key() == Qt::Key_Backspace)
                text = QString(QChar(8));
            if (!typedCharacters(text))
                break;
            TAKECHARACTERS(text);
            return true;
        }
        break;
    case QEvent::KeyRelease:
        if (watched == m_list && vrt::LocatorText::clearsOn(static_cast<QKeyEvent*>(event)->key()))
            CLEARLOCATOR();
        break;
    case QEvent::MouseButtonRelease: {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton)
            CLEARLOCATOR();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
