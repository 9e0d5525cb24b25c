#include "services/DosFile.h"

#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString assertCaption() { return QStringLiteral("Assert DOSFM"); }

// A runtime date and time pair to seconds and nanoseconds since the epoch, local time.
std::optional<timespec> toTimespec(const DOSFMTYPE::DateTime& dt)
{
    const QDate date = vrt::dateFromDay(dt.date);
    if (!date.isValid())
        return std::nullopt;
    const std::int64_t hundredths = dt.time > 0 ? dt.time - 1 : 0;
    if (hundredths >= 8640000)
        return std::nullopt;
    const QDateTime local(date, QTime(0, 0), Qt::LocalTime);
    timespec ts{};
    ts.tv_sec = local.toSecsSinceEpoch() + hundredths / 100;
    ts.tv_nsec = long(hundredths % 100) * 10000000L;
    return ts;
}

DOSFMTYPE::DateTime fromTimespec(std::int64_t seconds, long nanoseconds)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    DOSFMTYPE::DateTime dt;
    dt.date = vrt::dayFromDate(local.date());
    const QTime t = local.time();
    dt.time = ((t.hour() * 60 + t.minute()) * 60 + t.second()) * 100 + int(nanoseconds / 10000000L) + 1;
    return dt;
}

// Writes all of `count` bytes, going on after short writes; the bytes written in `done`.
bool writeAll(int fd, const char* data, std::int64_t count, std::int64_t& done)
{
    done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, data + done, std::size_t(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

bool readAll(int fd, char* data, std::int64_t count, std::int64_t& done)
{
    done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, data + done, std::size_t(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        done += n;
    }
    return true;
}

} // namespace

void DOSFMTYPE::INIT()
{
    if (isOpen())
        DOSCLOSE();
    FILENAME.clear();
    EXISTS = 0;
    FILESIZE = 0;
    BYTESREMAIN = 0;
    HGLOBAL.reset();
    BUFSIZE = 0;
    ERRORSTR.clear();
    APIERRORCODE = 0;
    DEBUG = 1;
    OPENMODE = 66;
}

void DOSFMTYPE::KILL() { DOSCLOSE(); }

void DOSFMTYPE::TAKEERROR(const QString& message, int error)
{
    QString text = message;
    if (error != 0) {
        QString system;
        FORMATERRMSG(system, error, 80);
        text += QLatin1Char(' ') + system;
    }
    ERRORSTR = text.left(256);
    if (DEBUG)
        vrt::message(message, QStringLiteral("File Error"), vrt::Icon::Information, vrt::BUTTON_OK);
}

std::uint8_t DOSFMTYPE::unopened(const QString& text)
{
    if (DEBUG)
        vrt::message(text, assertCaption());
    return 1;
}

std::uint8_t DOSFMTYPE::ioFailed(int error)
{
    APIERRORCODE = error;
    TAKEERROR(QStringLiteral("Error reading file: ") + FILENAME, error);
    return 1;
}

std::uint8_t DOSFMTYPE::FORMATERRMSG(QString& out, int error, int size)
{
    char buffer[256] = {};
    const char* text = strerror_r(error, buffer, sizeof buffer);
    out = QString::fromLocal8Bit(text).left(std::max(size, 0));
    return out.isEmpty() ? 3 : 0;
}

std::uint8_t DOSFMTYPE::SETDOSFILENAME(const QString& name)
{
    QString clipped = name;
    while (clipped.endsWith(QLatin1Char(' ')))
        clipped.chop(1);
    if (!clipped.isEmpty() && !clipped.contains(QLatin1Char('/')) && !clipped.contains(QLatin1Char('\\'))
        && !clipped.contains(QLatin1Char(':')))
        clipped = QDir::currentPath() + QLatin1Char('/') + clipped;
    FILENAME = clipped;
    HFILE = -1;
    EXISTS = (!clipped.isEmpty() && QFileInfo::exists(clipped)) ? 1 : 0;
    return EXISTS;
}

std::uint8_t DOSFMTYPE::DOSOPEN(std::uint8_t randomAccess, std::uint8_t, std::uint8_t)
{
    // Temporary and hidden attributes have no counterpart here and are ignored.
    int flags = O_CREAT | O_CLOEXEC;
    switch (OPENMODE & 3) {
    case 1: flags |= O_WRONLY; break;
    case 2: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    const int fd = FILENAME.isEmpty() ? -1 : ::open(native(FILENAME).constData(), flags, 0600);
    bool ok = fd >= 0;
    int error = ok ? 0 : (FILENAME.isEmpty() ? ENOENT : errno);
    if (ok && (OPENMODE & 0x70) == 0x10 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
        ::close(fd);
        ok = false;
    }
    if (!ok) {
        APIERRORCODE = error;
        HFILE = -1;
        FILESIZE = 0;
        BYTESREMAIN = 0;
        TAKEERROR(QStringLiteral("Error Opening File: ") + FILENAME, error);
        return 1;
    }
    HFILE = fd;
    ::posix_fadvise(fd, 0, 0, randomAccess ? POSIX_FADV_RANDOM : POSIX_FADV_SEQUENTIAL);
    DOSFILESIZE();
    return 0;
}

std::uint8_t DOSFMTYPE::DOSOPENREPLACE()
{
    DOSCLOSE();
    const QFileInfo target(FILENAME);
    QByteArray pattern = native(target.absolutePath() + QStringLiteral("/.") + target.fileName()) + ".XXXXXX";
    const int fd = FILENAME.isEmpty() ? -1 : ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        APIERRORCODE = FILENAME.isEmpty() ? ENOENT : errno;
        TAKEERROR(QStringLiteral("Error Opening File: ") + FILENAME, APIERRORCODE);
        return 1;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old{};
    if (::stat(native(FILENAME).constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    HFILE = fd;
    m_staging = QFile::decodeName(pattern);
    FILESIZE = 0;
    BYTESREMAIN = 0;
    return 0;
}

std::uint8_t DOSFMTYPE::DOSCOMMIT()
{
    if (!isOpen() || m_staging.isEmpty())
        return unopened(QStringLiteral("Attempt to Write an unopened file."));
    int error = 0;
    if (::fsync(HFILE) != 0)
        error = errno;
    if (::close(HFILE) != 0 && error == 0)
        error = errno;
    HFILE = -1;
    if (error == 0 && ::rename(native(m_staging).constData(), native(FILENAME).constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(native(m_staging).constData());
    m_staging.clear();
    if (error != 0)
        return ioFailed(error);
    EXISTS = 1;
    return 0;
}

void DOSFMTYPE::closeDescriptor()
{
    APIERRORCODE = 0;
    if (isOpen() && ::close(HFILE) != 0)
        APIERRORCODE = errno;
    HFILE = -1;
}

void DOSFMTYPE::DOSCLOSE()
{
    closeDescriptor();
    if (!m_staging.isEmpty()) {
        ::unlink(native(m_staging).constData());
        m_staging.clear();
    }
}

std::int64_t DOSFMTYPE::DOSFILESIZE()
{
    struct stat st{};
    FILESIZE = (isOpen() && ::fstat(HFILE, &st) == 0) ? std::int64_t(st.st_size) : 0;
    const auto pos = isOpen() ? position() : std::nullopt;
    BYTESREMAIN = std::max<std::int64_t>(FILESIZE - pos.value_or(0), 0);
    return FILESIZE;
}

std::optional<std::int64_t> DOSFMTYPE::position()
{
    const off_t p = ::lseek(HFILE, 0, SEEK_CUR);
    if (p < 0)
        return std::nullopt;
    return std::int64_t(p);
}

std::uint8_t DOSFMTYPE::DOSWRITE(const void* buffer, std::int64_t count, std::uint64_t* written)
{
    if (written)
        *written = 0;
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Write an unopened file."));
    if (count < 0 || (count > 0 && !buffer))
        return ioFailed(EINVAL);
    std::int64_t done = 0;
    const bool ok = writeAll(HFILE, static_cast<const char*>(buffer), count, done);
    const int error = errno;
    if (written)
        *written = std::uint64_t(done);
    if (const auto p = position(); p && *p > FILESIZE)
        FILESIZE = *p;
    if (const auto p = position())
        BYTESREMAIN = std::max<std::int64_t>(FILESIZE - *p, 0);
    return ok ? 0 : ioFailed(error);
}

std::uint8_t DOSFMTYPE::DOSREAD(void* buffer, std::int64_t count, std::uint64_t* read)
{
    if (read)
        *read = 0;
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to read unopened file."));
    count = std::clamp<std::int64_t>(count, 0, BYTESREMAIN);
    if (count > 0 && !buffer)
        return ioFailed(EINVAL);
    std::int64_t done = 0;
    const bool ok = readAll(HFILE, static_cast<char*>(buffer), count, done);
    const int error = errno;
    BYTESREMAIN -= done;
    if (read)
        *read = std::uint64_t(done);
    return ok ? 0 : ioFailed(error);
}

std::uint8_t DOSFMTYPE::seekTo(std::int64_t target)
{
    target = std::clamp<std::int64_t>(target, 0, FILESIZE);
    if (::lseek(HFILE, off_t(target), SEEK_SET) < 0)
        return ioFailed(errno);
    BYTESREMAIN = FILESIZE - target;
    return 0;
}

std::uint8_t DOSFMTYPE::DOSSEEKFROMSTART(std::int64_t offset)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    return seekTo(offset);
}

std::uint8_t DOSFMTYPE::DOSSEEKFROMSTARTEX(std::uint64_t offset)
{
    return DOSSEEKFROMSTART(std::int64_t(std::min<std::uint64_t>(offset, std::uint64_t(INT64_MAX))));
}

std::uint8_t DOSFMTYPE::DOSSEEKFROMCURRENTPOS(std::int64_t distance)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    const auto p = position();
    if (!p)
        return ioFailed(errno);
    // Never past either end, so the bytes remaining stay within the file.
    return seekTo(*p + distance);
}

std::uint8_t DOSFMTYPE::DOSSEEKFROMEND(std::int64_t distance)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    return seekTo(FILESIZE - std::max<std::int64_t>(distance, 0));
}

std::uint8_t DOSFMTYPE::GETFILEPOSITION(std::int64_t& out)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    const auto p = position();
    if (!p)
        return ioFailed(errno);
    out = *p;
    return 0;
}

std::uint8_t DOSFMTYPE::SETENDOFFILE()
{
    std::int64_t p = 0;
    if (GETFILEPOSITION(p) != 0)
        return 1;
    if (::ftruncate(HFILE, off_t(p)) != 0)
        return ioFailed(errno);
    FILESIZE = p;
    BYTESREMAIN = 0;
    return 0;
}

std::uint8_t DOSFMTYPE::TRUNCATEBEFORE(std::int64_t blockSize)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    blockSize = std::clamp<std::int64_t>(blockSize, 512, std::int64_t(1) << 24);
    std::vector<char> block;
    try {
        block.resize(std::size_t(blockSize));
    } catch (const std::bad_alloc&) {
        TAKEERROR(QStringLiteral("out of memory"), ENOMEM);
        return 1;
    }
    const auto p = position();
    if (!p) {
        APIERRORCODE = errno;
        TAKEERROR(QStringLiteral("Error reading the file position."), APIERRORCODE);
        return 1;
    }
    if (*p == 0)
        return 0;
    std::int64_t kept = 0;
    if (*p < FILESIZE) {
        for (std::int64_t from = *p; from < FILESIZE;) {
            const std::int64_t want = std::min(blockSize, FILESIZE - from);
            const ssize_t got = ::pread(HFILE, block.data(), std::size_t(want), off_t(from));
            if (got <= 0)
                return ioFailed(got < 0 ? errno : EIO);
            if (::pwrite(HFILE, block.data(), std::size_t(got), off_t(kept)) != got)
                return ioFailed(errno);
            from += got;
            kept += got;
        }
    }
    if (::ftruncate(HFILE, off_t(kept)) != 0) {
        APIERRORCODE = errno;
        TAKEERROR(*p < FILESIZE ? QStringLiteral("Error truncating the file after copying.")
                                : QStringLiteral("Error truncating the file."),
                  APIERRORCODE);
        return 1;
    }
    FILESIZE = kept;
    return seekTo(0);
}

std::uint8_t DOSFMTYPE::FINDINFILEFROMEND(const QByteArray& key, std::int64_t span, std::int64_t blockSize)
{
    if (!isOpen())
        return unopened(QStringLiteral("Attempt to Seek unopened file."));
    const auto fail = [&](const QString& text, int error = 0) {
        APIERRORCODE = error;
        TAKEERROR(text, error);
        return std::uint8_t(1);
    };
    if (span > FILESIZE || span < 0)
        return fail(QStringLiteral("Seek from end is greater then filesize or negative."));
    if (key.size() > FILESIZE || key.size() > span)
        return fail(QStringLiteral("Search key is longer than the portion of the file to search."));
    if (key.isEmpty())
        return fail(QStringLiteral("Search key cannot be zero length."));
    // Consecutive blocks overlap by the key's length less one, so a key across a block
    // boundary is found too.
    const std::int64_t step = std::clamp<std::int64_t>(blockSize, 1, std::int64_t(1) << 24);
    const std::int64_t window = step + key.size() - 1;
    QByteArray block;
    try {
        block.resize(window);
    } catch (const std::bad_alloc&) {
        return fail(QStringLiteral("Out of memory allocating search buffer."), ENOMEM);
    }
    const std::int64_t start = FILESIZE - span;
    if (::lseek(HFILE, off_t(start), SEEK_SET) < 0)
        return fail(QStringLiteral("Error moving file point to search start location."), errno);
    for (std::int64_t at = start; at + key.size() <= FILESIZE; at += step) {
        const std::int64_t want = std::min(window, FILESIZE - at);
        const ssize_t got = ::pread(HFILE, block.data(), std::size_t(want), off_t(at));
        if (got < 0)
            return ioFailed(errno);
        const qsizetype found = QByteArrayView(block.constData(), got).indexOf(key);
        if (found >= 0) {
            if (::lseek(HFILE, off_t(at + found), SEEK_SET) < 0)
                return fail(QStringLiteral("Error setting file pointer for file truncation"), errno);
            BYTESREMAIN = FILESIZE - (at + found);
            return 0;
        }
    }
    seekTo(FILESIZE);
    return fail(QStringLiteral("Search key not found."));
}

std::uint8_t DOSFMTYPE::DOSREMOVE()
{
    if (FILENAME.isEmpty())
        return unopened(QStringLiteral("Attempt to Remove unnamed file."));
    DOSCLOSE();
    EXISTS = 0;
    if (::unlink(native(FILENAME).constData()) != 0) {
        APIERRORCODE = errno;
        return 1;
    }
    return 0;
}

std::uint8_t DOSFMTYPE::DOSRENAME(const QString& newName)
{
    QString clipped = newName;
    while (clipped.endsWith(QLatin1Char(' ')))
        clipped.chop(1);
    if (isOpen() || clipped.isEmpty() || FILENAME.isEmpty()) {
        TAKEERROR(QStringLiteral("File Not open. Rename failed."), 0);
        return 1;
    }
    if (::rename(native(FILENAME).constData(), native(clipped).constData()) != 0)
        return ioFailed(errno);
    FILENAME = clipped;
    return 0;
}

std::uint8_t DOSFMTYPE::setReadOnly(bool readOnly, const QString& unnamedText)
{
    if (FILENAME.isEmpty())
        return unopened(unnamedText);
    DOSCLOSE();
    struct stat st{};
    if (::stat(native(FILENAME).constData(), &st) != 0)
        return ioFailed(errno);
    const mode_t mode = readOnly ? (st.st_mode & ~mode_t(0222)) : (st.st_mode | S_IWUSR);
    if (::chmod(native(FILENAME).constData(), mode & 07777) != 0)
        return ioFailed(errno);
    return 0;
}

std::uint8_t DOSFMTYPE::DOSSETREADONLY() { return setReadOnly(true, QStringLiteral("Attempt to set R/O unnamed file.")); }

std::uint8_t DOSFMTYPE::DOSSETREADWRITE() { return setReadOnly(false, QStringLiteral("Attempt to set R/w unnamed file.")); }

std::uint8_t DOSFMTYPE::DOSGETFILETIME(DateTime& created, DateTime* written, DateTime* accessed,
                                       const std::optional<QString>& file)
{
    if (file) {
        INIT();
        DEBUG = 0;
        OPENMODE = 64; // read, shared
        if (!SETDOSFILENAME(*file) || DOSOPEN() != 0)
            return 3;
    }
    if (!isOpen())
        return 3;
    struct statx sx{};
    if (::statx(HFILE, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        APIERRORCODE = errno;
        created = {};
        if (file)
            DOSCLOSE();
        return 1;
    }
    created = (sx.stx_mask & STATX_BTIME) ? fromTimespec(sx.stx_btime.tv_sec, long(sx.stx_btime.tv_nsec)) : DateTime{};
    if (written)
        *written = fromTimespec(sx.stx_mtime.tv_sec, long(sx.stx_mtime.tv_nsec));
    if (accessed)
        *accessed = fromTimespec(sx.stx_atime.tv_sec, long(sx.stx_atime.tv_nsec));
    if (file)
        DOSCLOSE();
    return 0;
}

std::uint8_t DOSFMTYPE::DOSSETFILETIME(std::optional<DateTime>, std::optional<DateTime> written,
                                       std::optional<DateTime> accessed, const std::optional<QString>& file)
{
    if (file) {
        INIT();
        DEBUG = 0;
        if (!SETDOSFILENAME(*file) || DOSOPEN() != 0)
            return 3;
    }
    if (!isOpen())
        return 3;
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    std::uint8_t result = 0;
    for (auto [pair, slot] : {std::pair{&accessed, 0}, std::pair{&written, 1}}) {
        if (!*pair || (*pair)->date == 0)
            continue;
        const auto ts = toTimespec(**pair);
        if (!ts)
            result = 3;
        else
            times[slot] = *ts;
    }
    if (result == 0 && ::futimens(HFILE, times) != 0) {
        APIERRORCODE = errno;
        result = 3;
    }
    if (file)
        DOSCLOSE();
    return result;
}

std::uint8_t DOSFMTYPE::GETTEMPPATH(QString& out)
{
    std::error_code ec;
    const auto path = std::filesystem::temp_directory_path(ec);
    if (ec)
        return 3;
    out = QString::fromStdString(path.string());
    if (!out.endsWith(QLatin1Char('/')))
        out += QLatin1Char('/');
    return 0;
}

std::uint8_t DOSFMTYPE::GETTEMPFILE(QString* out)
{
    QString folder;
    if (GETTEMPPATH(folder) != 0)
        return 1;
    QString name;
    const std::int32_t mode = OPENMODE;
    const std::uint8_t result = CREATETEMPFILEINFOLDER(folder, name, 0);
    OPENMODE = mode;
    if (out)
        *out = name;
    return result;
}

std::uint8_t DOSFMTYPE::CREATETEMPFILEINFOLDER(const QString& folder, QString& out, std::int32_t openMode)
{
    DOSCLOSE();
    QString dir = folder;
    while (dir.endsWith(QLatin1Char(' ')))
        dir.chop(1);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    QByteArray pattern = native(dir) + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        APIERRORCODE = errno;
        TAKEERROR(QStringLiteral("Error creating temporary file."), APIERRORCODE);
        return 1;
    }
    ::close(fd);
    out = QFile::decodeName(pattern);
    FILENAME = out;
    EXISTS = 1;
    if (openMode != 0) {
        OPENMODE = openMode;
        return DOSOPEN();
    }
    return 0;
}

std::uint8_t DOSFMTYPE::ALLOCHGLOBAL(std::int64_t size)
{
    if (size <= 0)
        return 3;
    try {
        HGLOBAL = std::make_unique<std::vector<std::uint8_t>>(std::size_t(size));
    } catch (const std::bad_alloc&) {
        HGLOBAL.reset();
        BUFSIZE = 0;
        DOSCLOSE();
        return 3;
    }
    BUFSIZE = size;
    return 0;
}

void DOSFMTYPE::FREEHGLOBAL()
{
    HGLOBAL.reset();
    BUFSIZE = 0;
}

void DOSFMTYPE::reportHglobal(const QString& message)
{
    ERRORSTR = message.left(256);
    if (DEBUG)
        vrt::message(message);
}

std::uint8_t DOSFMTYPE::ATTACHHGLOBAL(std::unique_ptr<std::vector<std::uint8_t>> block, std::int64_t size)
{
    FREEHGLOBAL();
    if (!block) {
        reportHglobal(QStringLiteral("Attach hglobal called with a 0 hglobal"));
        return 3;
    }
    if (size == 0)
        size = std::int64_t(block->size());
    if (size == 0) {
        reportHglobal(QStringLiteral("could not get size of the hglobal with global size"));
        return 3;
    }
    // A size larger than the block would let reads run past it.
    BUFSIZE = std::min<std::int64_t>(size, std::int64_t(block->size()));
    HGLOBAL = std::move(block);
    return 0;
}

std::uint8_t DOSFMTYPE::FILETOHGLOBAL(const QString& file, std::uint8_t keepOpen)
{
    if (isOpen())
        return 3;
    if (!SETDOSFILENAME(file) || DOSOPEN() != 0)
        return 3;
    if (FILESIZE == 0) {
        DOSCLOSE();
        return 5;
    }
    if (!HGLOBAL || std::int64_t(HGLOBAL->size()) < FILESIZE) {
        if (ALLOCHGLOBAL(FILESIZE) != 0)
            return 3;
    }
    BUFSIZE = FILESIZE;
    std::uint64_t read = 0;
    if (seekTo(0) != 0 || DOSREAD(HGLOBAL->data(), FILESIZE, &read) != 0 || std::int64_t(read) != FILESIZE) {
        DOSCLOSE();
        return 3;
    }
    if (!keepOpen)
        DOSCLOSE();
    return 0;
}

std::uint8_t DOSFMTYPE::HGLOBALTOFILE(const QString& file, std::uint8_t overwrite, std::uint8_t freeAfter)
{
    DOSCLOSE();
    if (!HGLOBAL) {
        reportHglobal(QStringLiteral("no hglobal in hglobal to file."));
        return 3;
    }
    const std::int64_t size = BUFSIZE > 0 ? BUFSIZE : std::int64_t(HGLOBAL->size());
    if (size <= 0) {
        reportHglobal(QStringLiteral("could not get size of hglobal."));
        return 3;
    }
    if (SETDOSFILENAME(file) && !overwrite) {
        reportHglobal(QStringLiteral("parameter to overwrite is false and file exists."));
        return 3;
    }
    // The old file is replaced only once the new one is complete.
    if (DOSOPENREPLACE() != 0) {
        reportHglobal(QStringLiteral("could not create the file: ") + FILENAME);
        return 3;
    }
    if (DOSWRITE(HGLOBAL->data(), size) != 0 || DOSCOMMIT() != 0) {
        DOSCLOSE();
        reportHglobal(QStringLiteral("doswrite failed."));
        return 3;
    }
    if (freeAfter)
        FREEHGLOBAL();
    return 0;
}

std::uint8_t DOSFMTYPE::WRITETOBLOB(const QByteArray& blob)
{
    if (!isOpen() || FILENAME.isEmpty())
        return unopened(QStringLiteral("Attempt to Write unopened or unnamed file."));
    if (blob.isEmpty())
        return 1;
    return DOSWRITE(blob.constData(), blob.size());
}

std::uint8_t DOSFMTYPE::READTOBLOB(QByteArray& blob)
{
    if (!isOpen() || FILENAME.isEmpty())
        return unopened(QStringLiteral("Attempt to Read unopened or unnamed file."));
    blob.clear();
    DOSFILESIZE();
    if (FILESIZE == 0)
        return 0;
    try {
        blob.resize(FILESIZE);
    } catch (const std::bad_alloc&) {
        blob.clear();
        return 1;
    }
    std::uint64_t read = 0;
    if (seekTo(0) != 0 || DOSREAD(blob.data(), FILESIZE, &read) != 0 || std::int64_t(read) != FILESIZE) {
        blob.resize(qsizetype(read));
        return 1;
    }
    return 0;
}

void DOSFMTYPE::DFM_MEMCPY(void* destination, const void* source, std::int64_t count)
{
    if (destination && source && count > 0)
        std::memmove(destination, source, std::size_t(count));
}

// ---------------------------------------------------------------------------------------

QString HEXDECTYPE::HEXCHR(int digit)
{
    static const char digits[] = "0123456789ABCDEF";
    return QString(QLatin1Char(digits[digit & 15]));
}

QString HEXDECTYPE::IDECTOHEX(std::uint32_t value) { return QString::number(value, 16).toUpper(); }

QString HEXDECTYPE::DECTOHEX(std::uint32_t value, int width)
{
    const QString digits = IDECTOHEX(value);
    return width == 0 ? digits : digits.rightJustified(width, QLatin1Char('0')) + QLatin1Char('H');
}

std::uint8_t HEXDECTYPE::ISHEX(const QString& text)
{
    QString clipped = text;
    while (clipped.endsWith(QLatin1Char(' ')))
        clipped.chop(1);
    for (const QChar c : clipped) {
        const bool digit = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (!digit && c != QLatin1Char('H'))
            return 0;
    }
    return 1;
}

std::int32_t HEXDECTYPE::HEXTODEC(const QString& text)
{
    const QString upper = text.trimmed().toUpper();
    std::uint32_t value = 0;
    for (const QChar c : upper) {
        if (c == QLatin1Char('H'))
            continue;
        const int d = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0'
                      : (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ? c.unicode() - 'A' + 10
                                                                         : -1;
        if (d < 0)
            return 0;
        value = value * 16 + std::uint32_t(d);
    }
    return std::int32_t(value);
}

QString HEXDECTYPE::BINARYTOHEX(const void* data, std::int64_t count, std::uint8_t lines)
{
    QString out;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::int64_t i = 0; bytes && i < count; ++i) {
        out += HEXCHR(bytes[i] >> 4) + HEXCHR(bytes[i]) + QLatin1Char(' ');
        if (lines && ((i + 1) % 16 == 0 || i + 1 == count))
            out += QStringLiteral("\r\n");
    }
    return out;
}
