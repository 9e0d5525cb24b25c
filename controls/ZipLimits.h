#pragma once
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>

struct zip;

namespace controls {

// Bounds on reading an archive a user can put in place: a hostile one (a zip bomb, a flood of
// entries) is refused before it fills memory or the disk. Sizes are counted while inflating;
// the sizes the archive states are never trusted.
struct ZipCaps {
    qint64 entries = 4096;
    qint64 entrySize = qint64(64) << 20;
    qint64 total = qint64(128) << 20;
};

class CappedZipReader {
public:
    explicit CappedZipReader(zip* archive, const ZipCaps& caps = {}) : m_zip(archive), m_caps(caps) {}

    // The number of entries when it is within the cap and every name is safe; -1 with error().
    qint64 checkEntries();
    // Hands entry `index` to `sink` piece by piece; false with error() when the entry or the
    // running total passes its cap, the data is damaged or the sink refuses a piece.
    bool read(uint64_t index, const std::function<bool(const char* data, qint64 size)>& sink);
    // The entry whole, within the caps.
    bool readAll(uint64_t index, QByteArray* out);
    QString name(uint64_t index) const;
    QString error() const { return m_error; }

private:
    bool fail(const QString& text);

    zip* m_zip;
    ZipCaps m_caps;
    qint64 m_total = 0;
    QString m_error;
};

} // namespace controls
