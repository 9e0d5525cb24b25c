#include "procedures/common/Utf8Writer.h"

#include "runtime/Dialogs.h"
#include "runtime/Text.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace VelmoraDll {

bool S_WriteUTF8File(const QStringList& lines, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        // The message always showed the file error at its full field width.
        vrt::message(QStringLiteral("Greška kod kreiranja i otvaranja datoteke ") + fileName
                     + QStringLiteral(": ") + file.errorString().leftJustified(256));
        return false;
    }
    const auto writeFailed = [&] {
        vrt::message(QStringLiteral("Greška kod zapisivanja UTF8 stringa u datoteku :") + fileName
                     + QStringLiteral(": ") + vrt::clipTrailing(file.errorString()));
        file.cancelWriting();
        return false;
    };

    // Text is Unicode already; the one encoding step is here. A lone surrogate has no UTF-8
    // form, and writing a replacement character would change the text silently.
    QStringEncoder toUtf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    for (const QString& line : lines) {
        const QByteArray bytes = toUtf8(vrt::clip(line, kUtf8LineCapacity) + QStringLiteral("\r\n"));
        if (toUtf8.hasError()) {
            vrt::message(QStringLiteral("Greška kod kreiranja UTF8 datoteke. ")
                         + QStringLiteral("Tekst nije ispravan Unicode."));
            file.cancelWriting();
            return false;
        }
        if (file.write(bytes) != bytes.size())
            return writeFailed();
    }
    if (!file.commit())
        return writeFailed();
    return true;
}

} // namespace VelmoraDll
