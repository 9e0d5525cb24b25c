#pragma once
#include <QString>
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

// What the routines need of the organiser window's finance page.
class FinanceSide {
public:
    virtual ~FinanceSide() = default;
    virtual QString translate(const QString& text) = 0;
    virtual organiser::OrganiserList* entries() = 0; // ?L:PR
    virtual QTreeView* tree() = 0;                   // ?L:PrihodiRashodiQ
    // Shows the refilled queue in the tree, keeping the selected position.
    virtual void showTree() = 0;
    // F_PrihodiRashodiKategorija for GLOBALREQUEST over the PRK: buffer; answers GLOBALRESPONSE.
    virtual int categoryForm() = 0;
    // Selects a row of the entry list's view, a totals row too.
    virtual void selectListRow(int row) = 0;
};

class FinanceRoutines {
public:
    // `side` outlives the routines. `subtreeShown`: the window's tree selection sets the
    // list's subtree before the routine runs. `categories`: where the tree reads its rows
    // (none: the category table).
    FinanceRoutines(FinanceSide& side, bool subtreeShown, VelmoraDll::CategoryTableSource* categories = nullptr)
        : m_side(side), m_subtreeShown(subtreeShown), m_categories(categories) {}

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
    QString tr(const QString& t) const { return m_side.translate(t); }
    void ProvjeriDjecu(int position);
    void PaintTotalsRow(const QString& name, const vrt::Decimal& total);
    void setBalanceText(const QString& text);
    // The selected tree row's category read into PRK:, or false (nothing selected, the
    // balance row, a category gone meanwhile).
    bool readSelectedCategory();
    int refused(const char* text);

    FinanceSide& m_side;
    bool m_subtreeShown;
    VelmoraDll::CategoryTableSource* m_categories;
    long m_selected = 0;
};

} // namespace finance
