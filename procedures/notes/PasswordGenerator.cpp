#include "procedures/notes/PasswordGenerator.h"

#include <QRandomGenerator>
#include <QChar>

namespace notespass {

uint32_t SystemRng::below(uint32_t bound) { return QRandomGenerator::system()->bounded(bound); }

int quarterOf(int length) { return length <= 0 ? 0 : (length + 2) / 4; }

namespace {

// Far above what the hardest setting that can be met needs (99 characters, both rules:
// about 30,000 attempts on average), so only a broken random source reaches it.
constexpr long kMaxAttempts = 5'000'000;

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

} // namespace

GeneratedPassword generatePassword(int length, bool minDigits, bool mixedCase, Rng& rng)
{
    GeneratedPassword out;
    if (length < 0 || length > kMaxPasswordLength) {
        out.error = QStringLiteral("Duljina lozinke mora biti od 0 do 99 znakova.");
        return out;
    }
    const int m = quarterOf(length);
    if ((minDigits ? m : 0) + (mixedCase ? 2 * m : 0) > length) {
        out.error = QStringLiteral("Lozinka te duljine ne može ispuniti odabrana pravila.");
        return out;
    }
    char text[kMaxPasswordLength];
    for (long attempt = 0; attempt < kMaxAttempts; ++attempt) {
        int digits = 0, uppers = 0, lowers = 0;
        char previous = ' ';
        bool neighbours = true;
        for (int i = 0; i < length; ++i) {
            const char c = kPasswordAlphabet[rng.below(kPasswordAlphabetSize)];
            // An equal neighbour fails the whole attempt whatever follows, so the attempt can
            // stop here: the passwords that pass are drawn exactly as when built out in full.
            if (upper(c) == upper(previous)) {
                neighbours = false;
                break;
            }
            previous = c;
            text[i] = c;
            if (c >= '0' && c <= '9')
                ++digits;
            else if (c >= 'A' && c <= 'Z')
                ++uppers;
            else
                ++lowers;
        }
        if (!neighbours)
            continue;
        if (minDigits && digits < m)
            continue;
        if (mixedCase && (uppers < m || lowers < m))
            continue;
        out.password = QString::fromLatin1(text, length);
        return out;
    }
    out.error = QStringLiteral("Lozinku nije moguće generirati.");
    return out;
}

} // namespace notespass
