#include "procedures/common/Utf8Writer.h"

#include "runtime/Dialogs.h"
#include "runtime/Text.h"
#include "services/DosFile.h"
#include "services/StringConversion.h"

namespace VelmoraDll {

namespace {

QString systemText(int error)
{
    QString text;
    DOSFMTYPE::FORMATERRMSG(text, error);
    return text;
}

} // namespace

bool S_WriteUTF8File(const QStringList& lines, const QString& fileName)
{
    // The file class reports through this writer's own messages, so its own stay hidden.
    DOSFMTYPE file;
    file.INIT();
    file.DEBUG = 0;
    file.SETDOSFILENAME(fileName);
    if (file.DOSOPENREPLACE() != 0) {
        // The message always showed the file error at its full field width.
        vrt::message(QStringLiteral("Greška kod kreiranja i otvaranja datoteke ") + fileName
                     + QStringLiteral(": ") + systemText(file.APIERRORCODE).leftJustified(256));
        return false;
    }
    const auto writeFailed = [&] {
        vrt::message(QStringLiteral("Greška kod zapisivanja UTF8 stringa u datoteku :") + fileName
                     + QStringLiteral(": ") + vrt::clipTrailing(systemText(file.APIERRORCODE)));
        file.KILL();
        return false;
    };

    // Text is Unicode already, so it goes to UTF-8 without a code-page step. A lone surrogate
    // has no UTF-8 form, and writing a replacement character would change the text silently.
    // Lines go out in blocks of about 1 MiB: a write per line costs a system call each.
    constexpr qsizetype kBlock = 1 << 20;
    QByteArray pending;
    pending.reserve(kBlock + 4096);
    STR2CLTYPE toUtf8;
    toUtf8.INIT(0);
    for (const QString& line : lines) {
        const QString text = vrt::clip(line, kUtf8LineCapacity) + QStringLiteral("\r\n");
        char* bytes = nullptr;
        if (toUtf8.TOUTF8(text, bytes, std::int32_t(text.size())) != 0) {
            vrt::message(QStringLiteral("Greška kod kreiranja UTF8 datoteke. ")
                         + QStringLiteral("Tekst nije ispravan Unicode."));
            file.KILL();
            return false;
        }
        pending.append(bytes, STR2CLTYPE::UTF8LEN(bytes));
        toUtf8.WIDESTRFREE(bytes);
        if (pending.size() >= kBlock) {
            if (file.DOSWRITE(pending.constData(), pending.size()) != 0)
                return writeFailed();
            pending.clear();
        }
    }
    if (!pending.isEmpty() && file.DOSWRITE(pending.constData(), pending.size()) != 0)
        return writeFailed();
    if (file.DOSCOMMIT() != 0)
        return writeFailed();
    file.KILL();
    return true;
}

} // namespace VelmoraDll
