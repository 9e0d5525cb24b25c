#pragma once
#include "runtime/ErrorClass.h"
#include "runtime/FileSession.h"
#include "runtime/Odbc.h"
#include "runtime/SqlFilter.h"
#include "runtime/TableDesc.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vrt {

class RelationManager;
class FileManager;

// What a file manager tells the callbacks registered for its declaration.
enum class FileOperation { Insert, Update, Delete, Read };

// Before-and-after notice of the inserts, updates and deletes made through the file managers
// (and relation managers) of one declaration, on every thread, and of the rows they read.
// Only what goes through these managers is seen: statements written by hand, cascaded child
// rows and other processes (Korbelsteen) are not. Operations started while a notice of the
// same thread is being handled pass over the callbacks.
class FileCallback {
public:
    virtual ~FileCallback() = default;
    // Before a write, with the record in file.BUFFER; false refuses it: the operation fails
    // with `errorCode` (DriverError when left 0) and `errorText`.
    virtual bool functionCalled(FileOperation op, FileManager& file, int& errorCode, std::string& errorText) = 0;
    // After a write with its result, and after every row read (result 0).
    virtual void functionDone(FileOperation op, FileManager& file, int result) = 0;
};

// The file manager of one table declaration on one thread: its record buffer, its open state
// and its current position. Every failure sets errorCode()/errorText() and, where the
// operation is one that reports, raises the numbered message through the bound error manager
// with the label as %File and the key's label as %Key.
class FileManager {
public:
    FileManager(const TableDesc& desc, void* buffer, Session& session);
    ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // Configuration (names as the framework has them).
    std::string FILENAMEVALUE;           // label, shown as %File
    void* BUFFER;
    const TableDesc* FILE;
    NameVar* FILENAME = nullptr;         // the table's name variable; null: FILE->sqlName
    FileManager* ALIASEDFILE = nullptr;  // aliases: the base table's manager of this thread
    int CREATE = 1;                      // a missing table is created on open
    int LOCKRECOVER = 10;                // nothing to map to: lock waits are the driver's

    void SetErrors(ErrorClass* errors) { m_errors = errors; }
    ErrorClass* Errors() const { return m_errors; }

    // First use: key registration and the framework's initialisation, once per thread.
    int UseFile();
    bool Initialised() const { return m_initialised; }
    void Kill();

    int Open();       // reports failures
    int TryOpen();    // the same without a message
    int Close();
    bool Opened() const { return m_open; }
    std::string SqlName() const;

    // Creation from the declaration, under the stored name (or another, for a copy).
    int Create();
    static std::string CreateTableSql(const TableDesc& t, const std::string& name);
    static std::vector<std::string> CreateIndexSql(const TableDesc& t, const std::string& name);

    // Clears the buffer (unless told not to), numbers every auto-numbered key and adds the row
    // at once, so children may refer to it while a form edits it. Retries a failed add three
    // times, then asks through message 35 whether to try three more.
    int PrimeRecord(bool suppressClear = false);
    // Removes the row PrimeRecord reserved, through the relation manager when given.
    int CancelAutoInc(RelationManager* relate = nullptr);
    bool HasReservedRow() const { return m_reserved != 0; }

    // Adds the buffer as a new row; auto-numbered components that are 0 get their numbers.
    int Insert();
    int TryInsert();
    // Writes the buffer over the row with its primary key value.
    int Update();
    int TryUpdate();
    // Deletes the row with the buffer's primary key value (no cascade: see RelationManager).
    int DeleteRecord();

    int Fetch(int key);     // not found: clears the buffer and reports
    int TryFetch(int key);  // not found: RecordNotFound, no message, buffer unchanged
    // The statement TryFetch runs for the buffer's values (to see its plan); empty when the
    // table cannot be used.
    std::string FetchSql(int key);

    // Reading in order. Set* start a new sequence; Next/Previous read it on.
    int Set(int key);             // the whole table in key order
    int SetFrom(int key);         // from the buffer's key values on (inclusive)
    int SetOrder(const std::string& orderText); // a free order text instead of a key
    // Only rows whose first `components` key values equal the buffer's (call after Set*).
    int SetRange(int key, int components);
    int SetFilter(const std::string& filterText); // "" removes it; call after Set*
    int Next();
    int Previous();
    void EndSequence() { resetSequence(); }

    // Pass-through: runs a statement; Next then fills the fields by position, as text.
    int ExecSql(const std::string& sql);

