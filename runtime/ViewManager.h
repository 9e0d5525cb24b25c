#pragma once
#include "runtime/FileManager.h"

#include <string>

namespace vrt {

// A read-only view over one table: an order (a key or an order text), an optional range on a
// key's leading components and an optional filter text, read forwards or backwards into the
// table's record buffer. Joins with other tables are not part of it.
class ViewManager {
public:
    explicit ViewManager(FileManager& primary) : m_file(primary) {}
    virtual ~ViewManager() = default;
    ViewManager(const ViewManager&) = delete;
    ViewManager& operator=(const ViewManager&) = delete;

    FileManager& Primary() { return m_file; }

    void SetOrder(int key) { m_key = key; m_order.clear(); }
    void SetOrder(const std::string& orderText) { m_order = orderText; m_key = -1; }
    // The first `components` values of `key` must equal the buffer's values at Open.
    void SetRange(int key, int components) { m_rangeKey = key; m_rangeComponents = components; }
    void SetFilter(const std::string& filterText) { m_filter = filterText; }

    // Starts reading from the first row (the last, reading backwards).
    virtual int Open();
    bool Opened() const { return m_opened; }
    // Narrows the rows read to the range, when one is set.
    virtual int ApplyRange();
    virtual int ApplyFilter();
    // Starts the reading again under the same order, range and filter.
    virtual int Reset();
    // As Reset; `fromBuffer`: from the buffer's values of the order's key on (a key order only).
    virtual int Reset(bool fromBuffer);
    virtual int Next() { return m_file.Next(); }
    virtual int Previous() { return m_file.Previous(); }
    virtual int Close()
    {
        m_opened = false;
        m_file.EndSequence();
        return NoError;
    }
    virtual void Kill() { Close(); }

private:
    int orderKey() const;
    FileManager& m_file;
    int m_key = -1;
    std::string m_order;
    int m_rangeKey = -1;
    int m_rangeComponents = 0;
    std::string m_filter;
    bool m_opened = false;
};

} // namespace vrt
