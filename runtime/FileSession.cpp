// The process-wide name variables and each thread's connection.
#include "runtime/FileManager.h"

#include <algorithm>

namespace vrt {

bool NameVar::set(const std::string& name)
{
    if (int(QString::fromStdString(name).size()) > m_capacity)
        return false;
    std::lock_guard<std::mutex> l(m_mutex);
    m_value = name;
    ++m_version;
    return true;
}

std::string NameVar::get() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_value;
}

void Session::attach(FileManager* f) { m_attached.push_back(f); }

void Session::detach(FileManager* f)
{
    m_attached.erase(std::remove(m_attached.begin(), m_attached.end(), f), m_attached.end());
}

void Session::suspendReaders()
{
    for (FileManager* f : m_attached)
        f->suspendReading();
}

odbc::Connection* Session::connection(odbc::Error* error)
{
    static const std::string none;
    const std::string& owner = m_owner ? m_owner() : none;
    if (m_connection.isOpen() &&
        (m_connection.connectionString() == owner || m_connection.transactionDepth() > 0))
        return &m_connection;
    if (owner.empty()) {
        if (error)
            *error = {0, "08001", "The connection string is empty."};
        return nullptr;
    }
    for (FileManager* f : m_attached)
        f->dropStatements();
    ++m_generation;
    if (!m_connection.open(owner)) {
        if (error)
            *error = m_connection.error();
        return nullptr;
    }
    return &m_connection;
}

} // namespace vrt
