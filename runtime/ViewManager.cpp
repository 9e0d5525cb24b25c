#include "runtime/ViewManager.h"

namespace vrt {

int ViewManager::orderKey() const
{
    // Without an order the view reads in record-number order.
    return m_key >= 0 || !m_order.empty() ? m_key : m_file.FILE->primaryKey();
}

int ViewManager::Open()
{
    m_opened = true;
    return Reset();
}

int ViewManager::ApplyRange() { return m_rangeKey >= 0 ? m_file.SetRange(m_rangeKey, m_rangeComponents) : NoError; }

int ViewManager::ApplyFilter() { return m_filter.empty() ? NoError : m_file.SetFilter(m_filter); }

int ViewManager::Reset() { return Reset(false); }

int ViewManager::Reset(bool fromBuffer)
{
    const int key = orderKey();
    int rc = key >= 0 ? (fromBuffer ? m_file.SetFrom(key) : m_file.Set(key)) : m_file.SetOrder(m_order);
    if (rc == NoError)
        rc = ApplyRange();
    if (rc == NoError)
        rc = ApplyFilter();
    return rc;
}

} // namespace vrt
