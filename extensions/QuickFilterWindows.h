#pragma once
#include <QColor>
#include <QObject>
#include <QPointer>

#include "extensions/QuickFilter.h"

class QComboBox;
class QDialog;
class QLabel;
class QWidget;

namespace vrt { class BrowseView; }

// The windows and keys of a quick filter on a browse view: the list's keys go to TAKEKEY
// with the current column, registered entries (regions) take their keys and clicks, and the
// input window "Search", the save window "Spremanje filtera", the filter list and the popup
// menu are Qt dialogs and menus. Owned by the view.
namespace ext {

class QuickFilterWindowsSide;

class QuickFilterWindows : public QObject {
    Q_OBJECT
public:
    QuickFilterWindows(XQUICKFILTERCLASS& filter, vrt::BrowseView& view, QLabel* status = nullptr);
    ~QuickFilterWindows() override;

    // A window entry registered with ADDFIELD(control = `control`): its keys and clicks act on
    // that field, it gets the region colour and `cursor`.
    void addRegion(QWidget* entry, int control, QColor colour = QColor(255, 255, 225));
    // A drop list offering the saved filters ("none" first); choosing one loads it. Refilled
    // whenever a filter is saved, deleted or made the default.
    void setQuickList(QComboBox* list);
    // The combination a key event stands for, as the keys of the quick filter are given.
    static int keyCode(int key, Qt::KeyboardModifiers modifiers);

    // The windows, each run through vrt::runModal (tests drive them).
    int inputWindow(bool wildcard, const XFILTERENTRY& entry, QString& low, QString& high);
    void saveWindow();
    void loadWindow();
    void showFilters();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class QuickFilterWindowsSide;
    XQUICKFILTERCLASS& m_filter;
    std::unique_ptr<QuickFilterWindowsSide> m_side;
    vrt::BrowseView& m_view;
    QPointer<QLabel> m_status;
    QPointer<QComboBox> m_quickList;
    void fillQuickList();
    std::map<QObject*, int> m_regions;
    QString m_lastName;   // the save window keeps the last name typed
    bool m_clearAll = false, m_withOr = false;
};

} // namespace ext
