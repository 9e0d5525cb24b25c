#pragma once
// What every file manager of a thread shares: the error codes, the name variables and the
// thread's connection.
#include "runtime/Odbc.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vrt {

class FileManager;

// Error codes of the file operations (ERRORCODE of the runtime).
enum FileError : int {
    NoError = 0,
    NoFileError = 2,         // the table does not exist
    RecordNotAvailable = 33, // read past the last row, or nothing to read
    RecordNotFound = 35,     // no row with these key values
    NotOpenError = 37,
    DupKeyError = 40,        // a unique key refused the row
    NoNameError = 45,        // the table's name variable is empty
    BadDeclarationError = 47,// the stored table does not match its declaration
    BadValueError = 48,      // a field value that cannot be stored (bad decimal text)
    DriverError = 90,        // anything else the database reported
    FilterError = 800,       // a filter or order text that cannot be translated
};

// Message a Fetch raises when no row has the key's values (added to the error manager's table
// on first need).
inline constexpr int Msg_RecordNotFound = 33;

// A process-wide name variable (FILE:EMAIL and its like): written by the database opening,
// read by every thread's managers. The capacity counts characters; longer names are refused.
class NameVar {
public:
    explicit NameVar(int capacity) : m_capacity(capacity) {}
    bool set(const std::string& name);
    std::string get() const;
    int capacity() const { return m_capacity; }
    // Changes with every set, so a manager notices a new name without reading it each time.
    int version() const { return m_version.load(); }

private:
    mutable std::mutex m_mutex;
    std::atomic<int> m_version{0};
    std::string m_value;
    int m_capacity;
};

// One thread's connection, opened on first need from the owner string and opened again when
// the owner changes (another data folder). Statements prepared on an older connection are
// recognised by the generation number.
class Session {
public:
    // `owner` gives the connection string in force (read on every use, so keep it cheap).
    explicit Session(std::function<const std::string&()> owner) : m_owner(std::move(owner)) {}
    odbc::Connection* connection(odbc::Error* error = nullptr);
    odbc::Connection& raw() { return m_connection; }
    int generation() const { return m_generation; }
    // Statement holders drop their statements before the connection they belong to closes.
    void attach(FileManager* f);
    void detach(FileManager* f);
    // Before a write: every open reading sequence of this connection lets go of its cursor
    // (and resumes after its last row on the next read). An open cursor keeps an old snapshot,
    // and a write from an old snapshot after another connection's commit is refused.
    void suspendReaders();

private:
    std::function<const std::string&()> m_owner;
    std::vector<FileManager*> m_attached;
    odbc::Connection m_connection;
    int m_generation = 0;
};

} // namespace vrt
