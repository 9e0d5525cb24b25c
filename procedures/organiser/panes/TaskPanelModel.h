#pragma once
#include <QString>
#include <optional>
#include <vector>

#include "chrome/TaskPanel.h"

// The task panel of the overview page. No widgets here.
namespace organiser {

// What a click on a task does with its calendar event.
class TaskEditor {
public:
    virtual ~TaskEditor() = default;
    // Edits the event through its form: GLOBALRESPONSE, none when the event is gone.
    virtual std::optional<int> editEvent(long eventId) = 0;
    virtual void refill() = 0; // W_First.FillTaskPanel
};

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

    // Who opens the tasks' events; until one is set a click on a task does nothing. It
    // outlives its use here.
    void setEditor(TaskEditor* editor) { m_editor = editor; }
    TaskEditor* editor() const { return m_editor; }

    void INIT(ptp::TaskPanelHost* host) override;
    // A header folds or unfolds; a task with an event opens it, and a completed form fills
    // the panel again.
    int EXECUTEACTION(long headerId, long taskId, long button, long value) override;

private:
    TaskEditor* m_editor = nullptr;
};

} // namespace organiser
