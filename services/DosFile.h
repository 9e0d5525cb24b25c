#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One binary file over POSIX descriptors: naming, opening by the runtime's open-mode number,
// raw reads and writes with the bytes remaining tracked, seeks, truncation, rename, removal,
// read-only, file times, temporary files, and whole files to and from a memory block or a
// BLOB. Sizes and positions are 64-bit.
//
// Results: 0 success, 1 or 3 failure, 5 an empty file in FILETOHGLOBAL. Failures set ERRORSTR
// (and APIERRORCODE = errno) and are shown only when DEBUG is set; nothing throws.
//
// Open modes: access in the low two bits (1 write, 2 read and write, else read), sharing in
// bits 4 to 6 (0x10 alone is "no sharing": an exclusive lock, refused while another holds
// one; read-only or write-only sharing cannot be expressed and is taken as shared). A missing
// file is created (private to the user), an existing one is never truncated.
//
// DOSOPENREPLACE and DOSCOMMIT write a whole new file safely: the bytes go to a hidden file
// beside the named one, which takes the name only at DOSCOMMIT; closing or killing before
// that leaves the named file as it was.
class DOSFMTYPE {
public:
    DOSFMTYPE() { INIT(); }
    ~DOSFMTYPE() { KILL(); }
    DOSFMTYPE(const DOSFMTYPE&) = delete;
    DOSFMTYPE& operator=(const DOSFMTYPE&) = delete;

    void INIT();
    void KILL();
    std::uint8_t SETDOSFILENAME(const QString& name);
    std::uint8_t DOSOPEN(std::uint8_t randomAccess = 0, std::uint8_t temporary = 0, std::uint8_t hidden = 0);
    std::uint8_t DOSOPENREPLACE();
    std::uint8_t DOSCOMMIT();
    void DOSCLOSE();
    std::int64_t DOSFILESIZE();
    std::uint8_t DOSWRITE(const void* buffer, std::int64_t count, std::uint64_t* written = nullptr);
    std::uint8_t DOSREAD(void* buffer, std::int64_t count, std::uint64_t* read = nullptr);
    std::uint8_t DOSREADEOF() const { return BYTESREMAIN <= 0 ? 1 : 0; }
    std::uint8_t DOSSEEKFROMSTART(std::int64_t offset);
    std::uint8_t DOSSEEKFROMCURRENTPOS(std::int64_t distance);
    // Distance 0 is the end; a positive distance is that many bytes back from the end.
    std::uint8_t DOSSEEKFROMEND(std::int64_t distance);
    std::uint8_t DOSSEEKFROMSTARTEX(std::uint64_t offset);
    std::uint8_t GETFILEPOSITION(std::int64_t& position);
    std::uint8_t SETENDOFFILE();
    std::uint8_t TRUNCATEBEFORE(std::int64_t blockSize);
    // Found: 0, with the position at the match's first byte.
    std::uint8_t FINDINFILEFROMEND(const QByteArray& key, std::int64_t span, std::int64_t blockSize);
    std::uint8_t DOSREMOVE();
    std::uint8_t DOSRENAME(const QString& newName);
    std::uint8_t DOSSETREADONLY();
    std::uint8_t DOSSETREADWRITE();
    // Runtime day numbers and times (hundredths since midnight + 1), local time. The creation
    // time is read where the file system keeps one (else 0) and cannot be set.
    struct DateTime {
        std::int32_t date = 0;
        std::int32_t time = 0;
    };
    std::uint8_t DOSGETFILETIME(DateTime& created, DateTime* written = nullptr, DateTime* accessed = nullptr,
                                const std::optional<QString>& file = std::nullopt);
    std::uint8_t DOSSETFILETIME(std::optional<DateTime> created, std::optional<DateTime> written,
                                std::optional<DateTime> accessed, const std::optional<QString>& file = std::nullopt);
    std::uint8_t GETTEMPPATH(QString& out);
    std::uint8_t GETTEMPFILE(QString* out = nullptr);
    std::uint8_t CREATETEMPFILEINFOLDER(const QString& folder, QString& out, std::int32_t openMode);
    std::uint8_t ALLOCHGLOBAL(std::int64_t size);
    void FREEHGLOBAL();
    std::uint8_t ATTACHHGLOBAL(std::unique_ptr<std::vector<std::uint8_t>> block, std::int64_t size);
    std::uint8_t FILETOHGLOBAL(const QString& file, std::uint8_t keepOpen);
    std::uint8_t HGLOBALTOFILE(const QString& file, std::uint8_t overwrite, std::uint8_t freeAfter);
    std::uint8_t WRITETOBLOB(const QByteArray& blob);
    std::uint8_t READTOBLOB(QByteArray& blob);
    static void DFM_MEMCPY(void* destination, const void* source, std::int64_t count);
    static std::uint8_t FORMATERRMSG(QString& out, int error, int size = 256);
    void TAKEERROR(const QString& message, int error);

    QString FILENAME;
    int HFILE = -1; // the descriptor; -1 when closed
    std::uint8_t EXISTS = 0;
    std::int32_t OPENMODE = 66;
    std::int64_t FILESIZE = 0;
    std::int64_t BYTESREMAIN = 0;
    std::unique_ptr<std::vector<std::uint8_t>> HGLOBAL;
    std::int64_t BUFSIZE = 0;
    std::uint8_t DEBUG = 1;
    QString ERRORSTR;
    int APIERRORCODE = 0;

private:
    bool isOpen() const { return HFILE >= 0; }
    std::uint8_t unopened(const QString& text);
    std::uint8_t seekTo(std::int64_t position);
    std::optional<std::int64_t> position();
    std::uint8_t setReadOnly(bool readOnly, const QString& unnamedText);
    std::uint8_t ioFailed(int error);
    void closeDescriptor();
    void reportHglobal(const QString& message);
    QString m_staging; // the hidden file DOSCOMMIT renames, while one is being written
};

// Hexadecimal helpers. Digits are upper case.
class HEXDECTYPE {
public:
    static QString HEXCHR(int digit);
    static QString IDECTOHEX(std::uint32_t value);
    // Padded on the left with "0" to `width` and followed by "H" when width is not 0.
    static QString DECTOHEX(std::uint32_t value, int width);
    static std::uint8_t ISHEX(const QString& text);
    // Text that is not hexadecimal (after the "H"s are skipped) gives 0.
    static std::int32_t HEXTODEC(const QString& text);
    static QString BINARYTOHEX(const void* data, std::int64_t count, std::uint8_t lines);
};
