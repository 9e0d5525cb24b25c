#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/Dictionary.h"
#include "runtime/Dialogs.h"

// Moves a node of a parent-linked, ordered table (mail folders, finance categories, contact
// groups) with its whole subtree: up before its previous sibling, down after its next one,
// left out to follow its former parent, right in as the last child of the sibling above.
// The table is read afresh for every move and numbered by tree position first, so rows just
// inserted (highest number) or left by a delete (a gap) never make the wrong nodes change
// places; the move and the new numbering are written in one transaction.
namespace VelmoraDll {

enum class TreeMove { Up, Down, Left, Right };

// One listed row of the table.
struct TreeNode {
    int32_t id = 0;
    int32_t parent = 0;
    int32_t order = 0;      // as stored
    int32_t type = 0;       // the table's type column, 0 without one
    QStringList extra;      // the table's extra columns, as text
    int level = 0;          // 1 at the top
};

// What a move would do, for the table's own rule to judge.
struct TreeMovePlan {
    TreeMove move = TreeMove::Up;
    const TreeNode* node = nullptr;
    // Up and down: the sibling that changes place with the node; right: the new parent.
    // Null when the node has nowhere to go that way.
    const TreeNode* neighbour = nullptr;
    bool changesParent = false;
    const TreeNode* newParent = nullptr; // when the parent changes; null: the top level
};

// A refused move: a message (none when empty) and nothing else happens.
struct TreeRefusal {
    QString text; // Croatian; translated when shown
    QString caption;
    vrt::Icon icon = vrt::Icon::Information;
};

// A table's own rules for moves.
class TreeRules {
public:
    virtual ~TreeRules() = default;
    // Rows that never move, refused with fixedRefusal() before the table is read (also rows
    // the tree shows that are not in the table).
    virtual bool fixed(long id) const = 0;
    virtual TreeRefusal fixedRefusal() const = 0;
    // nullopt lets the move go on.
    virtual std::optional<TreeRefusal> refuse(const TreeMovePlan& plan) const = 0;
};
// No row is fixed and every move the tree allows goes on.
const TreeRules& freeTree();

struct TreeTable {
    Tbl table = Tbl::AInbox;
    std::string idCol = "ID", parentCol = "TATAID", orderCol = "REDOSLIJED";
    std::string typeCol;                 // empty: none
    std::vector<std::string> extraCols;  // read into TreeNode::extra
    const TreeRules* rules = &freeTree(); // lives as long as the program
};

enum class TreeMoveResult {
    Moved,     // the node changed place
    Unchanged, // nowhere to go, or not in the tree; the numbering is consecutive again
    Refused,   // refused by a rule; nothing written
    Failed,    // reading or writing failed, everything rolled back, reported
};

class TreeMover {
public:
    // `after` runs after every move that was not refused as fixed: it rebuilds the tree and
    // selects `id` (none for a mover that only renumbers).
    explicit TreeMover(TreeTable table, std::function<void(long id)> after = {})
        : m_table(std::move(table)), m_after(std::move(after)) {}

    TreeMoveResult move(TreeMove how, long id);
    // Every listed row's order number becomes its position in the tree (from 1), in one
    // transaction; false after a failure (reported).
    bool renumber();

    const TreeTable& table() const { return m_table; }

private:
    bool load(std::vector<TreeNode>& listing, QString* error);
    bool write(const std::vector<TreeNode>& before, const std::vector<TreeNode>& after, QString* error);
    void fail(const QString& error);
    std::string sqlTable();

    TreeTable m_table;
    std::function<void(long id)> m_after;
};

} // namespace VelmoraDll
