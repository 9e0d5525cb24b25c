#pragma once
#include <QString>
#include <cstdint>
#include <vector>

class QUILVO;

// Indented tree lists from parent-linked rows (mail folders, contact groups, income and
// expense categories): a flat work copy in ordering-number order is walked depth first from
// the roots into a tree queue whose rows stand in display order with their level.
namespace VelmoraDll {

// One row of a work copy or a tree queue. Queues use the fields they need: mail folders all
// but NAPOMENA, contact groups NAZIV..RODITELJ, categories also REDOSLIJED, the tree-move
// queue NAPOMENA and REDOSLIJED (RODITELJ stands for its TATAID).
struct TreeRow {
    QString NAZIV;
    int32_t ICON = 0;
    int32_t LEVEL = 0;
    int32_t ID = 0;
    int32_t RODITELJ = 0;
    int32_t REDOSLIJED = 0;
    QString POPID;
    QString ENNAZIV;
    int32_t UNREADEDMESSAGES = 0;
    QString NAPOMENA;
    bool MARK = false;
};
using TreeQueue = std::vector<TreeRow>;

// What a tree-queue row's ICON shows.
enum class TreeIcon {
    WorkPosition, // the row's 1-based position in the work copy
    Level,        // the row's new level
};

// Appends to `queue` every unmarked row below `parent`, depth first, siblings in work-copy
// order, levels from depth + 1; placed rows are marked in `work`. Rows whose parent is never
// placed (orphans, rows in a parent cycle) are left out, and the walk always ends.
void walkTree(TreeQueue& work, TreeQueue& queue, int32_t parent, int32_t depth, TreeIcon icon);

// The walks by their names; each pairs a work copy with its queue and icon rule.
void S_AddInboxLevel(int32_t parent, int32_t depth);           // IT -> InboxQ
void S_AddContactGroupLevel(int32_t parent, int32_t depth);    // KGQT -> KontaktiGrupaQ
void S_AddCategoryLevel(int32_t parent, int32_t depth);        // PRQT -> PrihodiRashodiQ
void S_CollectCategoryChildren(TreeQueue& FQT, TreeQueue& FQ, int32_t parent, int32_t depth);
void S_AddTreeLevel(TreeQueue& MVQT, TreeQueue& MVQ, int32_t parent, int32_t depth);

// The library's process-wide tree queues and their work copies.
TreeQueue& InboxQ();
TreeQueue& IT();
TreeQueue& KontaktiGrupaQ();
TreeQueue& KGQT();
TreeQueue& PrihodiRashodiQ();
TreeQueue& PRQT();

// Where a filler reads a parent-linked table. The data layer supplies one per table; rows
// come in ordering-key order with NAZIV, ID, RODITELJ (the table's TATAID) and, where the
// table has them, REDOSLIJED, POPID and ENNAZIV.
class TreeTableSource {
public:
    virtual ~TreeTableSource() = default;
    // Appends the rows; false when reading stopped at an error (the rows so far stay).
    virtual bool readAll(TreeQueue& rows) = 0;
};

// The category table adds a row count and the insert the seeding needs.
class CategoryTableSource : public TreeTableSource {
public:
    // -1 when the table cannot be counted.
    virtual int64_t rowCount() = 0;
    // Inserts a root category; false with the error code and text on failure.
    virtual bool insertRoot(const QString& name, int32_t type, int* errorCode, QString* errorText) = 0;
};

void S_FillInboxTree(TreeTableSource& folders);
void S_FillContactGroupTree(TreeTableSource& groups);
// Seeds "Prihodi" (type 1) and "Troškovi" (type 2), translated, into an empty table first.
void S_FillPrihodiRashodi(CategoryTableSource& categories, QUILVO& translator);

} // namespace VelmoraDll
