#pragma once
#include <QString>
#include <functional>
#include <vector>

#include "runtime/Decimal.h"

class QTreeView;

namespace VelmoraDll {
class CategoryTableSource;
}
namespace organiser {
class OrganiserList;
}

// The finance page's category tree and entry list: the fill with its balance row, the
// entries of a category's subtree with their totals rows, and the category commands.
namespace finance {

constexpr int BalanceRowId = 1000000;

struct Amount {
    QString text; // stored decimal text
    int type = 0; // the entry's TIPID: 1 income, 2 expense
};

// Every amount added exactly; texts that are no number count as 0 and are counted in `bad`.
vrt::Decimal sumAmounts(const std::vector<Amount>& rows, bool signedByType, int* bad = nullptr);

// "STANJE" followed by the balance right-aligned in 14 characters with the user's separators.
QString balanceTreeText(const QString& stateWord, const vrt::Decimal& total);

struct FinanceRoutineDeps {
    std::function<QString(const QString&)> translate;
    std::function<organiser::OrganiserList*()> entries; // ?L:PR
    std::function<QTreeView*()> tree;                  // ?L:PrihodiRashodiQ
    VelmoraDll::CategoryTableSource* categories = nullptr;
    // Shows the refilled queue in the tree, keeping the selected position.
    std::function<void()> showTree;
    // F_PrihodiRashodiKategorija for GLOBALREQUEST over the PRK: buffer; answers GLOBALRESPONSE.
    std::function<int()> categoryForm;
    // Selects a row of the entry list's view, a totals row too; none: the list's own rows.
    std::function<void(int row)> selectListRow;
    // The window's tree selection sets the list's subtree before the routine runs.
    bool subtreeShown = false;
};

class FinanceRoutines {
public:
    explicit FinanceRoutines(FinanceRoutineDeps deps) : m_d(std::move(deps)) {}

    int FillFinanceCategoryTree();
    int CategorySelected();
    int InsertFinanceCategory();
    int ChangeFinanceCategory();
    int DeleteFinanceCategory();

    long selectedCategory() const { return m_selected; }
    // The last totals row's name and amount (empty name: none was added).
    QString totalsName;
    vrt::Decimal totalsAmount;

private:
    QString tr(const QString& t) const { return m_d.translate ? m_d.translate(t) : t; }
    void ProvjeriDjecu(int position);
    void PaintTotalsRow(const QString& name, const vrt::Decimal& total);
    void setBalanceText(const QString& text);
    // The selected tree row's category read into PRK:, or false (nothing selected, the
    // balance row, a category gone meanwhile).
    bool readSelectedCategory();
    int refused(const char* text);

    FinanceRoutineDeps m_d;
    long m_selected = 0;
};

} // namespace finance
