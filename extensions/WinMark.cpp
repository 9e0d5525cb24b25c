#include "extensions/WinMark.h"

#include "runtime/Browse.h"
#include "runtime/Dialogs.h"
#include "runtime/FileManager.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>

#include <algorithm>

namespace ext {

void WINMARKCLASS::INIT(vrt::Browse& browse, vrt::RelationManager* relate, vrt::odbc::Connection* transaction)
{
    m_browse = &browse;
    m_relate = relate;
    m_connection = transaction;
    MARKQ.clear();
    SAVEID = SAVELOCALID = SAVEPOS = QVariant();
}

QVariant WINMARKCLASS::recordIdAt(int row)
{
    return m_browse ? m_browse->model().idAt(row) : QVariant();
}

QVariant WINMARKCLASS::currentId()
{
    if (!m_browse || m_browse->selected() < 0)
        return {};
    return recordIdAt(m_browse->selected());
}

bool WINMARKCLASS::isMarked(const QVariant& id) const
{
    return id.isValid() && std::find(MARKQ.begin(), MARKQ.end(), id) != MARKQ.end();
}

bool WINMARKCLASS::SETQUEUERECORD(int row) const
{
    return m_browse && isMarked(const_cast<WINMARKCLASS*>(this)->recordIdAt(row));
}

int WINMARKCLASS::GETRECORDID()
{
    return isMarked(currentId()) ? 0 : 3;
}

void WINMARKCLASS::ADDRECORDID()
{
    const QVariant id = currentId();
    if (!id.isValid() || isMarked(id))
        return;
    MARKQ.push_back(id);
    CALCULATETOTALS(true);
}

int WINMARKCLASS::GETFILE(const QVariant& id)
{
    return m_browse && id.isValid() && m_browse->source().load(id) ? 0 : 3;
}

void WINMARKCLASS::removeMark(const QVariant& id)
{
    const auto it = std::find(MARKQ.begin(), MARKQ.end(), id);
    if (it == MARKQ.end())
        return;
    MARKQ.erase(it);
    CALCULATETOTALS(false);
}

void WINMARKCLASS::refresh()
{
    if (m_watcher)
        m_watcher->changed();
}

void WINMARKCLASS::UNMARKALL()
{
    MARKQ.clear();
    CLEARTOTALS();
    refresh();
}

void WINMARKCLASS::MARKALL()
{
    if (!m_browse)
        return;
    const bool cursor = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_browse->completeIds();
    MARKQ.clear();
    CLEARTOTALS();
    const int keep = m_browse->selected();
    const int rows = m_browse->model().rowCount();
    for (int row = 0; row < rows; ++row) {
        const QVariant id = recordIdAt(row);
        if (id.isValid() && !isMarked(id)) {
            MARKQ.push_back(id);
            CALCULATETOTALS(true);
        }
    }
    if (keep >= 0)
        m_browse->select(keep);
    if (cursor)
        QGuiApplication::restoreOverrideCursor();
    refresh();
}

void WINMARKCLASS::toggleCurrent()
{
    if (GETRECORDID() != 0)
        ADDRECORDID();
    else
        removeMark(currentId());
    refresh();
}

void WINMARKCLASS::markOnlyCurrent()
{
    SAVEID = QVariant();
    MARKQ.clear();
    CLEARTOTALS();
    ADDRECORDID();
    SAVEPOS = currentId();
    refresh();
}

int WINMARKCLASS::rowOfMark(const QVariant& id)
{
    if (!m_browse || !id.isValid())
        return -1;
    const int rows = m_browse->model().rowCount();
    for (int row = 0; row < rows; ++row)
        if (recordIdAt(row) == id)
            return row;
    return -1;
}

bool WINMARKCLASS::moveTo(int row)
{
    const int rows = m_browse->model().rowCount();
    if (rows == 0)
        return false;
    return m_browse->select(std::clamp(row, 0, rows - 1));
}

void WINMARKCLASS::stepRunOnto(int row)
{
    const int keep = m_browse->selected();
    m_browse->select(row);
    if (GETRECORDID() != 0) {
        ADDRECORDID();
    } else if (SAVEID.isValid()) { // the run is shrinking: its far end goes
        SAVELOCALRECORDID();
        removeMark(SAVEID);
        SAVEID = QVariant();
    }
    SAVEPOS = currentId();
    if (keep != row)
        m_browse->select(keep);
}

void WINMARKCLASS::markRun(int from, int to)
{
    if (from < 0 || to < 0)
        return;
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        stepRunOnto(row); // leaves the anchor on the later end
}

void WINMARKCLASS::click(int row, Qt::KeyboardModifiers modifiers)
{
    if (!m_browse || row < 0 || row >= m_browse->model().rowCount())
        return;
    m_browse->select(row);
    SAVEID = QVariant();
    if (modifiers & Qt::ControlModifier) {
        SAVEPOS = currentId();
        toggleCurrent();
    } else if (modifiers & Qt::ShiftModifier) {
        int anchor = rowOfMark(SAVEPOS);
        if (anchor < 0)
            anchor = row;
        markRun(anchor, row);
        SAVERECORDID();
        refresh();
    } else {
        SAVEPOS = currentId();
        MARKQ.clear();
        CLEARTOTALS();
        toggleCurrent();
    }
}

bool WINMARKCLASS::takeKey(int key, Qt::KeyboardModifiers modifiers, int pageRows)
{
    if (!m_browse)
        return false;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int rows = m_browse->model().rowCount();
    const int current = m_browse->selected();
    pageRows = std::max(1, pageRows);
    if (ctrl && key == Qt::Key_A) {
        MARKALL();
        return true;
    }
    if (ctrl)
        return false;
    switch (key) {
    case Qt::Key_Space:
        if (current >= 0)
            markOnlyCurrent();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (rows == 0)
            return true;
        moveTo(current < 0 ? 0 : current + (key == Qt::Key_Up ? -1 : 1));
        if (shift) {
            stepRunOnto(m_browse->selected());
            SAVERECORDID();
            refresh();
        } else {
            markOnlyCurrent();
        }
        return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (!shift)
            return false; // plain paging only moves
        if (rows == 0)
            return true;
        SAVEPOS = currentId();
        const int anchor = std::max(current, 0);
        moveTo(anchor + (key == Qt::Key_PageUp ? -pageRows : pageRows));
        markRun(anchor, m_browse->selected());
        if (key == Qt::Key_PageUp)
            SAVEID = SAVELOCALID;
        else
            SAVERECORDID();
        refresh();
        return true;
    }
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (rows == 0)
            return true;
        if (!shift) {
            moveTo(key == Qt::Key_Home ? 0 : rows - 1);
            markOnlyCurrent();
            return true;
        }
        if (key == Qt::Key_Home)
            SAVEPOS = currentId();
        int anchor = rowOfMark(SAVEPOS);
        if (anchor < 0)
            anchor = std::max(current, 0);
        MARKQ.clear();
        CLEARTOTALS();
        moveTo(key == Qt::Key_Home ? 0 : rows - 1);
        markRun(anchor, m_browse->selected());
        refresh();
        return true;
    }
    default:
        return false;
    }
}

