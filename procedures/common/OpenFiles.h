#pragma once
#include <QString>

#include <functional>
#include <string>

// The organiser window's first contact with the data: the connection string, the opening (and
// creation) of every table, and the rebuild of an EMAIL table of the older layout.
namespace W_First {

// Sets GLO::OWNER for the data folder THISPCPATH, opens the 22 tables in their fixed order,
// creates the missing ones and rebuilds an outdated EMAIL. Returns 0 (non-zero would end the
// window's opening).
int OpenFilez();

// Copies EMAIL into the current layout inside one transaction and swaps it in only after a
// clean copy; on any failure the old table stays as it was. Returns 0.
int UpgradeEmailTable();

// "Driver=SQLite3 ODBC Driver;Database=<folder>/Files/Database.db" and the driver options.
// Empty, with *why set, for a folder the string cannot carry.
std::string connectionString(const QString& dataFolder, QString* why = nullptr);

// Test hook: called before each row of the rebuild is added (1 for the first); returning false
// makes that add fail.
extern std::function<bool(int row)> beforeCopyRow;

} // namespace W_First
