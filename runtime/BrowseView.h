#pragma once
#include <QTableView>

#include "runtime/Browse.h"
#include "runtime/BrowseLocatorView.h"

namespace vrt {

// A table view showing a Browse: the selection follows the browse, double click and Enter
// activate, Insert/Delete ask for a form, typed letters drive the locator and the right
// button opens the list's popup menu.
class BrowseView : public QTableView {
    Q_OBJECT
public:
    BrowseView(Browse& browse, QWidget* parent = nullptr);
    Browse& browse() { return m_browse; }
    // After the browse changed its rows or selection outside the view.
    void syncSelection();
    CFCQUEUELOCATORCLASS& locator() { return m_locator; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    Browse& m_browse;
    CFCQUEUELOCATORCLASS m_locator;
};

} // namespace vrt
