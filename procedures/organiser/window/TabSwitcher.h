#pragma once
#include <QString>
#include <functional>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// W_First.TabChanged: what showing a page of the organiser window does.
class TabSwitcher {
public:
    struct Side {
        std::function<void()> clearWorkTexts;     // the calendar's shared texts, TextBuffer
        std::function<void()> freeChartQueues;
        std::function<void(int page)> writeLastTab;
        std::function<void(int page)> showPage;
        std::function<void(bool)> showOverviewChart;  // control 13
        std::function<bool()> mailFolderQueueEmpty;
        std::function<int()> fillInboxTree;           // S_FillInboxTree
        std::function<void(int row)> selectMailFolderRow; // tree 24, with a new selection
        std::function<void()> focusMailList;          // list 21, with a new selection
        std::function<long()> taskCategoryId;         // CALC:ID
        std::function<void(long id, const QString& filter)> setTaskFilter;
        std::function<bool()> categoryQueueEmpty;
        std::function<void(int row)> selectCategoryRow;   // tree 53, with a new selection
        std::function<void(int page)> showFinancePage;
        std::function<bool()> contactGroupQueueEmpty;
        std::function<int()> fillContactGroupTree;    // S_FillContactGroupTree
        std::function<void(bool select)> contactGroupTree; // select row 1, or focus; new selection
        std::function<void()> resetForce;
    };

    TabSwitcher(PaneRoutines& panes, GanttApi& gantt, FrameLink& frame, Side side)
        : m_panes(panes), m_gantt(gantt), m_frame(frame), m_side(std::move(side)) {}

    // Answers a failure flag of a routine it called (0 = fine).
    int tabChanged(int page);

private:
    PaneRoutines& m_panes;
    GanttApi& m_gantt;
    FrameLink& m_frame;
    Side m_side;
};

} // namespace organiser
