#pragma once
#include <QString>
#include <QStringList>
#include <map>
#include <mutex>
#include <vector>

namespace vrt {

// Severity of a numbered message, and what raising it answers.
enum Level : int {
    LEVEL_BENIGN = 0,  // go on / "yes"
    LEVEL_USER = 1,    // a question: yes -> BENIGN, no -> CANCEL
    LEVEL_PROGRAM = 2, // a fault the user is told about
    LEVEL_FATAL = 3,   // shown through the stop window
    LEVEL_CANCEL = 4,
    LEVEL_NOTIFY = 5,  // nothing shown; only recorded
};

struct ErrorEntry {
    int id = 0;
    Level category = LEVEL_PROGRAM;
    QString title;
    QString text;
};

// Numbered messages with %File, %Key, %ErrorText, %ErrorCode, %Message and %Procedure
// substitution. Shown through the runtime's message and stop operations, so a translator's
// hook and a test presenter see them.
class ErrorClass {
public:
    ErrorClass();
    virtual ~ErrorClass() = default;

    // Loads the runtime's own messages (the ones the data layer and forms raise).
    void init();
    static const std::vector<ErrorEntry>& standardEntries();

    void addErrors(const std::vector<ErrorEntry>& entries);
    void removeError(int id);
    const ErrorEntry* find(int id) const;

    void setFile(const QString& file);
    void setKey(const QString& key);
    void setErrorText(const QString& text, int code = 0);
    void setProcedure(const QString& name);

    // Raises message `id` with `message` as %Message. Returns LEVEL_BENIGN or LEVEL_CANCEL
    // for questions, otherwise the message's category.
    virtual int throwMessage(int id, const QString& message = {});
    int throwFile(int id, const QString& file);

    // The message's text with every placeholder filled in.
    QString substitute(const QString& text, const QString& message = {}) const;

    // Last raised, for callers that report on.
    int lastId() const { return m_lastId; }
    QString lastText() const { return m_lastText; }

protected:
    virtual int present(const ErrorEntry& entry, const QString& title, const QString& text);

private:
    mutable std::recursive_mutex m_mutex;
    std::map<int, ErrorEntry> m_entries;
    QString m_file, m_key, m_errorText, m_procedure;
    int m_errorCode = 0;
    int m_lastId = 0;
    QString m_lastText;
};

// Message numbers of the runtime's own table.
enum Msg : int {
    Msg_NoError = 0,
    Msg_OpenFailed = 2,
    Msg_CreateFailed = 5,
    Msg_DuplicateKey = 8,
    Msg_RecordChanged = 10,
    Msg_InsertFailed = 12,
    Msg_PutFailed = 13,
    Msg_DeleteFailed = 14,
    Msg_ConfirmDelete = 20,
    Msg_RestrictDelete = 22,
    Msg_ProcedureNotDefined = 27,
    Msg_AddFailed = 30,
    Msg_RetryAutoInc = 35,
    Msg_DeclarationMismatch = 47,
    Msg_FieldOutOfRange = 50,
};

} // namespace vrt
