#pragma once
#include <QString>
#include <cstdint>

// The password generator of the password form: no widgets, an injectable random source.
namespace notespass {

// The 57 characters a generated password may use: no 0, 1, l, I or O.
inline constexpr char kPasswordAlphabet[] = "abcdefghijkmnopqrstuvwxyz23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
inline constexpr int kPasswordAlphabetSize = 57;
inline constexpr int kMaxPasswordLength = 99;
inline constexpr int kDefaultPasswordLength = 20;

class Rng {
public:
    virtual ~Rng() = default;
    // A uniform whole number in [0, bound).
    virtual uint32_t below(uint32_t bound) = 0;
};

// The operating system's cryptographic source.
class SystemRng : public Rng {
public:
    uint32_t below(uint32_t bound) override;
};

// A quarter of the length, halves rounded up: 1 -> 0, 2 -> 1, 6 -> 2, 20 -> 5.
int quarterOf(int length);

struct GeneratedPassword {
    QString password;
    QString error; // untranslated; empty on success
    bool ok() const { return error.isEmpty(); }
};

// Draws passwords until one meets the rules: with `minDigits` at least a quarter digits, with
// `mixedCase` at least a quarter upper-case and a quarter lower-case letters, and never two
// neighbours equal regardless of case. Settings that cannot be met are refused at once and
// the attempts are bounded, so a call always ends.
GeneratedPassword generatePassword(int length, bool minDigits, bool mixedCase, Rng& rng);

} // namespace notespass
