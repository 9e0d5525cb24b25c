#pragma once
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The translator's two tables: the translation table (QUI, one row per source text and one
// column per language) and the substitution table (QVS, text -> replacement). Each is an
// SQLite file of its own with a meta row naming its kind, so that another SQLite file handed
// in by mistake is refused instead of being read as an empty table.
namespace quilvo {

constexpr int kLanguages = 28;
constexpr int kTranslationKeyChars = 512;   // QUI:DEFLANG
constexpr int kTranslationTextChars = 511;  // QUI:SRCOFTEXT, QUI:LANGn
constexpr int kSubstitutionKeyChars = 256;  // QVS:DEFTEXT
constexpr int kSubstitutionTextChars = 255; // QVS:SUBTEXT
constexpr int kFormatVersion = 1;

// Error numbers a failed open reports, in the runtime's numbering.
enum FileError : int {
    ErrNone = 0,
    ErrNotFound = 2,
    ErrAccessDenied = 5,
    ErrBadFormat = 47, // a readable SQLite file that is not a table of this kind
    ErrFileSystem = 90,
};

enum class TableKind { Translation, Substitution };

// The text without leading blanks (the runtime's LEFT).
QString leftAligned(const QString& text);
// The lookup key: left-aligned, without trailing blanks, upper-cased one character at a time
// (so "ß" stays one character), cut to `maxChars`.
QString keyOf(const QString& text, int maxChars);

struct TranslationRow {
    QString deflang;
    QString srcoftext;
    std::array<QString, kLanguages + 1> lang; // lang[2]..lang[28]; 0 and 1 unused
};

struct SubstitutionRow {
    QString deftext;
    QString subtext;
};

// One open table file. Not shared between threads: the translator gives every thread its own.
class TableFile {
public:
    explicit TableFile(TableKind kind);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Opens read-write (read-only when the file is write-protected). A missing file is
    // created empty and opened read-only. Returns an error number, with detail() set.
    int open(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }
    const QString& detail() const { return m_detail; }

    // Column `column` (1 = the source text, 2..28 a language) of the row for `text`.
    // Returns false when there is no row; `rowno` receives the row's number (0 when none).
    bool findTranslation(const QString& text, int column, QString* value, long long* rowno);

    // Every row in record order.
    bool forEachTranslation(int column, const std::function<void(const QString& deflang,
                                                                 const QString& value)>& fn);
    bool forEachSubstitution(const std::function<void(const QString& deftext,
                                                      const QString& subtext)>& fn);

    // Makes a new table at `path` (which must not exist) and fills it in one transaction.
    // Texts over their capacity are refused, never cut. Returns false with `error` set.
    static bool create(const QString& path, const std::vector<TranslationRow>& rows, QString* error);
    static bool create(const QString& path, const std::vector<SubstitutionRow>& rows, QString* error);

private:
    int fail(int error, const QString& detail);
    int checkFormat();

    TableKind m_kind;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
    int m_findColumn = 0;
    QString m_path;
    QString m_detail;
};

} // namespace quilvo
