#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

// Sorting a list by clicking its column headers: a plain click sorts by the column and a
// second click reverses it, Ctrl+click builds a multi-column order, Shift+click returns to
// the list's own order. Sorted headers carry marks ("[+]", "[-2]"), the order text goes to
// the owner's ApplySort with the key's remaining components, and the state can be kept
// between runs in an INI file or in the user's settings.
namespace VelmoraDll {

// One element of an order text: "+UPPER(CON:Prezime)" is CON:Prezime, ascending, caseless.
struct OrderTerm {
    QString field;
    bool descending = false;
    bool caseless = false;
};
std::vector<OrderTerm> parseOrderText(const QString& order);
// Numbers compare as numbers, everything else as text in the collation's order.
int compareSortValues(const QVariant& a, const QVariant& b, bool caseless);

// Sorts in-memory rows by an order text (stable: rows that compare equal keep their order).
template <class Row>
void sortRowsByOrder(std::vector<Row>& rows, const QString& order,
                     const std::function<QVariant(const Row&, const QString& field)>& value)
{
    const std::vector<OrderTerm> terms = parseOrderText(order);
    if (terms.empty())
        return;
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        for (const OrderTerm& t : terms) {
            const int c = compareSortValues(value(a, t.field), value(b, t.field), t.caseless);
            if (c != 0)
                return t.descending ? c > 0 : c < 0;
        }
        return false;
    });
}

// The list as the sort needs it. Columns are numbered from 1.
class SortableList {
public:
    virtual ~SortableList() = default;
    virtual int columnCount() const = 0;
    virtual QString headerText(int column) const = 0;
    virtual void setHeaderText(int column, const QString& text) = 0;
    // The name of the field the column shows, as the row declaration spells it ("CON:Prezime").
    virtual QString fieldName(int column) const = 0;
    virtual QString picture(int column) const = 0;
    virtual int width(int column) const = 0;
    // Lists without a view sort their own rows by the order text.
    virtual void sortRows(const QString& order) {}
};

struct SortKeyComponent {
    QString label; // "CON:ID"
    bool ascending = true;
};

class HeaderSortManager {
public:
    enum KeyCode : int { ClickPlain = 1, ClickShift = 257, ClickCtrl = 513 };

    virtual ~HeaderSortManager() = default;

    // A second Init is ignored. `viewFields` are the labels of the view's fields (none: no
    // view); a view over an SQL table sorts case-insensitively by itself, so NOCASE goes off.
    void Init(SortableList* list, int listControl, std::vector<SortKeyComponent> key = {},
              std::optional<QStringList> viewFields = std::nullopt, bool viewOverSql = false,
              const QString& section = {}, const QString& location = {});
    void Kill();
    bool isInitialised() const { return m_list != nullptr; }

    // A header click (press and release on the same header) with its key code.
    void TakeHeaderClick(int column, int keyCode);

    void SetStorage(const QString& section, const QString& location);
    void RestoreSortState();
    void SaveSortState();
    void ClearSort();
    void ResetSort();
    void SetSortFromText(const QString& text);
    // The stored form of the current order: "CON:PREZIME,-CON:IME".
    QString SortStateText() const;

    virtual QString SortExpression(const QString& sign, const QString& name, const QString& picture);
    virtual void ApplySort(const QString& order) = 0;
    virtual bool IsKeyField(const QString& name);
    virtual bool CheckSortColumn(const QString& name) { return true; }

    struct SortRow {
        int LISTSORTCOLUMN = 0;
        int PREVLISTSORTCOLUMN = 0; // the column with the sign of its direction
        bool descending() const { return PREVLISTSORTCOLUMN < 0; }
    };
    const std::vector<SortRow>& sortQueue() const { return m_sortQueue; }

    int LISTCONTROL = 0;
    QString INIFILENAME;
    QString PROCEDURENAME;
    int SORTORDER = 0;
    int PREVSORTORDER = 0;
    bool FORCECHANGESIGNORDER = false;
    int LASTKEYCODE = ClickPlain;
    bool DISABLENONVIEWCOLUMNS = true;
    bool NOCASE = true;
    bool USEPICTUREFORCASE = false;
    bool MULTIPLECOLUMNS = true;

private:
    struct HeaderRow {
        QString text;
        QString field;
    };
    const HeaderRow* headerRowOf(int column) const;
    QString ColumnFieldName(int column) const;
    QString ColumnHeaderText(int column) const;
    bool columnExists(int column) const;
    void RestoreHeaders();
    void UpdateSortQueue();
    void BuildAndApplyOrder();
    // The registry root a location names, or nothing when it names an INI file.
    std::optional<unsigned> registryRoot() const;
    QString registryPath(unsigned root) const;
    QString stateKey() const;
    bool hasStorage() const;

    SortableList* m_list = nullptr;
    std::vector<HeaderRow> m_headers;
    std::vector<SortRow> m_sortQueue;
    std::vector<SortKeyComponent> m_key;
    std::optional<QStringList> m_view;
};

} // namespace VelmoraDll
