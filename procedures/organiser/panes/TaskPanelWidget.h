#pragma once
#include <QTreeWidget>

#include "procedures/organiser/panes/TaskPanelModel.h"

namespace organiser {

// The overview's task panel on screen: headers with a gradient and their tasks below, a click
// passed to the panel's model. Stands in until the chrome library's own task panel exists.
class TaskPanelWidget : public QTreeWidget {
    Q_OBJECT
public:
    TaskPanelWidget(TaskPanelModel& model, QWidget* parent = nullptr);
    // Shows the model's headers and tasks again.
    void refresh();
    // The icon of a header's or task's icon file: the file itself when it is a path that
    // exists, a bare name from <data folder>/Images, else the bundled drawing of that name.
    static QIcon iconOf(const QString& file);

private:
    void clicked(QTreeWidgetItem* item);
    TaskPanelModel& m_model;
};

} // namespace organiser
