#include "runtime/UpdateForm.h"

#include <mutex>

#include "runtime/ErrorClass.h"
#include "runtime/WindowManager.h"

namespace vrt {

namespace {
// Field history lives as long as the program, per form, as the forms' own history did.
std::mutex g_historyMutex;
std::map<QString, std::map<QString, QString>> g_history;
} // namespace

UpdateFormController::UpdateFormController(FormTarget& target, int request, QString procedure)
    : m_target(target), m_request(request), m_procedure(std::move(procedure))
{
}

QString UpdateFormController::title(const QString& designTitle) const
{
    switch (m_request) {
    case INSERT_RECORD:
        return tr(QStringLiteral("Unos novog zapisa"));
    case CHANGE_RECORD:
        return tr(QStringLiteral("Izmjena zapisa"));
    case DELETE_RECORD:
        return tr(QStringLiteral("BRISANJE zapisa"));
    default:
        return designTitle;
    }
}

bool UpdateFormController::titleRed() const { return m_request == DELETE_RECORD; }

QString UpdateFormController::actionMessage() const
{
    switch (m_request) {
    case INSERT_RECORD:
        return tr(QStringLiteral("Record will be Added"));
    case CHANGE_RECORD:
        return tr(QStringLiteral("Record will be Changed"));
    case VIEW_RECORD:
        return tr(QStringLiteral("View Record"));
    default:
        return {};
    }
}

bool UpdateFormController::editable() const
{
    return m_request == INSERT_RECORD || m_request == CHANGE_RECORD;
}

bool UpdateFormController::open()
{
    m_response = 0;
    m_focus.clear();
    if (m_request == INSERT_RECORD) {
        m_primed = m_target.primed();
        if (!m_primed) {
            if (!m_target.prime()) {
                fail(Msg_AddFailed);
                m_response = REQUEST_CANCELLED;
                return false;
            }
            m_primed = true; // ours to take back on Cancel
        }
        // A new record with an empty lookup asks for it at once; a cancelled pick is
        // asked again on OK.
        for (auto& lookup : m_lookups)
            if (lookup.hasValue && lookup.pick && !lookup.hasValue())
                lookup.pick();
    }
    return true;
}

bool UpdateFormController::checkLookups()
{
    for (auto& lookup : m_lookups) {
        if (!lookup.hasValue || lookup.hasValue())
            continue;
        if (!lookup.pick || !lookup.pick() || !lookup.hasValue()) {
            m_focus = lookup.name;
            return false;
        }
    }
    return true;
}

void UpdateFormController::fail(int message)
{
    if (!m_errors)
        return;
    m_errors->setErrorText(m_target.lastError());
    if (!m_procedure.isEmpty())
        m_errors->setProcedure(m_procedure);
    m_errors->throwMessage(message);
}

void UpdateFormController::remember()
{
    std::lock_guard lock(g_historyMutex);
    auto& saved = g_history[m_procedure];
    for (const auto& f : m_fields)
        if (f.get)
            saved[f.name] = f.get();
}

bool UpdateFormController::ok()
{
    m_focus.clear();
    switch (m_request) {
    case INSERT_RECORD:
    case CHANGE_RECORD:
        if (!checkLookups())
            return false;
        if (!m_target.save()) {
            fail(m_request == INSERT_RECORD ? Msg_AddFailed : Msg_PutFailed);
            return false;
        }
        remember();
        m_primed = false;
        m_response = REQUEST_COMPLETED;
        return true;
    case DELETE_RECORD:
        if (m_askDelete && m_errors && m_errors->throwMessage(Msg_ConfirmDelete) != LEVEL_BENIGN)
            return false;
        if (!m_target.remove()) {
            fail(Msg_DeleteFailed);
            return false;
        }
        m_response = REQUEST_COMPLETED;
        return true;
    default: // a view changes nothing, so nothing was completed
        m_response = REQUEST_CANCELLED;
        return true;
    }
}

void UpdateFormController::cancel()
{
    if (m_request == INSERT_RECORD && m_primed) {
        if (!m_target.cancelAutoInc())
            fail(Msg_DeleteFailed);
        m_primed = false;
    }
    m_response = REQUEST_CANCELLED;
}

std::optional<QString> UpdateFormController::history(const QString& field) const
{
    std::lock_guard lock(g_historyMutex);
    auto form = g_history.find(m_procedure);
    if (form == g_history.end())
        return std::nullopt;
    auto it = form->second.find(field);
    if (it == form->second.end())
        return std::nullopt;
    return it->second;
}

bool UpdateFormController::restoreHistory(const QString& field)
{
    if (!editable())
        return false;
    const auto value = history(field);
    if (!value)
        return false;
    for (auto& f : m_fields)
        if (f.name == field && f.set && !f.readOnly) {
            f.set(*value);
            return true;
        }
    return false;
}

} // namespace vrt
