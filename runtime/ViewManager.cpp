#include "runtime/ViewManager.h"

namespace vrt {

int ViewManager::Open()
{
    // Without an order the view reads in record-number order.
    const int key = m_key >= 0 || !m_order.empty() ? m_key : m_file.FILE->primaryKey();
    int rc = key >= 0 ? m_file.Set(key) : m_file.SetOrder(m_order);
    if (rc == NoError && m_rangeKey >= 0)
        rc = m_file.SetRange(m_rangeKey, m_rangeComponents);
    if (rc == NoError && !m_filter.empty())
        rc = m_file.SetFilter(m_filter);
    return rc;
}

} // namespace vrt
