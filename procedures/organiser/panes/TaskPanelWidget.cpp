#include "procedures/organiser/panes/TaskPanelWidget.h"

#include <QHeaderView>
#include <QLinearGradient>

#include "controls/Images.h"
#include "data/Globals.h"
#include "procedures/organiser/lists/OrganiserLists.h"

namespace organiser {

QIcon TaskPanelWidget::iconOf(const QString& file) { return controls::imageIcon(corvalde::dataFolder(), file); }

TaskPanelWidget::TaskPanelWidget(TaskPanelModel& model, QWidget* parent) : QTreeWidget(parent), m_model(model)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(10);
    setFont(QFont(TaskPanelModel::font()));
    const std::vector<int> m = TaskPanelModel::margins();
    setContentsMargins(m[0], m[1], m[2], m[3]);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { clicked(item); });
    // An always expanded header stays open whatever folds it (the keyboard too).
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        const int h = indexOfTopLevelItem(item);
        if (h >= 0 && size_t(h) < m_model.headers.size() && m_model.headers[size_t(h)].alwaysExpanded)
            item->setExpanded(true);
    });
    refresh();
}

void TaskPanelWidget::refresh()
{
    clear();
    const auto& groups = TaskPanelModel::colourGroups();
    const TaskPanelModel::ColourGroup& head = groups[1];
    const TaskPanelModel::ColourGroup& task = groups[3];
    for (size_t h = 0; h < m_model.headers.size(); ++h) {
        const TaskPanelModel::Header& header = m_model.headers[h];
        auto* top = new QTreeWidgetItem(this, QStringList{header.caption});
        top->setIcon(0, iconOf(header.icon));
        QLinearGradient gradient(0, 0, 1, 0);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        gradient.setColorAt(0, windowsColour(head.gradientStart));
        gradient.setColorAt(1, windowsColour(head.gradientEnd));
        top->setBackground(0, QBrush(gradient));
        top->setForeground(0, windowsColour(head.text));
        QFont bold = font();
        bold.setBold(true);
        top->setFont(0, bold);
        for (const TaskPanelModel::Task& t : header.tasks) {
            auto* child = new QTreeWidgetItem(top, QStringList{t.caption});
            child->setIcon(0, iconOf(t.icon));
            child->setForeground(0, windowsColour(task.text));
        }
        top->setExpanded(header.expanded);
    }
}

void TaskPanelWidget::clicked(QTreeWidgetItem* item)
{
    QTreeWidgetItem* top = item->parent() ? item->parent() : item;
    const int header = indexOfTopLevelItem(top) + 1;
    const int taskNo = item->parent() ? top->indexOfChild(item) + 1 : 0;
    m_model.executeAction(header, taskNo);
    if (taskNo == 0)
        top->setExpanded(m_model.headers[size_t(header - 1)].expanded);
}

} // namespace organiser
