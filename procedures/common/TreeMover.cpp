#include "procedures/common/TreeMover.h"

#include "data/TableManagers.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/Odbc.h"
#include "services/Quilvo.h"

#include <map>

namespace VelmoraDll {

namespace {

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

QString driverFailure(const vrt::odbc::Error& e)
{
    return QString::number(vrt::DriverError) + QStringLiteral(" : ") + QString::fromStdString(e.text).trimmed();
}

// The end (exclusive) of the subtree that starts at `i` in a depth-first listing.
size_t subtreeEnd(const std::vector<TreeNode>& l, size_t i)
{
    size_t j = i + 1;
    while (j < l.size() && l[j].level > l[i].level)
        ++j;
    return j;
}

// The previous sibling of the node at `i`, or -1 when it is the first child (or first root).
long previousSibling(const std::vector<TreeNode>& l, size_t i)
{
    long q = long(i) - 1;
    while (q >= 0 && l[size_t(q)].level > l[i].level)
        --q;
    return q >= 0 && l[size_t(q)].level == l[i].level ? q : -1;
}

} // namespace

std::string TreeMover::sqlTable() { return quoted(Access(m_table.table).SqlName()); }

bool TreeMover::load(std::vector<TreeNode>& listing, QString* error)
{
    listing.clear();
    vrt::FileManager& f = Access(m_table.table);
    if (!f.Opened() && f.TryOpen() != 0) {
        *error = QString::number(f.ErrorCode()) + QStringLiteral(" : ") + f.ErrorText();
        return false;
    }
    vrt::odbc::Error why;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&why);
    if (!c) {
        *error = driverFailure(why);
        return false;
    }
    std::string sql = "SELECT " + quoted(m_table.idCol) + ", " + quoted(m_table.parentCol) + ", " + quoted(m_table.orderCol);
    sql += ", " + (m_table.typeCol.empty() ? std::string("0") : quoted(m_table.typeCol));
    for (const std::string& col : m_table.extraCols)
        sql += ", " + quoted(col);
    // The order the tree fillers read in: order number, then id.
    sql += " FROM " + sqlTable() + " ORDER BY " + quoted(m_table.orderCol) + ", " + quoted(m_table.idCol);
    vrt::odbc::Statement s(*c);
    if (!s.execDirect(sql)) {
        *error = driverFailure(s.error());
        return false;
    }
    TreeQueue work;
    std::map<int32_t, TreeNode> rows;
    while (s.fetch()) {
        TreeNode n;
        n.id = int32_t(s.integer(1).value_or(0));
        n.parent = int32_t(s.integer(2).value_or(0));
        n.order = int32_t(s.integer(3).value_or(0));
        n.type = int32_t(s.integer(4).value_or(0));
        for (size_t i = 0; i < m_table.extraCols.size(); ++i)
            n.extra << QString::fromStdString(s.text(int(i) + 5).value_or(std::string()));
        TreeRow w;
        w.ID = n.id;
        w.RODITELJ = n.parent;
        work.push_back(w);
        rows[n.id] = std::move(n);
    }
    if (!s.error().ok()) {
        *error = driverFailure(s.error());
        return false;
    }
    // Rows without a path to a root stay out, as the tree leaves them out.
    TreeQueue placed;
    walkTree(work, placed, 0, 0, TreeIcon::Level);
    listing.reserve(placed.size());
    for (const TreeRow& r : placed) {
        TreeNode n = rows[r.ID];
        n.level = r.LEVEL;
        listing.push_back(std::move(n));
    }
    return true;
}

bool TreeMover::write(const std::vector<TreeNode>& before, const std::vector<TreeNode>& after, QString* error)
{
    std::map<int32_t, const TreeNode*> stored;
    for (const TreeNode& n : before)
        stored[n.id] = &n;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    vrt::odbc::Statement s(*c);
    if (!s.prepare("UPDATE " + sqlTable() + " SET " + quoted(m_table.parentCol) + " = ?, " + quoted(m_table.orderCol)
                   + " = ? WHERE " + quoted(m_table.idCol) + " = ?")) {
        *error = driverFailure(s.error());
        return false;
    }
    for (size_t i = 0; i < after.size(); ++i) {
        const TreeNode& n = after[i];
        const int32_t order = int32_t(i + 1);
        const TreeNode* was = stored[n.id];
        if (was && was->parent == n.parent && was->order == order)
            continue;
        s.clearParams();
        s.bindInt(1, n.parent);
        s.bindInt(2, order);
        s.bindInt(3, n.id);
        if (!s.execute()) {
            *error = driverFailure(s.error());
            return false;
        }
        s.closeCursor();
    }
    return true;
}

void TreeMover::fail(const QString& error)
{
    vrt::message(translator().QVSTR(QStringLiteral("Došlo je do greške kod premještanja!")) + QStringLiteral(" : ") + error,
                 QStringLiteral("Info"), vrt::Icon::Information);
}

bool TreeMover::renumber()
{
    QString error;
    vrt::odbc::Error why;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&why);
    if (!c) {
        fail(driverFailure(why));
        return false;
    }
    corvalde::ThreadSession().suspendReaders();
    {
        vrt::odbc::Transaction tx(*c);
        std::vector<TreeNode> listing;
        if (!tx.started())
            error = driverFailure(c->error());
        else if (load(listing, &error) && write(listing, listing, &error) && !tx.commit())
            error = driverFailure(c->error());
    }
    if (!error.isEmpty()) {
        fail(error);
        return false;
    }
    return true;
}

