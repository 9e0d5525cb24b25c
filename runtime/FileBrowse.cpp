#include "runtime/FileBrowse.h"

#include "runtime/ViewManagerLoop.h"

#include <memory>

namespace vrt {

FileBrowseSource::FileBrowseSource(FileManager& file, RelationManager& relate, std::vector<Column> columns)
    : m_file(file), m_relate(relate), m_columns(std::move(columns))
{
}

QStringList FileBrowseSource::headers() const
{
    QStringList out;
    for (const auto& c : m_columns)
        out << c.header;
    return out;
}

int FileBrowseSource::primaryField() const
{
    const int key = m_file.FILE->primaryKey();
    return key < 0 ? -1 : m_file.FILE->keys[size_t(key)].components.front().field;
}

qint64 FileBrowseSource::currentId() const
{
    const int f = primaryField();
    return f < 0 ? 0 : *static_cast<int32_t*>(m_file.FILE->fields[size_t(f)].at(m_file.BUFFER));
}

void FileBrowseSource::setId(qint64 id)
{
    if (const int f = primaryField(); f >= 0)
        *static_cast<int32_t*>(m_file.FILE->fields[size_t(f)].at(m_file.BUFFER)) = int32_t(id);
}

std::vector<BrowseRow> FileBrowseSource::fetchRows(const BrowseQuery& query)
{
    std::vector<BrowseRow> rows;
    // Reading moves the record buffer; the form and the caller keep what they had.
    const TableDesc& t = *m_file.FILE;
    std::unique_ptr<void, void (*)(void*)> saved(t.ops.make(), t.ops.destroy);
    t.ops.copy(saved.get(), m_file.BUFFER);

    const Order order = size_t(query.order) < m_orders.size() ? m_orders[size_t(query.order)]
                                                                 : Order{t.primaryKey(), {}, 0};
    // Every record of the view becomes a row.
    struct RowLoop : MH::VIEWMANAGER {
        using MH::VIEWMANAGER::VIEWMANAGER;
        std::function<void()> take;
        uint8_t TAKERECORD() override
        {
            take();
            return 0;
        }
    } view(m_file);
    if (order.key >= 0)
        view.SetOrder(order.key);
    else
        view.SetOrder(order.orderText);
    if (query.rangeValue.isValid() && order.key >= 0 && order.rangeComponents > 0) {
        if (applyRange)
            applyRange(query.rangeValue);
        view.SetRange(order.key, order.rangeComponents);
    }
    if (!query.filter.isEmpty())
        view.SetFilter(query.filter.toStdString());
    view.take = [&] {
        BrowseRow row;
        row.id = currentId();
        for (const auto& c : m_columns)
            row.cells << (c.text ? c.text() : QString());
        rows.push_back(std::move(row));
    };
    view.RUN(false, 1);
    t.ops.copy(m_file.BUFFER, saved.get());
    return rows;
}

bool FileBrowseSource::load(const QVariant& id)
{
    setId(id.toLongLong());
    return m_file.TryFetch(m_file.FILE->primaryKey()) == NoError;
}

std::optional<QVariant> FileBrowseSource::primeRecord()
{
    if (m_file.PrimeRecord() != NoError)
        return std::nullopt;
    return QVariant(currentId());
}

bool FileBrowseSource::deleteRecord(const QVariant& id)
{
    return load(id) && m_relate.Delete(false) == NoError;
}

QString FileBrowseSource::lastError() const { return m_file.ErrorText(); }

bool FileBrowseSource::primed() const { return m_file.HasReservedRow(); }
bool FileBrowseSource::prime() { return m_file.PrimeRecord() == NoError; }
bool FileBrowseSource::save() { return m_file.Update() == NoError; }
bool FileBrowseSource::remove() { return m_relate.Delete(false) == NoError; }
bool FileBrowseSource::cancelAutoInc() { return m_file.CancelAutoInc(&m_relate) == NoError; }

bool ViewSource::open()
{
    m_error.clear();
    if (m_view.Open() == NoError)
        return true;
    m_error = m_view.Primary().ErrorText();
    return false;
}

bool ViewSource::next()
{
    const int rc = m_view.Next();
    if (rc != NoError && rc != RecordNotAvailable)
        m_error = m_view.Primary().ErrorText();
    return rc == NoError;
}

} // namespace vrt
