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

TaskPanelModel::TaskPanelModel() { INIT(nullptr); }

void TaskPanelModel::INIT(ptp::TaskPanelHost* host)
{
    int group = 1;
    for (const ColourGroup& g : colourGroups()) {
        if (g.disabled < 0)
            SETCOLORGRP(group, (unsigned)g.background, (unsigned)g.gradientStart, (unsigned)g.gradientEnd, (unsigned)g.text,
                        (unsigned)g.hover);
        else
            SETCOLORGRP(group, (unsigned)g.background, (unsigned)g.gradientStart, (unsigned)g.gradientEnd, (unsigned)g.text,
                        (unsigned)g.hover, (unsigned)g.disabled);
        ++group;
    }
    SETFONT(font());
    const std::vector<int> m = margins();
    SETMARGINS(m[0], m[1], m[2], m[3]);
    SETAPPNAME(appName());
    POTASKPANELCLASS::INIT(host);
}

int TaskPanelModel::EXECUTEACTION(long headerId, long taskId, long, long value)
{
    if (taskId == 0) {
        SETEXPANDED(headerId, !value);
        return 0;
    }
    const long eventId = long(GETTASKUSERDATA(headerId, taskId));
    if (eventId == 0 || !m_editor)
        return 0;
    const std::optional<int> response = m_editor->editEvent(eventId);
    if (response && *response == 1)
        m_editor->refill();
    return 0;
}

} // namespace organiser
