#include "controls/ZipLimits.h"

#include "controls/ZipKit.h"

#include <QByteArray>
#include <zip.h>

namespace controls {

namespace {
QString megabytes(qint64 bytes) { return QString::number(bytes >> 20) + QStringLiteral(" MB"); }
} // namespace

bool CappedZipReader::fail(const QString& text)
{
    m_error = text;
    return false;
}

QString CappedZipReader::name(uint64_t index) const
{
    const char* raw = zip_get_name(m_zip, index, ZIP_FL_ENC_GUESS);
    return raw ? QString::fromUtf8(raw) : QString();
}

qint64 CappedZipReader::checkEntries()
{
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    if (n < 0 || n > m_caps.entries) {
        fail(QStringLiteral("The archive holds more than %1 entries").arg(m_caps.entries));
        return -1;
    }
    for (zip_int64_t i = 0; i < n; ++i) {
        const QString entry = name(uint64_t(i));
        if (!isSafeEntryName(entry)) {
            fail(QStringLiteral("Unsafe name in archive: ") + entry);
            return -1;
        }
    }
    return n;
}

bool CappedZipReader::read(uint64_t index, const std::function<bool(const char*, qint64)>& sink)
{
    zip_file_t* f = zip_fopen_index(m_zip, index, 0);
    if (!f)
        return fail(name(index) + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(m_zip)));
    char buffer[64 * 1024];
    qint64 size = 0;
    zip_int64_t got = 0;
    while ((got = zip_fread(f, buffer, sizeof buffer)) > 0) {
        size += got;
        m_total += got;
        if (size > m_caps.entrySize) {
            zip_fclose(f);
            return fail(name(index) + QStringLiteral(": An entry larger than ") + megabytes(m_caps.entrySize));
        }
        if (m_total > m_caps.total) {
            zip_fclose(f);
            return fail(QStringLiteral("The archive unpacks to more than ") + megabytes(m_caps.total));
        }
        if (!sink(buffer, got)) {
            zip_fclose(f);
            return false;
        }
    }
    if (got < 0) {
        const QString why = name(index) + QStringLiteral(": ") + QString::fromUtf8(zip_file_strerror(f));
        zip_fclose(f);
        return fail(why);
    }
    zip_fclose(f);
    return true;
}

bool CappedZipReader::readAll(uint64_t index, QByteArray* out)
{
    out->clear();
    return read(index, [out](const char* data, qint64 size) {
        out->append(data, qsizetype(size));
        return true;
    });
}

} // namespace controls
