#include "procedures/organiser/panes/TaskPanelWidget.h"

#include "controls/Images.h"
#include "data/Globals.h"

namespace organiser {

QIcon TaskPanelWidget::iconOf(const QString& file) { return controls::imageIcon(corvalde::dataFolder(), file); }

TaskPanelWidget::TaskPanelWidget(TaskPanelModel& model, QWidget* parent) : TaskPanelView(model, parent)
{
    TaskPanelView::iconOf = [](const QString& name) { return TaskPanelWidget::iconOf(name); };
    setFont(QFont(TaskPanelModel::font()));
}

} // namespace organiser
