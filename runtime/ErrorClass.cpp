#include "runtime/ErrorClass.h"
#include "runtime/Dialogs.h"

namespace vrt {

ErrorClass::ErrorClass() { init(); }

void ErrorClass::init() { addErrors(standardEntries()); }

const std::vector<ErrorEntry>& ErrorClass::standardEntries()
{
    static const std::vector<ErrorEntry> entries = {
        {Msg_OpenFailed, LEVEL_PROGRAM, QStringLiteral("Open Error"),
         QStringLiteral("Error: (%ErrorText) attempting to open the file %File.")},
        {Msg_CreateFailed, LEVEL_PROGRAM, QStringLiteral("Create Error"),
         QStringLiteral("Error: (%ErrorText) attempting to create the file %File.")},
        {Msg_DuplicateKey, LEVEL_PROGRAM, QStringLiteral("Duplicate Key"),
         QStringLiteral("Adding this record creates a duplicate entry for the key: %Key")},
        {Msg_RecordChanged, LEVEL_PROGRAM, QStringLiteral("Record Changed"),
         QStringLiteral("This record was changed by another station. Those changes will now be displayed.")},
        {Msg_InsertFailed, LEVEL_PROGRAM, QStringLiteral("Record Insert Error"),
         QStringLiteral("Error: (%ErrorText) attempting to add a record to the %File file.")},
        {Msg_PutFailed, LEVEL_PROGRAM, QStringLiteral("Record Update Error"),
         QStringLiteral("Error: (%ErrorText) attempting to change a record in the %File file.")},
        {Msg_DeleteFailed, LEVEL_PROGRAM, QStringLiteral("Record Delete Error"),
         QStringLiteral("Error: (%ErrorText) attempting to delete a record from the %File file.")},
        {Msg_ConfirmDelete, LEVEL_USER, QStringLiteral("Confirm Delete"),
         QStringLiteral("Are you sure you want to delete the highlighted record?")},
        {Msg_RestrictDelete, LEVEL_PROGRAM, QStringLiteral("Delete Restricted"),
         QStringLiteral("This record is referenced by another file and cannot be deleted.")},
        {Msg_ProcedureNotDefined, LEVEL_PROGRAM, QStringLiteral("Procedure not defined"),
         QStringLiteral("The Procedure %Message has not been defined.")},
        {Msg_AddFailed, LEVEL_PROGRAM, QStringLiteral("Record Insert Error"),
         QStringLiteral("Error: (%ErrorText) attempting to add a record to the %File file.")},
        {Msg_RetryAutoInc, LEVEL_USER, QStringLiteral("Auto Increment Error"),
         QStringLiteral("Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: %ErrorText.|Try Again?")},
        {Msg_DeclarationMismatch, LEVEL_PROGRAM, QStringLiteral("File Declaration Mismatch"),
         QStringLiteral("The file %File does not match its declaration.")},
        {Msg_FieldOutOfRange, LEVEL_PROGRAM, QStringLiteral("Range Error"),
         QStringLiteral("The value of %Message is out of range.")},
    };
    return entries;
}

void ErrorClass::addErrors(const std::vector<ErrorEntry>& entries)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (const auto& e : entries)
        m_entries[e.id] = e;
}

void ErrorClass::removeError(int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_entries.erase(id);
}

const ErrorEntry* ErrorClass::find(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

void ErrorClass::setFile(const QString& file) { std::lock_guard<std::recursive_mutex> l(m_mutex); m_file = file; }
void ErrorClass::setKey(const QString& key) { std::lock_guard<std::recursive_mutex> l(m_mutex); m_key = key; }
void ErrorClass::setProcedure(const QString& name) { std::lock_guard<std::recursive_mutex> l(m_mutex); m_procedure = name; }
void ErrorClass::setErrorText(const QString& text, int code)
{
    std::lock_guard<std::recursive_mutex> l(m_mutex);
    m_errorText = text;
    m_errorCode = code;
}

QString ErrorClass::substitute(const QString& text, const QString& message) const
{
    std::lock_guard<std::recursive_mutex> l(m_mutex);
    // One pass, so a value that itself contains "%File" is not expanded again.
    static const std::pair<const char*, int> names[] = {
        {"%ErrorText", 0}, {"%ErrorCode", 1}, {"%Procedure", 2}, {"%Message", 3},
        {"%File", 4}, {"%Key", 5}};
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size();) {
        bool matched = false;
        if (text[i] == QLatin1Char('%')) {
            for (auto [name, which] : names) {
                const QLatin1String n(name);
                if (QStringView(text).mid(i).startsWith(n, Qt::CaseInsensitive)) {
                    switch (which) {
                    case 0: out += m_errorText; break;
                    case 1: out += QString::number(m_errorCode); break;
                    case 2: out += m_procedure; break;
                    case 3: out += message; break;
                    case 4: out += m_file; break;
                    case 5: out += m_key; break;
                    }
                    i += n.size();
                    matched = true;
                    break;
                }
            }
        }
        if (!matched)
            out += text[i++];
    }
    return out;
}

int ErrorClass::throwMessage(int id, const QString& message)
{
    ErrorEntry entry;
    if (const ErrorEntry* e = find(id))
        entry = *e;
    else
        entry = ErrorEntry{id, LEVEL_PROGRAM, QStringLiteral("Error"),
                           QStringLiteral("Unknown error %1. %Message").arg(id)};
    const QString title = substitute(entry.title, message);
    QString text = substitute(entry.text, message);
    {
        std::lock_guard<std::recursive_mutex> l(m_mutex);
        m_lastId = id;
        m_lastText = text;
    }
    return present(entry, title, text);
}

int ErrorClass::throwFile(int id, const QString& file)
{
    setFile(file);
    return throwMessage(id);
}

int ErrorClass::present(const ErrorEntry& entry, const QString& title, const QString& text)
{
    // '|' marks a line break in the message texts.
    QString shown = text;
    shown.replace(QLatin1Char('|'), QLatin1Char('\n'));
    switch (entry.category) {
    case LEVEL_NOTIFY:
        return LEVEL_NOTIFY;
    case LEVEL_USER: {
        const int b = message(MessageArgs{shown, title, Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES, 0});
        return b == BUTTON_YES ? LEVEL_BENIGN : LEVEL_CANCEL;
    }
    case LEVEL_FATAL:
        stop(shown);
        return LEVEL_FATAL;
    default:
        message(MessageArgs{shown, title, Icon::Exclamation, BUTTON_OK, BUTTON_OK, 0});
        return entry.category;
    }
}

} // namespace vrt
