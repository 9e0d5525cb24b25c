#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

#include "services/ComTypes.h"

// Arrays of fixed-size elements as components hand them over, with per-dimension bounds and
// a lock count, and a process-wide lock.
namespace ourcom {

struct SafeArrayBound {
    std::int32_t elements = 0;
    std::int32_t lowerBound = 0;
};

struct SafeArray {
    std::uint16_t vt = VT_EMPTY;
    std::uint32_t elementSize = 0;
    std::uint32_t locks = 0;
    std::vector<SafeArrayBound> bounds; // first dimension first
    std::vector<std::uint8_t> data;
};

// nullptr when an extent is negative, the element size is 0 or the data would exceed 256 MB.
SafeArray* safeArrayCreate(std::uint16_t vt, std::uint32_t elementSize, const std::vector<SafeArrayBound>& bounds);
// Fails (false) while the data is locked.
bool safeArrayDestroy(SafeArray* array);
// The element's address, nullptr when an index is out of its bounds.
std::uint8_t* safeArrayPtrOfIndex(SafeArray* array, const std::vector<std::int32_t>& indices);

// A queue of fixed-size records, as SAFEARRAYTOQ fills it.
struct RecordQueue {
    std::int32_t recordSize = 0;
    std::vector<QByteArray> records;
};

// One array: create or attach, bounds, lock, element reads and writes, and byte arrays to and
// from text or a queue. Arrays made here have lower bound 1 in every dimension. Results: 0
// success, 3 failure, 5 as listed; ERRORSTR says why.
class SARRAYCLTYPE {
public:
    SARRAYCLTYPE() = default;
    ~SARRAYCLTYPE();
    SARRAYCLTYPE(const SARRAYCLTYPE&) = delete;
    SARRAYCLTYPE& operator=(const SARRAYCLTYPE&) = delete;

    std::uint8_t INIT(std::uint16_t type, std::int32_t elementSize, const std::vector<std::int32_t>& extents);
    // 0, or 5 when the array cannot be destroyed. Frees only an array this object made or was
    // handed with ATTACH.
    std::uint8_t KILL();
    std::uint8_t ATTACH(SafeArray* array, std::uint16_t type);
    // Lets go of the array without destroying it (its new owner does).
    SafeArray* DETACH();
    std::int32_t GETDIMENTIONCOUNT() const { return CDIMS; }
    std::uint8_t GETBOUNDS(std::int32_t dimension, std::int32_t& lower, std::int32_t& upper);
    std::uint8_t LOCKDATA();
    std::uint8_t UNLOCKDATA();
    std::uint8_t GETDATA(const std::vector<std::int32_t>& indices, void* target, bool keepLocked);
    std::uint8_t PUTDATA(const std::vector<std::int32_t>& indices, const void* source, bool keepLocked);
    std::uint8_t GETDATAONE(const std::vector<std::int32_t>& indices, void* target);
    // Only for arrays of variants: the value given, or with `copy` a copy of `value`.
    std::uint8_t PUTVARIANT(const std::vector<std::int32_t>& indices, const Variant& value, bool keepLocked, bool copy);

    // A new one-dimensional byte array of the data's first `length` bytes; the caller owns it.
    std::uint8_t STRINGTOSAFEARRAY(SafeArray*& array, const QByteArray& data, std::int32_t length);
    // The bytes of a byte array (type VT_ARRAY|VT_UI1); destroyed afterwards unless `keep`.
    QByteArray SAFEARRAYTOSTRING(SafeArray* array, std::uint16_t variantType, std::uint8_t& error, bool keep);
    // One queue record per element of a one-dimensional array.
    std::uint8_t SAFEARRAYTOQ(SafeArray* array, std::uint16_t variantType, RecordQueue& queue);

    QString ERRORSTR;
    SafeArray* PSA = nullptr;
    std::int32_t CDIMS = 0;
    std::int32_t DATASIZE = 0;
    std::uint16_t VARIANTTYPE = 0;
    std::uint8_t DATALOCKED = 0;

private:
    std::uint8_t fail(const QString& text, std::uint8_t code = 3);
    void clear();
};

// The process-wide lock: every instance locks the same recursive mutex, made once.
class CRITSCLTYPE {
public:
    void ENTERCRITICALSECTION();
    void LEAVECRITICALSECTION();
};

} // namespace ourcom
