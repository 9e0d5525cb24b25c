#include "procedures/common/TreeLists.h"

#include "runtime/Dialogs.h"
#include "runtime/Text.h"
#include "services/Quilvo.h"

#include <QDebug>
#include <map>

namespace VelmoraDll {

void walkTree(TreeQueue& work, TreeQueue& queue, int32_t parent, int32_t depth, TreeIcon icon)
{
    // Children by parent id, in work-copy order. The walk keeps its own stack: a deep chain of
    // folders must not exhaust the thread's stack.
    std::map<int32_t, std::vector<size_t>> children;
    for (size_t i = 0; i < work.size(); ++i)
        children[work[i].RODITELJ].push_back(i);

    struct Frame {
        const std::vector<size_t>* rows;
        size_t next;
        int32_t level;
    };
    std::vector<Frame> stack;
    const auto push = [&](int32_t id, int32_t level) {
        const auto it = children.find(id);
        if (it != children.end())
            stack.push_back({&it->second, 0, level});
    };
    push(parent, depth + 1);
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next == f.rows->size()) {
            stack.pop_back();
            continue;
        }
        const size_t pos = (*f.rows)[f.next++];
        TreeRow& row = work[pos];
        if (row.MARK)
            continue;
        row.MARK = true;
        TreeRow placed = row;
        placed.MARK = false;
        placed.LEVEL = f.level;
        placed.ICON = icon == TreeIcon::Level ? f.level : static_cast<int32_t>(pos + 1);
        queue.push_back(std::move(placed));
        push(row.ID, f.level + 1); // invalidates f
    }
}

namespace {

TreeQueue g_inboxQ, g_it, g_groupQ, g_kgqt, g_categoryQ, g_prqt;

// The shape each queue keeps of a work-copy row.
TreeRow inboxFields(const TreeRow& r)
{
    TreeRow t = r;
    t.NAPOMENA.clear();
    t.UNREADEDMESSAGES = 0; // the mail pane fills it
    return t;
}

TreeRow groupFields(const TreeRow& r)
{
    TreeRow t;
    t.NAZIV = r.NAZIV;
    t.ID = r.ID;
    t.RODITELJ = r.RODITELJ;
    return t;
}

TreeRow categoryFields(const TreeRow& r)
{
    TreeRow t = groupFields(r);
    t.REDOSLIJED = r.REDOSLIJED;
    return t;
}

// Rebuilds a work copy from a table, then the queue from the work copy.
void fill(TreeTableSource& source, TreeQueue& work, TreeQueue& queue, TreeRow (*shape)(const TreeRow&),
          TreeIcon icon, const char* what)
{
    queue.clear();
    work.clear();
    TreeQueue rows;
    if (!source.readAll(rows))
        qWarning() << what << "stopped reading at an error after" << rows.size() << "rows";
    work.reserve(rows.size());
    for (const TreeRow& r : rows)
        work.push_back(shape(r));
    if (!work.empty())
        walkTree(work, queue, 0, 0, icon);
    const size_t placed = static_cast<size_t>(std::count_if(work.begin(), work.end(),
                                                            [](const TreeRow& r) { return r.MARK; }));
    if (placed != work.size())
        qWarning() << what << ":" << work.size() - placed
                   << "rows have no path to a root (missing parent or a parent cycle)";
}

} // namespace

TreeQueue& InboxQ() { return g_inboxQ; }
TreeQueue& IT() { return g_it; }
TreeQueue& KontaktiGrupaQ() { return g_groupQ; }
TreeQueue& KGQT() { return g_kgqt; }
TreeQueue& PrihodiRashodiQ() { return g_categoryQ; }
TreeQueue& PRQT() { return g_prqt; }

void S_AddInboxLevel(int32_t parent, int32_t depth)
{
    walkTree(g_it, g_inboxQ, parent, depth, TreeIcon::WorkPosition);
}

void S_AddContactGroupLevel(int32_t parent, int32_t depth)
{
    walkTree(g_kgqt, g_groupQ, parent, depth, TreeIcon::Level);
}

void S_AddCategoryLevel(int32_t parent, int32_t depth)
{
    walkTree(g_prqt, g_categoryQ, parent, depth, TreeIcon::WorkPosition);
}

void S_CollectCategoryChildren(TreeQueue& FQT, TreeQueue& FQ, int32_t parent, int32_t depth)
{
    walkTree(FQT, FQ, parent, depth, TreeIcon::WorkPosition);
}

void S_AddTreeLevel(TreeQueue& MVQT, TreeQueue& MVQ, int32_t parent, int32_t depth)
{
    walkTree(MVQT, MVQ, parent, depth, TreeIcon::Level);
}

void S_FillInboxTree(TreeTableSource& folders)
{
    fill(folders, g_it, g_inboxQ, &inboxFields, TreeIcon::WorkPosition, "S_FillInboxTree");
}

void S_FillContactGroupTree(TreeTableSource& groups)
{
    fill(groups, g_kgqt, g_groupQ, &groupFields, TreeIcon::Level, "S_FillContactGroupTree");
}

void S_FillPrihodiRashodi(CategoryTableSource& categories, QUILVO& translator)
{
    // Seed only a table that is known to be empty: a read error on a full table must not
    // add a second pair of roots, and the refill after seeding happens once.
    if (categories.rowCount() == 0) {
        const struct {
            const char* name;
            int32_t type;
            const char* step;
        } roots[] = {{"Prihodi", 1, "-1 :"}, {"Troškovi", 2, "-2 :"}};
        for (const auto& root : roots) {
            int code = 0;
            QString text;
            const QString name = vrt::clip(translator.QVSTR(QString::fromUtf8(root.name)), 255);
            if (!categories.insertRoot(name, root.type, &code, &text)) {
                vrt::stop(QStringLiteral("S_FillPrihodiRashodi ADD(APrihodiRashodiKategorija)")
                          + QLatin1String(root.step) + QString::number(code) + QStringLiteral(" : ") + text);
                return;
            }
        }
    }
    fill(categories, g_prqt, g_categoryQ, &categoryFields, TreeIcon::WorkPosition, "S_FillPrihodiRashodi");
}

} // namespace VelmoraDll
