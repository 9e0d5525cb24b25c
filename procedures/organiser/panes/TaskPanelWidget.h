#pragma once
#include "chrome/TaskPanelView.h"
#include "procedures/organiser/panes/TaskPanelModel.h"

namespace organiser {

// The overview's task panel on screen: the chrome's task panel over the organiser's model,
// icons from the data folder's Images or the bundled drawings.
class TaskPanelWidget : public TaskPanelView {
    Q_OBJECT
public:
    TaskPanelWidget(TaskPanelModel& model, QWidget* parent = nullptr);
    // The icon of a header's or task's icon file: the file itself when it is a path that
    // exists, a bare name from <data folder>/Images, else the bundled drawing of that name.
    static QIcon iconOf(const QString& file);
};

} // namespace organiser
