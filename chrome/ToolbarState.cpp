#include "chrome/ToolbarState.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace tbstate {

QByteArray encode(const std::vector<CFC_TBBUTTON>& buttons)
{
    QByteArray out(qsizetype(buttons.size()) * RecordSize, '\0');
    char* p = out.data();
    for (const CFC_TBBUTTON& b : buttons) {
        qToLittleEndian<int32_t>(b.iBitmap, p);
        qToLittleEndian<int32_t>(b.idCommand, p + 4);
        p[8] = char(b.fsState);
        p[9] = char(b.fsStyle);
        p[10] = char(b.bReserved[0]);
        p[11] = char(b.bReserved[1]);
        qToLittleEndian<int32_t>(b.dwData, p + 12);
        qToLittleEndian<int32_t>(b.iString, p + 16);
        p += RecordSize;
    }
    return out;
}

std::vector<CFC_TBBUTTON> decode(const QByteArray& bytes)
{
    std::vector<CFC_TBBUTTON> out;
    const char* p = bytes.constData();
    for (qsizetype i = 0; i + RecordSize <= bytes.size(); i += RecordSize, p += RecordSize) {
        CFC_TBBUTTON b;
        b.iBitmap = qFromLittleEndian<int32_t>(p);
        b.idCommand = qFromLittleEndian<int32_t>(p + 4);
        b.fsState = uint8_t(p[8]);
        b.fsStyle = uint8_t(p[9]);
        b.bReserved[0] = uint8_t(p[10]);
        b.bReserved[1] = uint8_t(p[11]);
        b.dwData = qFromLittleEndian<int32_t>(p + 12);
        b.iString = qFromLittleEndian<int32_t>(p + 16);
        out.push_back(b);
    }
    return out;
}

bool writeFile(const QString& file, const std::vector<CFC_TBBUTTON>& buttons, QString* error)
{
    QSaveFile out(file);
    const QByteArray bytes = encode(buttons);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
        return true;
    if (error)
        *error = out.errorString();
    return false;
}

std::optional<std::vector<CFC_TBBUTTON>> readFile(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = in.read(MaxFileBytes);
    if (in.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

int32_t imageForKind(int kind)
{
    switch (kind) {
    case 0:
    case 2: return -1;
    case 1: return -2;
    default: return 0;
    }
}

} // namespace tbstate
