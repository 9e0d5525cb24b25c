#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace vrt { class IniFile; }

// The filter builder: a list of conditions (column, operator, value, connector) turned into
// one filter expression, SQL or the runtime's filter language. Each operator is a template
// ("[COL] BETWEEN [V1] AND [V2]") filled per column type and picture; connectors join the
// conditions and open and close groups. Values are always quoted with their apostrophes
// doubled, and numbers, dates and times are checked before they reach the text: a value that
// does not fit its column makes the whole filter fail with an error, never a changed filter.
// No widgets here (FilterBuilderView shows the list).
namespace ext {

struct FilterCondition {
    QString COLUMN, OPERATOR, VALUE, CONNECTION;
    bool operator==(const FilterCondition&) const = default;
};
struct FilterColumn {
    QString COLNAME, COLNAME_SQL;
    int COLDATATYPE = 18; // 4 date, 5 time, 18 string, anything else a number
    QString COLPICTURE;   // may end with a separator and "DATETIME"
    bool CASESENSITIVE = false;
};
struct FilterOperator {
    QString OPERATORUSER, OPERATOR;
};
struct FilterOperatorEx {
    int COLDATATYPE = 0;
    QString OPERATORUSER, OPERATOR;
};

class CFILTERBASE {
public:
    virtual ~CFILTERBASE() = default;

    // Builds SQLFILTERSTR from every condition; false (with lastError()) when there is none,
    // the last does not end with "DONE", or a condition cannot be written.
    virtual bool GENERATEFILTER();
    // A comma-separated list of the values (for IN); `picture` empty: "@d10".
    virtual QString GENERATESET(const QString& values, int dataType, const QString& picture = {});
    // The text of condition `index`; empty with lastError() when it cannot be written.
    virtual QString PARSEANDREPLACE(int index);
    virtual void RESET();
    virtual void SAVE(const QString&) {}
    virtual void SAVEAS(const QString&) {}
    virtual void SETCASESENSITIVE(bool on);
    virtual int LOAD() { return 0; }

    std::vector<FilterCondition> FILTERQ;
    std::vector<FilterColumn> COLFILTERQ;
    std::vector<FilterOperator> COLOPEQ;
    std::vector<FilterOperatorEx> COLOPEEXQ;
    QString USERID, APPID, PROCID, QUERYNAME;
    bool SAVED = false;
    bool ISNEW = true;
    bool USESQL = false;
    bool COPYTOCB = false;
    QString SQLFILTERSTR;
    QString lastError() const { return m_error; }

    const FilterColumn* column(const QString& name) const;
    // Operator names match without regard to case.
    const FilterOperator* op(const QString& name) const;
    const FilterOperatorEx* opEx(int dataType, const QString& name) const;
    // The column's picture without a "DATETIME" marker.
    static QString readPicture(const FilterColumn& c);

protected:
    bool failWith(const QString& text);
    QString m_error;

private:
    QString quoted(const QString& text) const;
    bool numberOk(const QString& text) const;
    const FilterColumn* m_setColumn = nullptr; // the column GENERATESET reads dates with
};

// What a window needs of a filter builder.
class IFILTER {
public:
    virtual ~IFILTER() = default;
    virtual void SAVE(const QString&) = 0;
    virtual void SAVEAS(const QString&) = 0;
    virtual int LOAD(const QString&) = 0;
    virtual QString GETFILTER() = 0;
    virtual void ADDCOL(const QString& name, const QString& sqlName, int dataType, const QString& picture,
                        bool caseSensitive) = 0;
};

// The windows and messages a filter list asks for (the view gives them; tests script them).
// A list with none attached asks nothing: no name (nothing is saved under a new name), no
// list (nothing is loaded), no messages, and a delete goes ahead unasked.
class FilterListWindows {
public:
    virtual ~FilterListWindows() = default;
    // The name window: answers false when cancelled; `refuse` tells whether a name is taken.
    virtual bool nameWindow(QString& name, const std::function<QString(const QString&)>& refuse) = 0;
    // The list window: answers the chosen query ("" none); `remove` deletes one.
    virtual QString listWindow(QStringList& names, const std::function<bool(const QString&)>& remove) = 0;
    virtual void inform(const QString& text, const QString& caption) = 0;
    virtual bool confirm(const QString& text, const QString& caption) = 0;
};

class CFILTERLIST : public CFILTERBASE, public IFILTER {
public:
    CFILTERLIST();
    ~CFILTERLIST() override;

    // Loads the connectors and the operator tables for USESQL as it is now. With SQL, dates
    // and times are compared through SQLite's strftime unless `SQLITEDATES` is off (then the
    // tables use CONVERT, for servers that know it).
    void INIT();
    bool INITINI(const QString& file);
    void FILLCONNECTOPE();
    void FILLCOLOPE(const std::vector<FilterOperator>& table);
    void FILLCOLOPEEX(const std::vector<FilterOperatorEx>& table);
    static std::vector<FilterOperator> sqlOperators();
    static std::vector<FilterOperator> filterOperators();
    static std::vector<FilterOperatorEx> sqlOperatorsEx(bool sqlite);
    static std::vector<FilterOperatorEx> filterOperatorsEx();

    // IFILTER
    void SAVE(const QString&) override { SAVE(); }
    void SAVEAS(const QString&) override { SAVEAS(); }
    int LOAD(const QString&) override { return LOAD(); }
    QString GETFILTER() override;
    void ADDCOL(const QString& name, const QString& sqlName, int dataType, const QString& picture,
                bool caseSensitive) override;

    void RESET() override;
    int LOAD() override;
    void SAVE();
    void SAVEAS();
    // Asks for a new query's name (refusing an existing one); empty when cancelled.
    QString ASKQUERYNAME();

    // Editing the list.
    // A new condition at the end ("DONE"); the last one's "DONE" becomes "AND" first.
    int insertCondition();
    // The insert was cancelled: the new condition goes, and the list ends with "DONE" again.
    void cancelInsert();
    // After condition `index` was changed: answers true when a new condition should follow
    // (the last one no longer ends the query); conditions after a new "DONE" go.
    bool changed(int index);
    void deleteCondition(int index);
    // Text dropped from another list: "Column;value" (sort marks [+] and [-] are cut out).
    bool ONDROP(const QString& text);

    QString DEFAULTOPEONDROP;
    QString APPNAME, PROCNAME, CURRENTQUERY;
    QString ASCINDICATOR = QStringLiteral("[+]"), DESCINDICATOR = QStringLiteral("[-]");
    QStringList COLQ;
    QStringList CONNECTOPEQ;
    bool SQLITEDATES = true;

    // Windows and messages; null detaches. They must outlive their attachment.
    void setWindows(FilterListWindows* windows) { m_windows = windows; }
    FilterListWindows* windows() const { return m_windows; }

    QString listSection() const;
    QString querySection(const QString& name) const;
    QStringList queryNames() const; // the non-empty slots of the list section
    // Why a name cannot be a query's name; empty when it can.
    QString refuseName(const QString& name) const;
    bool deleteQuery(const QString& name);
    vrt::IniFile* ini() const { return m_ini.get(); }

private:
    static QString packRow(const FilterCondition& c);
    static bool unpackRow(const QString& row, FilterCondition& c);
    void endWithDone();
    std::unique_ptr<vrt::IniFile> m_ini;
    FilterListWindows* m_windows = nullptr;
};

} // namespace ext
