#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Any text file read and written line by line: open, create or open-or-create by name and
// open mode, read the line at a byte position (or the next one), append a line, rewrite the
// line read last, find where the next line would be written. Positions are 1-based byte
// offsets that count the line ends; lines end in CR LF as the runtime's text files do (the
// line end of the file's first line when it has one), and both CR LF and LF are read.
// Each object has its own file. Results: 0 done, 3 no file, 5 the file failed (errorString()).
namespace ext {

class ANYASCIIFILECLASS {
public:
    ANYASCIIFILECLASS() = default;
    ~ANYASCIIFILECLASS() { CLOSEFILE(); }
    ANYASCIIFILECLASS(const ANYASCIIFILECLASS&) = delete;
    ANYASCIIFILECLASS& operator=(const ANYASCIIFILECLASS&) = delete;

    // Open modes as the runtime numbers them: access in the low two bits (0 read, 1 write,
    // 2 read and write), sharing above them (kept, not enforced).
    int INITFILE(const std::optional<QString>& name, bool create, int mode);
    int OPENFILE(const QString& name, int mode) { return INITFILE(name, false, mode); }
    int CREATEFILE(const QString& name, int mode) { return INITFILE(name, true, mode); }
    int OPENORCREATEFILE(const QString& name, int mode);
    void CLOSEFILE();
    bool ISOPEN() const { return !FILENAME.isEmpty(); }
    QString GETNAME() const { return FILENAME; }
    void SETAUTOFLUSH(bool on) { AUTOFLUSH = on; }
    void SETREADPOSITION(qint64 position);
    qint64 GETREADPOSITION() const { return ISOPEN() ? READPOSITION : 0; }

    // The line at `position` (default: READPOSITION), without its line end and trailing
    // blanks.
    int READ(QString& line, std::optional<qint64> position = std::nullopt);
    // Appends a line (trailing blanks dropped).
    int WRITE(const QString& line);
    // Rewrites the line read last with the whole of `line`: the file is written anew beside
    // the old one and takes its place at once, so a failure leaves it as it was.
    int REPLACE(const QString& line);
    qint64 GETWRITEPOSITION();

    QString FILENAME;
    int OPENMODE = 0;
    qint64 READPOSITION = 1;
    qint64 PREVIOUSREADPOSITION = 0;
    bool AUTOFLUSH = false;
    QString errorString() const { return m_error; }

private:
    int fail(const QString& text);
    bool ensureOpen();
    QByteArray lineEnd();
    // The bytes of the line at `position` (1-based) and the length of its line end.
    bool lineAt(qint64 position, QByteArray& bytes, int& endLength);
    bool writable() const { return (OPENMODE & 3) != 0; }

    QFile m_file;
    QString m_error;
};

} // namespace ext
