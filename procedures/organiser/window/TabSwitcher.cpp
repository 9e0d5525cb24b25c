#include "procedures/organiser/window/TabSwitcher.h"

namespace organiser {

int TabSwitcher::tabChanged(int page)
{
    m_side.clearWorkTexts();
    m_side.freeChartQueues();
    m_side.writeLastTab(page);
    m_side.showPage(page);
    if (page >= 1 && page <= 8)
        m_side.showOverviewChart(page == 1);
    switch (page) {
    case 2:
        if (m_side.mailFolderQueueEmpty()) {
            if (int failed = m_side.fillInboxTree())
                return failed;
            if (int failed = m_panes.SetMailFolderIcons())
                return failed;
            if (int failed = m_panes.ReadEmailsSQL())
                return failed;
            m_side.selectMailFolderRow(2);
        } else {
            m_side.focusMailList();
        }
        break;
    case 3:
        if (m_side.taskCategoryId() == 0) {
            m_side.setTaskFilter(1, QStringLiteral("CAL:LABELID = '1'"));
            m_side.resetForce();
        }
        break;
    case 4:
        if (int failed = m_panes.PopulateCalendar())
            return failed;
        break;
    case 5: {
        const int width = m_gantt.paneWidth(0);
        if (width < 100 || width > 750)
            m_gantt.setPaneWidth(0, 333);
        break;
    }
    case 6:
        if (m_side.categoryQueueEmpty()) {
            if (int failed = m_panes.FillFinanceCategoryTree())
                return failed;
            m_side.selectCategoryRow(1);
        }
        m_side.showFinancePage(1);
        m_frame.notify(1, 101);
        break;
    case 7:
        m_side.resetForce();
        break;
    case 8:
        if (m_side.contactGroupQueueEmpty()) {
            if (int failed = m_side.fillContactGroupTree())
                return failed;
            m_side.contactGroupTree(true);
        } else {
            m_side.contactGroupTree(false);
        }
        break;
    }
    m_frame.notify(1, page);
    m_side.resetForce();
    if (page == 3) {
        if (int failed = m_panes.T_CategoriesColor())
            return failed;
        m_side.resetForce();
    }
    return 0;
}

} // namespace organiser
