#include "services/SafeArray.h"

#include <cstring>
#include <mutex>

namespace ourcom {

namespace {
constexpr std::uint64_t kMaxArrayBytes = 256ull * 1024 * 1024;
constexpr std::uint16_t kByteArray = VT_ARRAY | VT_UI1;
} // namespace

SafeArray* safeArrayCreate(std::uint16_t vt, std::uint32_t elementSize, const std::vector<SafeArrayBound>& bounds)
{
    if (elementSize == 0 || bounds.empty())
        return nullptr;
    std::uint64_t total = elementSize;
    for (const SafeArrayBound& b : bounds) {
        if (b.elements < 0)
            return nullptr;
        total *= std::uint64_t(b.elements);
        if (total > kMaxArrayBytes)
            return nullptr;
    }
    auto* a = new SafeArray;
    a->vt = vt;
    a->elementSize = elementSize;
    a->bounds = bounds;
    a->data.assign(std::size_t(total), 0);
    return a;
}

bool safeArrayDestroy(SafeArray* array)
{
    if (!array || array->locks > 0)
        return false;
    if (array->vt == VT_VARIANT)
        for (std::size_t off = 0; off + sizeof(Variant) <= array->data.size(); off += sizeof(Variant)) {
            Variant v;
            std::memcpy(&v, array->data.data() + off, sizeof v);
            variantClear(v);
        }
    delete array;
    return true;
}

std::uint8_t* safeArrayPtrOfIndex(SafeArray* array, const std::vector<std::int32_t>& indices)
{
    if (!array || indices.size() != array->bounds.size())
        return nullptr;
    // The first dimension varies fastest.
    std::uint64_t offset = 0;
    std::uint64_t stride = 1;
    for (std::size_t d = 0; d < indices.size(); ++d) {
        const SafeArrayBound& b = array->bounds[d];
        const std::int64_t i = std::int64_t(indices[d]) - b.lowerBound;
        if (i < 0 || i >= b.elements)
            return nullptr;
        offset += std::uint64_t(i) * stride;
        stride *= std::uint64_t(b.elements);
    }
    return array->data.data() + offset * array->elementSize;
}

SARRAYCLTYPE::~SARRAYCLTYPE() { KILL(); }

std::uint8_t SARRAYCLTYPE::fail(const QString& text, std::uint8_t code)
{
    ERRORSTR = text;
    return code;
}

void SARRAYCLTYPE::clear()
{
    PSA = nullptr;
    CDIMS = DATASIZE = 0;
    VARIANTTYPE = 0;
    DATALOCKED = 0;
}

std::uint8_t SARRAYCLTYPE::INIT(std::uint16_t type, std::int32_t elementSize, const std::vector<std::int32_t>& extents)
{
    KILL();
    ERRORSTR.clear();
    if (elementSize < 1)
        return fail(QStringLiteral("Data size less than one. Can not create a safearray."));
    if (extents.empty())
        return fail(QStringLiteral("Bounds less than one. Can not create a Safearray!"));
    std::vector<SafeArrayBound> bounds;
    for (std::int32_t e : extents)
        bounds.push_back({e, 1});
    SafeArray* a = safeArrayCreate(type, std::uint32_t(elementSize), bounds);
    if (!a)
        return fail(QStringLiteral("Error creating array."));
    PSA = a;
    CDIMS = std::int32_t(extents.size());
    DATASIZE = elementSize;
    VARIANTTYPE = type;
    return 0;
}

std::uint8_t SARRAYCLTYPE::KILL()
{
    if (!PSA)
        return 0;
    UNLOCKDATA();
    const bool ok = safeArrayDestroy(PSA);
    clear();
    return ok ? 0 : fail(QStringLiteral("Error disposing of SafeArray"), 5);
}

std::uint8_t SARRAYCLTYPE::ATTACH(SafeArray* array, std::uint16_t type)
{
    if (PSA && PSA != array)
        KILL();
    clear();
    if (!array || array->bounds.empty() || array->elementSize == 0)
        return 3;
    PSA = array;
    VARIANTTYPE = type;
    CDIMS = std::int32_t(array->bounds.size());
    DATASIZE = std::int32_t(array->elementSize);
    return 0;
}

SafeArray* SARRAYCLTYPE::DETACH()
{
    UNLOCKDATA();
    SafeArray* a = PSA;
    clear();
    return a;
}

std::uint8_t SARRAYCLTYPE::GETBOUNDS(std::int32_t dimension, std::int32_t& lower, std::int32_t& upper)
{
    lower = upper = 0;
    if (!PSA || dimension < 1 || dimension > CDIMS)
        return 3;
    const SafeArrayBound& b = PSA->bounds[std::size_t(dimension - 1)];
    lower = b.lowerBound;
    upper = b.lowerBound + b.elements - 1;
    return 0;
}

std::uint8_t SARRAYCLTYPE::LOCKDATA()
{
    if (DATALOCKED)
        return 0;
    if (!PSA)
        return fail(QStringLiteral("No Safearray defined."));
    ++PSA->locks;
    DATALOCKED = 1;
    return 0;
}

std::uint8_t SARRAYCLTYPE::UNLOCKDATA()
{
    if (!DATALOCKED)
        return 0;
    if (!PSA || PSA->locks == 0)
        return fail(QStringLiteral("Can not unaccess data."));
    --PSA->locks;
    DATALOCKED = 0;
    return 0;
}

std::uint8_t SARRAYCLTYPE::GETDATA(const std::vector<std::int32_t>& indices, void* target, bool keepLocked)
{
    if (LOCKDATA() != 0)
        return 3;
    std::uint8_t* p = safeArrayPtrOfIndex(PSA, indices);
    std::uint8_t r = 0;
    if (!p || !target)
        r = fail(QStringLiteral("Bad array indices reading data."));
    else
        std::memcpy(target, p, std::size_t(DATASIZE));
    if (!keepLocked) {
        const std::uint8_t u = UNLOCKDATA();
        if (r == 0)
            r = u;
    }
    return r;
}

std::uint8_t SARRAYCLTYPE::PUTDATA(const std::vector<std::int32_t>& indices, const void* source, bool keepLocked)
{
    if (LOCKDATA() != 0)
        return 3;
    std::uint8_t* p = safeArrayPtrOfIndex(PSA, indices);
    std::uint8_t r = 0;
    if (!p || !source)
        r = fail(QStringLiteral("Can not put data."));
    else
        std::memcpy(p, source, std::size_t(DATASIZE));
    if (!keepLocked) {
        const std::uint8_t u = UNLOCKDATA();
        if (r == 0)
            r = u;
    }
    return r;
}

std::uint8_t SARRAYCLTYPE::GETDATAONE(const std::vector<std::int32_t>& indices, void* target)
{
    std::uint8_t* p = safeArrayPtrOfIndex(PSA, indices);
    if (!p || !target)
        return fail(QStringLiteral("Error getting array data."));
    std::memcpy(target, p, std::size_t(DATASIZE));
    return 0;
}

std::uint8_t SARRAYCLTYPE::PUTVARIANT(const std::vector<std::int32_t>& indices, const Variant& value, bool keepLocked,
                                      bool copy)
{
    if (VARIANTTYPE != VT_VARIANT || DATASIZE != std::int32_t(sizeof(Variant)))
        return fail(QStringLiteral("Can not put data."));
    if (LOCKDATA() != 0)
        return 3;
    std::uint8_t* p = safeArrayPtrOfIndex(PSA, indices);
    std::uint8_t r = 0;
    if (!p) {
        r = fail(QStringLiteral("Can not put data."));
    } else {
        Variant old;
        std::memcpy(&old, p, sizeof old);
        variantClear(old);
        Variant v;
        if (copy)
            variantCopy(v, value);
        else
            v = value;
        std::memcpy(p, &v, sizeof v);
    }
    if (!keepLocked) {
        const std::uint8_t u = UNLOCKDATA();
        if (r == 0)
            r = u;
    }
    return r;
}

std::uint8_t SARRAYCLTYPE::STRINGTOSAFEARRAY(SafeArray*& array, const QByteArray& data, std::int32_t length)
{
    array = nullptr;
    if (length < 1 || length > data.size())
        return fail(QStringLiteral("Error creating array."));
    SARRAYCLTYPE made;
    if (made.INIT(VT_UI1, 1, {length}) != 0)
        return fail(made.ERRORSTR);
    for (std::int32_t i = 1; i <= length; ++i) {
        const char byte = data.at(i - 1);
        if (made.PUTDATA({i}, &byte, true) != 0)
            return fail(made.ERRORSTR);
    }
    if (made.UNLOCKDATA() != 0)
        return fail(made.ERRORSTR);
    array = made.DETACH();
    return 0;
}

QByteArray SARRAYCLTYPE::SAFEARRAYTOSTRING(SafeArray* array, std::uint16_t variantType, std::uint8_t& error, bool keep)
{
    error = 0;
    if (variantType != kByteArray || !array) {
        error = fail(QStringLiteral("Not a one dimentional byte array."));
        return {};
    }
    SARRAYCLTYPE reader;
    reader.ATTACH(array, VT_UI1);
    QByteArray out;
    std::int32_t lower = 0, upper = 0;
    if (reader.CDIMS != 1 || reader.DATASIZE != 1) {
        error = fail(QStringLiteral("Safe array is not a one dimention byte array!"));
    } else if (reader.GETBOUNDS(1, lower, upper) != 0 || lower < 0 || upper < 0) {
        error = fail(QStringLiteral("No Data"), 5);
    } else {
        for (std::int32_t i = lower; i <= upper; ++i) {
            char byte = 0;
            if (reader.GETDATA({i}, &byte, true) != 0) {
                error = fail(reader.ERRORSTR);
                out.clear();
                break;
            }
            out.append(byte);
        }
    }
    reader.UNLOCKDATA();
    if (keep)
        reader.DETACH();
    else
        reader.KILL();
    return out;
}

std::uint8_t SARRAYCLTYPE::SAFEARRAYTOQ(SafeArray* array, std::uint16_t variantType, RecordQueue& queue)
{
    if (variantType <= 8191 || !array)
        return fail(QStringLiteral("Not a safe array."));
    SARRAYCLTYPE reader;
    reader.ATTACH(array, std::uint16_t(variantType - 8192));
    std::uint8_t r = 0;
    std::int32_t lower = 0, upper = 0;
    if (reader.CDIMS != 1) {
        r = fail(QStringLiteral("Safe array is not a one dim array!"));
    } else if (reader.DATASIZE > queue.recordSize) {
        r = fail(QStringLiteral("A data element in the array %1 is larger than the output queue size of: %2")
                     .arg(reader.DATASIZE)
                     .arg(queue.recordSize));
    } else if (reader.GETBOUNDS(1, lower, upper) != 0 || lower < 0 || upper < 0) {
        r = fail(QStringLiteral("No Data"), 5);
    } else {
        for (std::int32_t i = lower; i <= upper; ++i) {
            QByteArray record(queue.recordSize, '\0');
            if (reader.GETDATA({i}, record.data(), true) != 0) {
                r = fail(reader.ERRORSTR);
                break;
            }
            queue.records.push_back(record);
        }
    }
    // The caller still owns the array.
    reader.DETACH();
    return r;
}

namespace {
std::recursive_mutex& processLock()
{
    static std::recursive_mutex lock;
    return lock;
}
} // namespace

void CRITSCLTYPE::ENTERCRITICALSECTION() { processLock().lock(); }
void CRITSCLTYPE::LEAVECRITICALSECTION() { processLock().unlock(); }

} // namespace ourcom
