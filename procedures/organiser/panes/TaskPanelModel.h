#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The task panel of the overview page. No widgets here.
namespace organiser {

// The task panel: headers that fold, each with tasks that carry a calendar event id.
class TaskPanelModel {
public:
    struct Task {
        QString caption;
        long eventId = 0;  // user data: 0 none
        QString icon = {}; // an icon file ("/data/Images/smiley2.ico"); empty: none
    };
    struct Header {
        QString caption;
        bool expanded = true;
        std::vector<Task> tasks;
        bool alwaysExpanded = false; // a click does not fold it
        QString icon = {};           // an icon file name ("hand_paper.ico"); empty: none
    };
    // The panel's look.
    struct ColourGroup {
        int background, gradientStart, gradientEnd, text, hover, disabled; // -1: not given
    };
    static const std::vector<ColourGroup>& colourGroups(); // panel, headers, second headers, tasks
    static QString font() { return QStringLiteral("Tahoma"); }
    static std::vector<int> margins() { return {10, 20, 10, 20}; }
    static QString appName() { return QStringLiteral("VelmoraDll.DLL"); }

    std::vector<Header> headers;

    // Edits a task's event through its form (answers GLOBALRESPONSE); false when gone.
    std::function<std::optional<int>(long eventId)> editEvent;
    std::function<void()> refill; // W_First.FillTaskPanel

    // A click: header h (from 1), task t (from 1, 0 for the header itself). A click on a
    // header folds or unfolds it unless it is always expanded.
    void executeAction(int header, int task);
};

} // namespace organiser
