#pragma once
#include <QString>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// W_First.TabChanged: what showing a page of the organiser window does.
class TabSwitcher {
public:
    // The window around the pages: its texts, trees and page controls.
    class Side {
    public:
        virtual ~Side() = default;
        virtual void clearWorkTexts() = 0;     // the calendar's shared texts, TextBuffer
        virtual void freeChartQueues() = 0;
        virtual void writeLastTab(int page) = 0;
        virtual void showPage(int page) = 0;
        virtual void showOverviewChart(bool on) = 0;  // control 13
        virtual bool mailFolderQueueEmpty() = 0;
        virtual int fillInboxTree() = 0;              // S_FillInboxTree; a failure flag
        virtual void selectMailFolderRow(int row) = 0; // tree 24, with a new selection
        virtual void focusMailList() = 0;             // list 21, with a new selection
        virtual long taskCategoryId() = 0;            // CALC:ID
        virtual void setTaskFilter(long id, const QString& filter) = 0;
        virtual bool categoryQueueEmpty() = 0;
        virtual void selectCategoryRow(int row) = 0;  // tree 53, with a new selection
        virtual void showFinancePage(int page) = 0;
        virtual bool contactGroupQueueEmpty() = 0;
        virtual int fillContactGroupTree() = 0;       // S_FillContactGroupTree; a failure flag
        // Selects row 1 of the tree when it was just filled, else focuses it; a new selection.
        virtual void contactGroupTree(bool select) = 0;
        virtual void resetForce() = 0;
    };

    TabSwitcher(PaneRoutines& panes, GanttApi& gantt, FrameLink& frame, Side& side)
        : m_panes(panes), m_gantt(gantt), m_frame(frame), m_side(side) {}

    // Answers a failure flag of a routine it called (0 = fine).
    int tabChanged(int page);

private:
    PaneRoutines& m_panes;
    GanttApi& m_gantt;
    FrameLink& m_frame;
    Side& m_side;
};

} // namespace organiser
