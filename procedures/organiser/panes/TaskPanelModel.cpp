#include "procedures/organiser/panes/TaskPanelModel.h"

namespace organiser {

const std::vector<TaskPanelModel::ColourGroup>& TaskPanelModel::colourGroups()
{
    // System colours are given as 0x80000000 | index, as Windows colour numbers spell them.
    static const std::vector<ColourGroup> groups = {
        {int(0x8000000C), int(0x8000000C), int(0x8000000F), 0, 0, -1},
        {0xF9E7E0, 0x95451A, 0xC75C22, 0xFFFFFF, 0xE9DBAD, -1},
        {0xF9E7E0, 0xFFFFFF, 0xF9D5C7, 0xC75C22, 0xFF8E42, -1},
        {0xFFFFFF, 0, 0, 0xBC3139, 0, 0}};
    return groups;
}

void TaskPanelModel::executeAction(int header, int task)
{
    if (header < 1 || size_t(header) > headers.size())
        return;
    Header& h = headers[size_t(header - 1)];
    if (task == 0) {
        if (!h.alwaysExpanded)
            h.expanded = !h.expanded;
        return;
    }
    if (task < 1 || size_t(task) > h.tasks.size() || h.tasks[size_t(task - 1)].eventId == 0 || !editEvent)
        return;
    const std::optional<int> response = editEvent(h.tasks[size_t(task - 1)].eventId);
    if (response && *response == 1 && refill)
        refill();
}

} // namespace organiser
