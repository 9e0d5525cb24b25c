#include "procedures/organiser/panes/TaskPanelWidget.h"

#include "controls/Images.h"
#include "data/Globals.h"

namespace organiser {

QIcon TaskPanelWidget::iconOf(const QString& file) { return controls::imageIcon(corvalde::dataFolder(), file); }

namespace {

// The panel's icons, as TaskPanelWidget::iconOf finds them.
class DataFolderIcons : public IconSource {
public:
    QIcon iconOf(const QString& name) override { return TaskPanelWidget::iconOf(name); }
};

} // namespace

TaskPanelWidget::TaskPanelWidget(TaskPanelModel& model, QWidget* parent) : TaskPanelView(model, parent)
{
    setIcons(std::make_unique<DataFolderIcons>());
    setFont(QFont(TaskPanelModel::font()));
}

} // namespace organiser