    int ErrorCode() const { return m_errorCode; }
    QString ErrorText() const { return QString::fromStdString(m_errorText); }
    // Label of the key a duplicate failure named, "" when none.
    QString ErrorKey() const { return QString::fromStdString(m_errorKey); }

    // Registering a callback twice keeps one registration.
    static void registerCallback(const TableDesc& table, FileCallback* callback);
    static void unregisterCallback(const TableDesc& table, FileCallback* callback);

    // Test hook: runs before every numbering attempt of PrimeRecord.
    std::function<void(FileManager&)> beforeAutoIncAttempt;

    Session& session() { return m_session; }
    void dropStatements();
    void suspendReading();
    void clearBuffer() { FILE->ops.clear(BUFFER); }

private:
    friend class RelationManager;
    int fail(int code, const std::string& text, int messageId, const std::string& keyLabel = {});
    // The registered callbacks: false when one refused (the error is set); after() only
    // follows a before() that answered true.
    bool notifyBefore(FileOperation op);
    void notifyAfter(FileOperation op, int result);
    void notifyRead();
    int updateRow();
    int failFromDriver(const odbc::Error& e, int messageId);
    int openInternal(bool report);
    void alignIndexes(odbc::Connection& c, const std::string& name);
    static std::string indexName(const std::string& table, const KeyDesc& key);
    static std::string indexName(const std::string& table, const SpeedIndexDesc& index);
    odbc::Connection* conn();
    odbc::Statement* cached(const std::string& sql);
    bool validate(bool report = true);
    int useFile(bool report);
    void bindValue(odbc::Statement& s, int& pos, int field);
    void loadRow(odbc::Statement& s, int firstColumn = 1);
    static void bindParams(odbc::Statement& s, const std::vector<SqlParam>& params, int& pos);
    std::string columnList() const;
    int addRow(bool drawAll);
    int64_t primaryValue() const;
    // Equality on the key's first `components` components with the buffer's values;
    // *emptyAsNull is set when an empty value is looked up as NULL or ''.
    std::string fetchSql(const std::string& where) const;
    std::string keyCondition(int key, int components, std::vector<SqlParam>& params, bool* emptyAsNull = nullptr) const;
    SqlParam componentValue(int field) const;
    SqlParam componentValue(const KeyComponent& c) const;
    std::string componentExpr(const KeyComponent& c, bool noCase) const;
    // The sequence key's components, then the primary key's (ascending) when it is not one.
    std::vector<KeyComponent> sequenceComponents() const;
    int readStep(bool forward);
    std::string orderClause(bool forward) const;
    std::string positionClause(bool forward, bool inclusive, std::vector<SqlParam>& params) const;
    void resetSequence();

    Session& m_session;
    ErrorClass* m_errors = nullptr;
    bool m_initialised = false;
    bool m_open = false;
    bool m_highWater = false;
    int m_generation = -1;
    std::string m_openName;
    int64_t m_reserved = 0;

    std::map<std::string, std::unique_ptr<odbc::Statement>> m_statements;
    // Plans made once per open: the insert for each set of drawn fields, the fetch per key.
    struct InsertPlan {
        odbc::Statement* statement = nullptr;
        std::vector<int> drawn;
        std::vector<int> partner; // per field: component 1 of its within-parent number, or -1
        std::string readBack;
    };
    std::map<uint64_t, InsertPlan> m_insertPlans;
    std::vector<odbc::Statement*> m_fetchPlans;
    int m_nameVersion = -1;
    void forgetStatements();

    // The reading sequence.
    struct Sequence {
        int key = -1;                 // -1: free order text or pass-through
        SqlPart order;                // order text, when no key
        SqlPart filter;
        SqlPart range;
        bool fromBuffer = false;      // start at the position values (SetFrom)
        std::vector<SqlParam> start;  // key values SetFrom captured
        bool passThrough = false;
        bool forward = true;
        bool running = false;
        bool ended = false;
        bool haveRow = false;
        int64_t lastRow = 0;          // primary key value of the last row read
        std::vector<SqlParam> resume; // its key values, when the cursor was let go
    } m_seq;
    std::unique_ptr<odbc::Statement> m_cursor;

    int m_errorCode = 0;
    std::string m_errorText;
    std::string m_errorKey;
};

} // namespace vrt

// Callers of the file managers use the relation manager beside them.
#include "runtime/RelationManager.h"
