#include "extensions/LineFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace ext {

namespace {

QByteArray clipped(const QString& line)
{
    QString s = line;
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s.toUtf8();
}

QIODevice::OpenMode qtMode(int mode)
{
    switch (mode & 3) {
    case 0: return QIODevice::ReadOnly;
    default: return QIODevice::ReadWrite; // appends and rewrites read the file too
    }
}

} // namespace

int ANYASCIIFILECLASS::fail(const QString& text)
{
    m_error = text;
    return 5;
}

int ANYASCIIFILECLASS::INITFILE(const std::optional<QString>& name, bool create, int mode)
{
    if (!name) {
        if (FILENAME.isEmpty())
            return 3;
        if (m_file.isOpen() && m_file.fileName() == FILENAME)
            return 0;
    }
    const QString file = name ? name->trimmed() : FILENAME;
    const int useMode = name ? mode : OPENMODE;
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(file);
    if (create) {
        bool made = false;
        for (int attempt = 0; attempt < 50 && !made; ++attempt) {
            QFile::remove(file);
            QFile fresh(file);
            made = fresh.open(QIODevice::WriteOnly | QIODevice::Truncate);
        }
        if (!made)
            return fail(QStringLiteral("%1 cannot be created.").arg(file));
    }
    bool opened = false;
    for (int attempt = 0; attempt < 50 && !opened; ++attempt)
        opened = m_file.open(qtMode(useMode));
    if (!opened)
        return fail(QStringLiteral("%1 cannot be opened: %2").arg(file, m_file.errorString()));
    if (name) {
        FILENAME = QFileInfo(file).absoluteFilePath();
        m_file.setFileName(FILENAME);
        OPENMODE = mode;
        READPOSITION = 1;
        PREVIOUSREADPOSITION = 0;
    }
    return 0;
}

int ANYASCIIFILECLASS::OPENORCREATEFILE(const QString& name, int mode)
{
    return INITFILE(name, !QFileInfo::exists(name.trimmed()), mode);
}

void ANYASCIIFILECLASS::CLOSEFILE()
{
    if (FILENAME.isEmpty())
        return;
    m_file.close();
    FILENAME.clear();
}

void ANYASCIIFILECLASS::SETREADPOSITION(qint64 position)
{
    if (ISOPEN())
        READPOSITION = position;
}

bool ANYASCIIFILECLASS::ensureOpen()
{
    if (m_file.isOpen())
        return true;
    return INITFILE(std::nullopt, false, OPENMODE) == 0;
}

bool ANYASCIIFILECLASS::lineAt(qint64 position, QByteArray& bytes, int& endLength)
{
    if (position < 1 || !m_file.seek(position - 1) || m_file.atEnd())
        return false;
    bytes = m_file.readLine();
    endLength = 0;
    if (bytes.endsWith('\n')) {
        bytes.chop(1);
        endLength = 1;
        if (bytes.endsWith('\r')) {
            bytes.chop(1);
            endLength = 2;
        }
    }
    return true;
}

int ANYASCIIFILECLASS::READ(QString& line, std::optional<qint64> position)
{
    if (!ISOPEN())
        return 3;
    if (!ensureOpen())
        return 5;
    const qint64 at = position.value_or(READPOSITION);
    QByteArray bytes;
    int endLength = 0;
    if (!lineAt(at, bytes, endLength))
        return fail(QStringLiteral("No line at position %1 of %2.").arg(at).arg(FILENAME));
    PREVIOUSREADPOSITION = at;
    READPOSITION = at + bytes.size() + endLength;
    line = QString::fromUtf8(bytes);
    while (!line.isEmpty() && line.back() == QLatin1Char(' '))
        line.chop(1);
    return 0;
}

QByteArray ANYASCIIFILECLASS::lineEnd()
{
    QByteArray first;
    int endLength = 0;
    if (lineAt(1, first, endLength) && endLength == 1)
        return "\n";
    return "\r\n";
}

int ANYASCIIFILECLASS::WRITE(const QString& line)
{
    if (!ISOPEN())
        return 3;
    if (!ensureOpen())
        return 5;
    if (!writable())
        return fail(QStringLiteral("%1 is open for reading only.").arg(FILENAME));
    const QByteArray end = lineEnd();
    QByteArray out;
    const qint64 size = m_file.size();
    if (size > 0 && m_file.seek(size - 1) && m_file.read(1) != "\n")
        out += end; // the last line had no line end: a new line starts after it
    out += clipped(line) + end;
    if (!m_file.seek(m_file.size()) || m_file.write(out) != out.size() || !m_file.flush())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(FILENAME, m_file.errorString()));
    if (AUTOFLUSH)
        m_file.close();
    return 0;
}

int ANYASCIIFILECLASS::REPLACE(const QString& line)
{
    if (!ISOPEN())
        return 3;
    if (!ensureOpen())
        return 5;
    if (PREVIOUSREADPOSITION < 1)
        return fail(QStringLiteral("No line of %1 has been read.").arg(FILENAME));
    if (!writable())
        return fail(QStringLiteral("%1 is open for reading only.").arg(FILENAME));
    QByteArray old;
    int endLength = 0;
    if (!lineAt(PREVIOUSREADPOSITION, old, endLength))
        return fail(QStringLiteral("The line read last is no longer in %1.").arg(FILENAME));
    if (!m_file.seek(0))
        return fail(m_file.errorString());
    QByteArray all = m_file.readAll();
    const QByteArray text = clipped(line);
    all.replace(PREVIOUSREADPOSITION - 1, old.size(), text);
    QSaveFile save(FILENAME);
    if (!save.open(QIODevice::WriteOnly) || save.write(all) != all.size() || !save.commit())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(FILENAME, save.errorString()));
    // The file was replaced: read on in the new one.
    m_file.close();
    if (READPOSITION > PREVIOUSREADPOSITION)
        READPOSITION += text.size() - old.size();
    if (!AUTOFLUSH && !ensureOpen())
        return 5;
    return 0;
}

qint64 ANYASCIIFILECLASS::GETWRITEPOSITION()
{
    if (!ISOPEN() || !ensureOpen())
        return 0;
    return m_file.size() + 1;
}

} // namespace ext
