#include "procedures/finance/FinanceRoutines.h"

#include <QLocale>
#include <QTreeView>

#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/OrganiserLists.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

namespace finance {

vrt::Decimal sumAmounts(const std::vector<Amount>& rows, bool signedByType, int* bad)
{
    vrt::Decimal total = vrt::Decimal::fromUnscaled(0, 2);
    for (const Amount& a : rows) {
        const auto d = vrt::Decimal::parse(QStringView(a.text).trimmed());
        if (!d) {
            if (!a.text.trimmed().isEmpty() && bad)
                ++*bad;
            continue;
        }
        if (!signedByType || a.type == 1)
            total += *d;
        else if (a.type == 2)
            total -= *d;
    }
    return total.round(2);
}

QString balanceTreeText(const QString& stateWord, const vrt::Decimal& total)
{
    return stateWord + total.format(2, QLocale()).rightJustified(14);
}

namespace {

std::vector<Amount> listedAmounts(organiser::OrganiserList& list)
{
    std::vector<Amount> out;
    const int n = list.rowCount();
    out.reserve(size_t(n));
    for (int r = 0; r < n; ++r)
        out.push_back({list.cell(QStringLiteral("PR:IZNOS_DECIMAL"), r), list.cell(QStringLiteral("PR:TIPID"), r).toInt()});
    return out;
}

bool exists(const std::string& table, const char* column, long id)
{
    vrt::FileManager& sql = Access(Tbl::SQL_File);
    const std::string query = "SELECT 1 FROM \"" + table + "\" WHERE \"" + column + "\" = " + std::to_string(id) + " LIMIT 1";
    return sql.ExecSql(query) == 0 && sql.Next() == 0;
}

} // namespace

int FinanceRoutines::FillFinanceCategoryTree()
{
    static VelmoraDll::CategorySource own;
    VelmoraDll::CategoryTableSource& categories = m_categories ? *m_categories : own;
    VelmoraDll::S_FillPrihodiRashodi(categories, VelmoraDll::translator());
    VelmoraDll::TreeQueue& q = VelmoraDll::PrihodiRashodiQ();
    // The order values follow the displayed order, so moves within the tree are stable.
    vrt::FileManager& f = Access(Tbl::APrihodiRashodiKategorija);
    for (size_t i = 0; i < q.size(); ++i) {
        if (q[i].ID == 0)
            continue;
        const int32_t order = int32_t(i + 1);
        if (q[i].REDOSLIJED == order)
            continue;
        APRK().ID = q[i].ID;
        const auto fail = [&](const char* stop) {
            vrt::stop(QLatin1String(stop) + QString::number(q[i].ID) + QStringLiteral(" : ") + QString::number(f.ErrorCode())
                      + QStringLiteral(" : ") + f.ErrorText() + QStringLiteral(" : ") + f.ErrorText());
        };
        if (f.TryFetch(APRK.IDKey) != 0) {
            fail("W_First Move 1prk :");
            continue;
        }
        APRK().REDOSLIJED = order;
        if (f.TryUpdate() != 0)
            fail("W_First Move 2prk :");
        q[i].REDOSLIJED = order;
    }
    VelmoraDll::TreeRow balance;
    balance.ID = BalanceRowId;
    balance.REDOSLIJED = BalanceRowId;
    balance.NAZIV = tr(QStringLiteral("***KLIK ZA STANJE***"));
    q.push_back(balance);
    m_side.showTree();
    return 0;
}

int FinanceRoutines::CategorySelected()
{
    QTreeView* view = m_side.tree();
    if (!view)
        return 0;
    auto* model = static_cast<VelmoraDll::TreeQueueModel*>(view->model());
    const int position = model->position(view->currentIndex());
    if (position < 0)
        return 0;
    m_selected = model->queue()[size_t(position)].ID;
    ProvjeriDjecu(position);
    return 0;
}

void FinanceRoutines::ProvjeriDjecu(int position)
{
    organiser::OrganiserList* list = m_side.entries();
    if (!list)
        return;
    totalsName.clear();
    totalsAmount = vrt::Decimal();
    const VelmoraDll::TreeRow row = static_cast<VelmoraDll::TreeQueueModel*>(m_side.tree()->model())->queue()[size_t(position)];
    // One rule for every balance: an entry counts by its own type, so an entry whose
    // category has gone still counts, and the page agrees with the charts and the print.
    if (m_selected == BalanceRowId) {
        list->setCondition({});
        const vrt::Decimal total = sumAmounts(listedAmounts(*list), true);
        if (!total.isZero()) {
            setBalanceText(balanceTreeText(tr(QStringLiteral("STANJE")), total));
            PaintTotalsRow(tr(QStringLiteral("STANJE")), total);
        } else {
            setBalanceText(tr(QStringLiteral("***KLIK ZA STANJE***")));
        }
    } else {
        // The tree's selection has given the list this category's subtree already.
        if (!m_subtreeShown)
            list->setCondition(organiser::categorySubtreeCondition(m_selected));
        setBalanceText(tr(QStringLiteral("***KLIK ZA STANJE***")));
        // The roots are the rows without a parent; their type says which total they get.
        if (row.RODITELJ == 0 && row.LEVEL == 1) {
            APRK().ID = int32_t(m_selected);
            const int type = Access(Tbl::APrihodiRashodiKategorija).TryFetch(APRK.IDKey) == 0 ? APRK().TIP : 0;
            if (type == 1 || type == 2) {
                const vrt::Decimal total = sumAmounts(listedAmounts(*list), false);
                if (!total.isZero())
                    PaintTotalsRow(tr(type == 1 ? QStringLiteral("PRIHOD UKUPNO") : QString::fromUtf8("TROŠAK UKUPNO")), total);
            }
        }
    }
    // The last row is selected, so the totals (or the latest entry) is in view.
    const int last = list->model().rowCount() - 1;
    m_side.selectListRow(last);
}

void FinanceRoutines::PaintTotalsRow(const QString& name, const vrt::Decimal& total)
{
    organiser::OrganiserList* list = m_side.entries();
    const auto& cols = list->def().columns;
    QStringList cells;
    for (size_t c = 0; c < cols.size(); ++c)
        cells << QString();
    cells[list->def().columnOf(QStringLiteral("PR:NAZIV"))] = name;
    cells[list->def().columnOf(QStringLiteral("PR:IZNOS_DECIMAL"))] = QString::fromStdString(total.toString(2));
    list->model().setExtraRows({{cells, 0xFFFFFF, 0xFF0000}}); // white on blue
    totalsName = name;
    totalsAmount = total;
}

void FinanceRoutines::setBalanceText(const QString& text)
{
    VelmoraDll::TreeQueue& q = VelmoraDll::PrihodiRashodiQ();
    if (q.empty() || q.back().ID != BalanceRowId)
        return;
    q.back().NAZIV = text;
    if (QTreeView* view = m_side.tree()) {
        auto* model = static_cast<VelmoraDll::TreeQueueModel*>(view->model());
        if (!model->queue().empty() && model->queue().back().ID == BalanceRowId)
            model->setRowText(int(model->queue().size()) - 1, text);
    }
}

bool FinanceRoutines::readSelectedCategory()
{
    QTreeView* view = m_side.tree();
    if (!view)
        return false;
    auto* model = static_cast<VelmoraDll::TreeQueueModel*>(view->model());
    const int position = model->position(view->currentIndex());
    if (position < 0)
        return false;
    const long id = model->queue()[size_t(position)].ID;
    if (id == 0 || id == BalanceRowId)
        return false;
    PRK().ID = int32_t(id);
    return Access(Tbl::PrihodiRashodiKategorija).TryFetch(PRK.IDKey) == 0;
}

int FinanceRoutines::refused(const char* text)
{
    vrt::message(tr(QString::fromUtf8(text)), QString(), vrt::Icon::Hand);
    return 0;
}

int FinanceRoutines::InsertFinanceCategory()
{
    if (!readSelectedCategory())
        return 0;
    const int32_t parent = PRK().ID;
    const uint8_t type = PRK().TIP;
    GLOBALREQUEST = vrt::INSERT_RECORD;
    if (Access(Tbl::PrihodiRashodiKategorija).PrimeRecord() != 0)
        return 0;
    PRK().TATAID = parent;
    PRK().TIP = type; // a new category is of its parent's kind
    if (m_side.categoryForm() == vrt::REQUEST_COMPLETED)
        FillFinanceCategoryTree();
    return 0;
}

int FinanceRoutines::ChangeFinanceCategory()
{
    if (!readSelectedCategory())
        return 0;
    if (PRK().TATAID == 0)
        return refused("Standardni direktorij se ne može mijenjati ili brisati!");
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    if (m_side.categoryForm() == vrt::REQUEST_COMPLETED)
        FillFinanceCategoryTree();
    return 0;
}

int FinanceRoutines::DeleteFinanceCategory()
{
    if (!readSelectedCategory())
        return 0;
    const long id = PRK().ID;
    if (PRK().TATAID == 0)
        return refused("Standardni direktorij se ne može mijenjati ili brisati!");
    if (exists(Access(Tbl::PrihodiRashodiKategorija).SqlName(), "TATAID", id))
        return refused("Kategorija sadrži podkategorije i ne može biti obrisana!");
    if (exists(Access(Tbl::PrihodiRashodi).SqlName(), "KATEGORIJAID", id))
        return refused("Kategorija sadrži prihode ili rashode i ne može biti obrisana!");
    GLOBALREQUEST = vrt::DELETE_RECORD;
    if (m_side.categoryForm() == vrt::REQUEST_COMPLETED)
        FillFinanceCategoryTree();
    return 0;
}

} // namespace finance
