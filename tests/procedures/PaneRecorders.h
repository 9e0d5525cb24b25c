#pragma once
#include <QStringList>

#include "procedures/organiser/panes/PopupItems.h"

// The tests' recorder of what the organiser's menu entries ask of the window: each action is
// written to `calls` ("command 7", "post 120", "InsertContact").
namespace organiser {

struct RecordingMenuActions : MenuActions {
    QStringList calls;

    void dispatch(int code) override { calls << QString("command %1").arg(code); }
    void postAccepted(int control) override { calls << QString("post %1").arg(control); }
    void run(Routine routine) override { calls << nameOf(routine); }
    void calendarRequest(int deleteRequest) override { calls << QString("calendar delete=%1, post 4").arg(deleteRequest); }
    void linkType(int startType, int endType) override
    {
        calls << QString("link %1/%2, reschedule").arg(startType).arg(endType);
    }
};

} // namespace organiser