const TreeRules& freeTree()
{
    struct Free : TreeRules {
        bool fixed(long) const override { return false; }
        TreeRefusal fixedRefusal() const override { return {}; }
        std::optional<TreeRefusal> refuse(const TreeMovePlan&) const override { return std::nullopt; }
    };
    static Free rules;
    return rules;
}

TreeMoveResult TreeMover::move(TreeMove how, long id)
{
    if (id == 0)
        return TreeMoveResult::Unchanged;
    if (m_table.rules->fixed(id)) {
        const TreeRefusal no = m_table.rules->fixedRefusal();
        vrt::message(translator().QVSTR(no.text), no.caption, no.icon);
        return TreeMoveResult::Refused;
    }
    // Ended (rolled back unless committed) before any message or rebuild.
    std::optional<vrt::odbc::Transaction> tx;
    const auto done = [&](TreeMoveResult r) {
        tx.reset();
        if (m_after)
            m_after(id);
        return r;
    };
    vrt::odbc::Error why;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&why);
    if (!c) {
        fail(driverFailure(why));
        return done(TreeMoveResult::Failed);
    }
    corvalde::ThreadSession().suspendReaders();
    // The read, the move and the numbering see one state of the table and land together.
    tx.emplace(*c);
    QString error;
    std::vector<TreeNode> listing;
    if (!tx->started())
        error = driverFailure(c->error());
    else
        load(listing, &error);
    if (!error.isEmpty()) {
        tx.reset();
        fail(error);
        return done(TreeMoveResult::Failed);
    }

    size_t pos = 0;
    while (pos < listing.size() && listing[pos].id != id)
        ++pos;
    std::vector<TreeNode> next = listing;
    TreeMovePlan plan;
    plan.move = how;
    if (pos < listing.size()) {
        plan.node = &listing[pos];
        const size_t end = subtreeEnd(listing, pos);
        const auto block = [&](size_t from, size_t to) {
            return std::vector<TreeNode>(listing.begin() + long(from), listing.begin() + long(to));
        };
        const auto splice = [&](std::vector<std::vector<TreeNode>> parts) {
            next.clear();
            for (auto& p : parts)
                next.insert(next.end(), p.begin(), p.end());
        };
        switch (how) {
        case TreeMove::Up:
            if (const long q = previousSibling(listing, pos); q >= 0) {
                plan.neighbour = &listing[size_t(q)];
                splice({block(0, size_t(q)), block(pos, end), block(size_t(q), pos), block(end, listing.size())});
            }
            break;
        case TreeMove::Down:
            if (end < listing.size() && listing[end].level == listing[pos].level) {
                plan.neighbour = &listing[end];
                const size_t after = subtreeEnd(listing, end);
                splice({block(0, pos), block(end, after), block(pos, end), block(after, listing.size())});
            }
            break;
        case TreeMove::Left:
            if (listing[pos].parent != 0) {
                long p = long(pos) - 1;
                while (p >= 0 && listing[size_t(p)].level >= listing[pos].level)
                    --p;
                if (p < 0)
                    break;
                const TreeNode& parent = listing[size_t(p)];
                plan.changesParent = true;
                for (const TreeNode& n : listing)
                    if (n.id == parent.parent && parent.parent != 0)
                        plan.newParent = &n;
                // Right after the former parent's remaining subtree.
                std::vector<TreeNode> rest = block(0, pos);
                const std::vector<TreeNode> tail = block(end, listing.size());
                rest.insert(rest.end(), tail.begin(), tail.end());
                const size_t at = subtreeEnd(rest, size_t(p));
                std::vector<TreeNode> moving = block(pos, end);
                moving.front().parent = parent.parent;
                for (TreeNode& n : moving)
                    --n.level;
                splice({std::vector<TreeNode>(rest.begin(), rest.begin() + long(at)), moving,
                        std::vector<TreeNode>(rest.begin() + long(at), rest.end())});
            }
            break;
        case TreeMove::Right:
            if (const long q = previousSibling(listing, pos); q >= 0) {
                plan.neighbour = plan.newParent = &listing[size_t(q)];
                plan.changesParent = true;
                // Already right after the new parent's subtree: it becomes its last child.
                next[pos].parent = listing[size_t(q)].id;
                for (size_t i = pos; i < end; ++i)
                    ++next[i].level;
            }
            break;
        }
        if (plan.changesParent && plan.newParent)
            for (size_t i = pos; i < end; ++i)
                if (listing[i].id == plan.newParent->id) {
                    tx.reset();
                    vrt::message(translator().QVSTR(QStringLiteral("Stavka se ne može premjestiti ispod vlastite podstavke!")),
                                 QStringLiteral("Info"), vrt::Icon::Information);
                    return done(TreeMoveResult::Refused);
                }
        if (const std::optional<TreeRefusal> no = m_table.rules->refuse(plan)) {
            tx.reset();
            if (!no->text.isEmpty())
                vrt::message(translator().QVSTR(no->text), no->caption, no->icon);
            return done(TreeMoveResult::Refused);
        }
    }
    bool moved = false;
    for (size_t i = 0; i < next.size(); ++i)
        moved = moved || next[i].id != listing[i].id || next[i].parent != listing[i].parent;
    if (!write(listing, next, &error) || !tx->commit()) {
        if (error.isEmpty())
            error = driverFailure(c->error());
        tx.reset();
        fail(error);
        return done(TreeMoveResult::Failed);
    }
    return done(moved ? TreeMoveResult::Moved : TreeMoveResult::Unchanged);
}

} // namespace VelmoraDll
