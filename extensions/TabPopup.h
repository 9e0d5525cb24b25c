#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QMenu;
class QPoint;
class QTabWidget;

namespace SBRW {

// One item of a sheet's tab menu.
struct TabMenuItem {
    int tab = 0;          // the tab's index in the sheet
    QString text;
    bool enabled = true;
    bool current = false;
};

// The menu items of a sheet: every tab but the hidden ones, at most 250.
std::vector<TabMenuItem> tabMenuItems(const QTabWidget& sheet);

// A right click on the tab strip of a registered sheet lists all its tabs (the current one
// checked, disabled ones greyed) and switches to the one picked. Sheets whose tab strip is
// hidden (wizards) never offer it.
class TABPOPUP : public QObject {
    Q_OBJECT
public:
    explicit TABPOPUP(QObject* parent = nullptr) : QObject(parent) {}

    void INIT() { IGNOREMOUSERIGHT = false; }
    void KILL();
    // `tabWidth` is kept for callers that give it; the tab bar's own geometry is used.
    void ADDSHEET(QTabWidget* sheet, int tabWidth = 0);
    // Style 1 or 2: the sheets' tabs scroll in one row (with `force`, also sheets already so).
    void PREPAREWINDOW(int style = 0, bool force = false);
    // The key of a browse's new selection after the tab menu was used: a right click that
    // opened the menu does not open the list's own menu too. Answers the key to act on.
    int TAKEBROWSENEWSELECTION(int keyCode);

    // Shows the menu of `sheet` at `globalPos` and switches to the tab picked; false when the
    // sheet is not registered, is a wizard or nothing was picked.
    bool showMenu(QTabWidget* sheet, const QPoint& globalPos);

    bool IGNOREMOUSERIGHT = false;

protected:
    // Shows the menu at `globalPos`: the tab picked, -1 when cancelled (tests pick instead).
    virtual int choose(QMenu& menu, const QPoint& globalPos);

private:
    struct Sheet {
        QPointer<QTabWidget> control;
        int tabWidth = 0;
    };
    std::vector<Sheet> m_sheets;
};

// A window's tab menu (owned by the window) on `sheets`, their tabs scrolling in one row.
TABPOPUP* tabMenu(QObject* window, const std::vector<QTabWidget*>& sheets);

// The same class under the name the forms use.
using TABPOPUPCLASS = TABPOPUP;

} // namespace SBRW
