#pragma once
#include "shell/FrameWindow.h"
#include "shell/OrganiserStandIn.h"

// A frame host without tray icon or first-start work whose organiser window is a stand-in
// (or absent): the frame stays on its waiting text.
class StandInHost : public shell::FrameHost {
public:
    explicit StandInHost(bool withOrganiser = true) : m_withOrganiser(withOrganiser) {}
    void prepare() override {}
    controls::TrayIcon* makeTray(QObject*) override { return nullptr; }
    QWidget* startOrganiser(int frameReceiverId, QWidget* parent) override
    {
        if (m_withOrganiser)
            organiser = new shell::OrganiserStandIn(frameReceiverId, parent);
        return nullptr;
    }

    shell::OrganiserStandIn* organiser = nullptr;

private:
    bool m_withOrganiser;
};
