#pragma once
#include <QString>

#include <optional>
#include <vector>

struct sqlite3;

// The saved quick filters of every procedure: "!Filters" (the filters) and "!FilterOpt" (the
// default filter of each procedure and instance), two SQLite databases in one folder. The
// folder is created when missing; a file of another layout is kept as a backup copy beside
// the new one, never emptied; every write is one transaction.
namespace ext {

class QuickFilterStore {
public:
    explicit QuickFilterStore(QString folder);
    ~QuickFilterStore();
    QuickFilterStore(const QuickFilterStore&) = delete;
    QuickFilterStore& operator=(const QuickFilterStore&) = delete;

    struct Saved {
        QString id;
        QString procedure;
        QString name;
        QString filter;
        int instance = 0;
    };

    // Opens (and creates) both files; false with lastError() when they cannot be used.
    bool open();
    void close();
    QString folder() const { return m_folder; }
    QString filtersFile() const;
    QString optionsFile() const;

    // A procedure's saved filters, by name.
    std::vector<Saved> list(const QString& procedure, int instance);
    std::optional<Saved> find(const QString& id);
    std::optional<QString> defaultId(const QString& procedure, int instance);
    // Adds `s` under a fresh id (set in s.id).
    bool add(Saved& s);
    // Makes `id` the default of the procedure; an empty id removes the default.
    bool setDefault(const QString& procedure, int instance, const QString& id);
    // Deletes a saved filter and a default option that points to it.
    bool remove(const QString& id);
    QString lastError() const { return m_error; }

    // 20 characters, each a digit, an upper-case or a lower-case letter (each kind equally
    // likely, then each character of the kind).
    static QString randomId();
    // The layout version the files carry.
    static constexpr int kVersion = 1;

private:
    bool openOne(const QString& file, const char* schema, sqlite3*& db);
    bool exec(sqlite3* db, const char* sql);
    bool fail(sqlite3* db, const QString& what);

    QString m_folder;
    sqlite3* m_filters = nullptr;
    sqlite3* m_options = nullptr;
    QString m_error;
};

} // namespace ext
