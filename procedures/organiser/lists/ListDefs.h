#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "data/Dictionary.h"
#include "procedures/organiser/window/ControlNumbers.h"

// The sixteen lists of the organiser window as data: what each reads, how its columns show
// the values and how its rows are coloured, iconed and styled. No widgets here.
namespace organiser {

enum class Show { Text, Integer, Date, Time, Amount };

struct ListColumn {
    const char* header;
    int width;          // 0: hidden (the user may widen it)
    const char* field;  // "EM:SENDER", "CAL:STARTDATETIME_DATE", "LC:VRIJEME" (computed)
    Show show = Show::Text;
    bool coloured = true;
    bool icon = false;
    bool styled = false;
    bool right = false;
    int chars = 0;      // text cut to this many characters; 0: as stored
};

// How a list computes the look of its rows.
enum class RowFill { Plain, Mail, Contacts, TaskCategories, Tasks, ContactTasks, Notes };

struct ListJoin {
    Tbl table;
    const char* prefix; // "ACON"
    const char* on;     // joined column = main column: "ID=PARTNERID"
};

struct ListDef {
    const char* object; // "W_First.EmailBrowse"
    int control;
    const char* layoutKey;
    Tbl table;
    const char* prefix;
    std::vector<ListJoin> joins;
    const char* order;        // key order with the appended tie-break: "+EM:INBOXID,+EM:ID"
    const char* rangeField;   // "" none
    const char* locatorField;
    int updateNumber;         // 0 none
    RowFill fill;
    bool banded;
    const char* sortKey;      // key field appended to header sorts ("" no header sort)
    std::vector<ListColumn> columns;
    // Rows read as ids in order, their texts a block at a time when shown (large lists).
    bool lazy = false;

    int columnOf(const QString& field) const; // 0-based, -1 when the list does not show it
};

const std::vector<ListDef>& organiserLists();
const ListDef* listDef(int control);


// Windows colour numbers (blue * 65536 + green * 256 + red); -1 is the list's default.
constexpr int kBandColour = 16774378;
constexpr int kTaskBefore = 15131097, kTaskToday = 14013951, kTaskAfter = 13434828;

struct CellLook {
    int normalFg = -1, normalBg = -1, selectedFg = -1, selectedBg = -1;
    int icon = 0;  // entry of the list's icon table, 0 none
    int style = 0; // 0: none
};

// Computed texts of the row fill.
QString mailSizeText(const QString& bytes);          // "12500" -> "12.5 KB"
QString mailTimeText(const QString& date, const QString& time); // short date + " " + hh:mm:ss
QString firstLast(const QString& surname, const QString& middle, const QString& name);
QString shortDate(const QString& isoDate);           // "" for no date
QString amountText(const QString& decimalText);      // two decimals, grouped, blank when zero
// What column `column` of a list shows for the raw cell `raw`: dates short, times to the
// minute, amounts grouped; icon columns and the colour swatch show no text.
QString shownText(const ListDef& def, int column, const QString& raw);
bool showsText(const ListDef& def, int column);

// The task rules.
int taskBackground(const QDate& start, const QDate& today);
int taskStyle(int status);
int taskStatusIcon(int status);
int taskImportanceIcon(int importance);

// The icon tables; entry n is element n - 1.
const QStringList& taskIcons();
const QStringList& noteIcons();
const QStringList& iconsOf(const ListDef& def);

// The look of every column of row `row` (0-based) of a list whose raw cells are `cells`.
// `tagged` answers whether a note id is tagged.
std::vector<CellLook> rowLook(const ListDef& def, const QStringList& cells, int row, const QDate& today,
                              bool noteTagged = false);

} // namespace organiser
