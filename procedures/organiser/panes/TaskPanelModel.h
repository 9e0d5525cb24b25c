#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "chrome/TaskPanel.h"

// The task panel of the overview page. No widgets here.
namespace organiser {

// The overview's task panel: the organiser's look, headers that fold on a click and tasks
// that open their calendar event (the task's user data) in its form.
class TaskPanelModel : public POTASKPANELCLASS {
public:
    // The panel's look.
    struct ColourGroup {
        int background, gradientStart, gradientEnd, text, hover, disabled; // -1: not given
    };
    static const std::vector<ColourGroup>& colourGroups(); // panel, headers, second headers, tasks
    static QString font() { return QStringLiteral("Tahoma"); }
    static std::vector<int> margins() { return {10, 20, 10, 20}; }
    static QString appName() { return QStringLiteral("VelmoraDll.DLL"); }

    TaskPanelModel();

    // Edits a task's event through its form (answers GLOBALRESPONSE); nothing when gone.
    std::function<std::optional<int>(long eventId)> editEvent;
    std::function<void()> refill; // W_First.FillTaskPanel

    void INIT(ptp::TaskPanelHost* host) override;
    // A header folds or unfolds; a task with an event opens it, and a completed form fills
    // the panel again.
    int EXECUTEACTION(long headerId, long taskId, long button, long value) override;
};

} // namespace organiser
