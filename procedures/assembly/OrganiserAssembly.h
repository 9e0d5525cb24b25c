#pragma once
#include <QString>

class QWidget;

// The composition root of the organiser window: it gives the window the program's services
// (data layer, frame, hosted components, Gantt chart, calendar, the registries by name of
// forms and pane routines) and attaches every feature that is built, each by one line.
namespace organiser {

class OrganiserWindow;
class OrganiserPanes;

// Opens the organiser window inside `parent` (the frame's central area); it talks to the
// frame as receiver `frameReceiverId`. Null when the opening failed.
OrganiserWindow* W_First(int frameReceiverId, QWidget* parent);

} // namespace organiser