void WINMARKCLASS::PROCESSMARKEDRECORDS()
{
    const std::vector<QVariant> marks = MARKQ;
    for (const QVariant& id : marks)
        if (GETFILE(id) == 0)
            TAKEMARKEDRECORD();
}

int WINMARKCLASS::DELETEMARKEDRECORDS()
{
    if (!m_browse || MARKQ.empty())
        return -1;
    const bool single = MARKQ.size() == 1;
    if (!single &&
        vrt::message(QStringLiteral("Are you sure you want to delete marked records?"), QStringLiteral("Confirm delete"),
                     vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO) != vrt::BUTTON_YES)
        return -1;
    if (single && !m_relate &&
        vrt::message(QStringLiteral("Are you sure you want to delete the highlighted record?"),
                     QStringLiteral("Confirm Delete"), vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO,
                     vrt::BUTTON_NO) != vrt::BUTTON_YES)
        return -1;

    vrt::odbc::Connection* connection = m_connection;
    if (!connection && m_relate)
        connection = m_relate->Me().session().connection();
    int deleted = 0;
    bool failed = false;
    {
        std::optional<vrt::odbc::Transaction> tx;
        if (connection) {
            tx.emplace(*connection);
            failed = !tx->started();
        }
        const std::vector<QVariant> marks = MARKQ;
        for (const QVariant& id : marks) {
            if (failed)
                break;
            if (GETFILE(id) != 0)
                continue; // gone meanwhile: nothing to delete
            if (m_relate) {
                const int rc = m_relate->Delete(single);
                if (rc == vrt::LEVEL_CANCEL && single)
                    return -1;
                failed = rc != vrt::NoError;
            } else {
                failed = !m_browse->source().deleteRecord(id);
            }
            if (!failed)
                ++deleted;
        }
        if (tx && !failed)
            failed = !tx->commit();
    }
    if (failed) {
        if (!m_relate) {
            const QString why = m_browse->source().lastError();
            vrt::message(why.isEmpty() ? QStringLiteral("The marked records could not be deleted.") : why,
                         QStringLiteral("Delete"), vrt::Icon::Exclamation);
        }
        m_browse->resetFromView();
        refresh();
        return -1;
    }
    MARKQ.clear();
    CLEARTOTALS();
    SAVEID = SAVEPOS = QVariant();
    m_browse->resetFromView();
    refresh();
    return deleted;
}

void WINMARKCLASSKEY::INITKEY(vrt::FileManager& file, int uniqueKey, std::function<QVariant()> getKey,
                              std::function<void(const QVariant&)> setKey)
{
    m_file = &file;
    m_key = uniqueKey;
    m_getKey = std::move(getKey);
    m_setKey = std::move(setKey);
}

QVariant WINMARKCLASSKEY::recordIdAt(int row)
{
    const QVariant id = WINMARKCLASS::recordIdAt(row);
    if (!id.isValid() || !m_getKey || !browse()->source().load(id))
        return {};
    return m_getKey();
}

int WINMARKCLASSKEY::GETFILE(const QVariant& id)
{
    if (!m_file || !m_setKey || !id.isValid())
        return 3;
    m_file->clearBuffer();
    m_setKey(id);
    return m_file->TryFetch(m_key) == vrt::NoError ? 0 : 3;
}

} // namespace ext
