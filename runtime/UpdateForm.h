#pragma once
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace vrt {

class ErrorClass;

// The record an update form edits: a table manager over its record buffer.
class FormTarget {
public:
    virtual ~FormTarget() = default;
    // A new record was primed (numbered and stored) by the caller and sits in the buffer.
    virtual bool primed() const = 0;
    virtual bool prime() = 0;
    // Writes the buffer back: the primed row of an insert, or the changed row.
    virtual bool save() = 0;
    virtual bool remove() = 0;
    // Takes a primed row away again (its form was cancelled).
    virtual bool cancelAutoInc() = 0;
    virtual QString lastError() const { return {}; }
};

// An entry of the form bound to a field of the record buffer.
struct FormField {
    QString name;   // the field's label, also the key of its history
    QString prompt;
    std::function<QString()> get;
    std::function<void(const QString&)> set;
    bool readOnly = false;
};

// A number field filled by picking a row in a list (request 4), with its name shown beside.
struct LookupField {
    QString name;                   // the field the focus goes to when the pick fails
    std::function<bool()> hasValue; // the number refers to a row
    std::function<bool()> pick;     // runs the picker; true when a row was taken over
};

// The request protocol of an update form, apart from its window: what the title says, what
// OK and Cancel do for each request, lookups, and the field history (Ctrl+H).
class UpdateFormController {
public:
    UpdateFormController(FormTarget& target, int request, QString procedure = {});

    int request() const { return m_request; }
    int response() const { return m_response; }
    QString procedure() const { return m_procedure; }

    // Texts pass the translator before they are shown.
    std::function<QString(const QString&)> translate;
    void setErrors(ErrorClass* errors) { m_errors = errors; }
    // Asks "Are you sure..." before a delete; off for the forms whose delete window itself
    // is the confirmation.
    void setAskDelete(bool ask) { m_askDelete = ask; }

    // "Unos novog zapisa", "Izmjena zapisa", "BRISANJE zapisa" (red); a view keeps the design.
    QString title(const QString& designTitle) const;
    bool titleRed() const;
    // "Record will be Added", "Record will be Changed", "View Record".
    QString actionMessage() const;
    bool editable() const;

    void setFields(std::vector<FormField> fields) { m_fields = std::move(fields); }
    const std::vector<FormField>& fields() const { return m_fields; }
    void addLookup(LookupField lookup) { m_lookups.push_back(std::move(lookup)); }

    // Before the window shows: an insert without a primed record primes one, and lookups
    // without a value open their picker. False: the form cannot open (response cancelled).
    bool open();
    // OK: completes the request. False: the form stays open; focusField() names the entry.
    bool ok();
    // Cancel: nothing is stored; a primed row is taken back.
    void cancel();
    QString focusField() const { return m_focus; }

    // The value `field` had in the record this form saved last (per procedure).
    std::optional<QString> history(const QString& field) const;
    bool restoreHistory(const QString& field);

private:
    QString tr(const QString& text) const { return translate ? translate(text) : text; }
    bool checkLookups();
    void fail(int message);
    void remember();

    FormTarget& m_target;
    int m_request;
    QString m_procedure;
    int m_response = 0;
    ErrorClass* m_errors = nullptr;
    bool m_askDelete = false;
    bool m_primed = false;
    std::vector<FormField> m_fields;
    std::vector<LookupField> m_lookups;
    QString m_focus;
};

} // namespace vrt
