#pragma once
#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// The spreadsheet program's automation, by text paths ("Workbooks.Open(""x"")"), over a
// container made by program identifier. "Excel.Application" is our own: it fills .xlsx
// workbooks. Values are typed: a text always stays text, an amount is a number, a date a date.
namespace finance {

// An amount for a number cell, kept as exact decimal text.
struct CellNumber {
    QString decimal;
};

// What holds the automation object: paths are read, written or invoked.
class AutomationContainer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void setProgId(const QString& progId) = 0;
    virtual void setLocale(int) {}
    virtual void setReportException(bool on) { m_report = on; }
    virtual void endObject() = 0;
    virtual QString read(const QString& path) = 0;
    virtual void write(const QString& path, const QVariant& value) = 0;
    // The last call did nothing it was asked to; lastError() says why.
    bool lastCallFailed() const { return !m_error.isEmpty(); }
    QString lastError() const { return m_error; }

protected:
    QString m_error;
    bool m_report = false;
};

// One member of a path: its name and arguments as written (texts unquoted).
struct PathMember {
    QString name;
    QStringList args;
    bool hasArgs = false;
};
// Splits "Range(""A1"").Select" into members; nullopt-like empty list for a malformed path.
std::vector<PathMember> parsePath(const QString& path, bool* ok = nullptr);
// A text argument in quotes, inner quotes doubled.
QString quoted(const QString& text);

// Registers "Excel.Application" with the component registry (once).
void registerSpreadsheetComponent();

// MSEXCELCLASS: the operations the finance exports use, in their order.
class MsExcelClass {
public:
    // Creates the container by program identifier; false when none answers.
    bool INIT();
    bool OPENFILE(const QString& path); // blank: a new workbook
    void SELECT(const QString& range);
    void ASSIGN(const QString& range, const QVariant& value);
    void SHEETNAME(const QString& name); // the tab of the active sheet
    bool SAVE(const QString& path);
    void CLOSE(int how);
    QString lastError() const { return m_error; }
    AutomationContainer* container() const { return m_container.get(); }

private:
    bool check();
    std::unique_ptr<AutomationContainer> m_container;
    QString m_error;
};

} // namespace finance

Q_DECLARE_METATYPE(finance::CellNumber)
