#include "shell/RibbonBuilder.h"

#include "controls/RibbonBar.h"
#include "runtime/Paths.h"
#include "shell/RibbonModel.h"

#include <QFileInfo>

namespace shell {
namespace {

template <class Target>
void addItems(Target& target, const std::vector<RibbonItemDef>& items, const Translate& translate)
{
    for (const RibbonItemDef& item : items) {
        controls::RibbonControl* c = target.add(static_cast<controls::RibbonControl::Type>(item.kind),
                                                item.id, translate(item.caption), item.beginGroup);
        if (!item.items.empty())
            addItems(*c->commandBar(), item.items, translate);
    }
}

} // namespace

QIcon ribbonIcon(const QString& dataFolder, const QString& file)
{
    const QString own = vrt::joinPath(vrt::joinPath(dataFolder, QStringLiteral("Images")), file);
    if (!dataFolder.isEmpty() && QFileInfo::exists(own))
        return QIcon(own);
    return QIcon(QStringLiteral(":/velmora/icons/%1.svg").arg(QFileInfo(file).completeBaseName()));
}

void buildRibbon(controls::RibbonBar& bar, const QString& dataFolder, const Translate& translate,
                 int selectedTab)
{
    for (const RibbonIconDef& icon : ribbonIcons())
        bar.setIcon(icon.id, ribbonIcon(dataFolder, icon.file));
    bar.setQuickAccessVisible(false);
    bar.setQuickAccessBelow(true);
    bar.setAllowMinimize(false);

    const auto& tabs = ribbonTabs();
    for (int k = 0; k < int(tabs.size()); ++k) {
        const RibbonTabDef& tab = tabs[k];
        const int index = bar.insertTab(k, translate(tab.caption), tab.id);
        for (const RibbonGroupDef& g : tab.groups) {
            controls::RibbonGroup* group = bar.addGroup(index, translate(g.caption), g.id);
            addItems(*group, g.controls, translate);
            if (g.hidden)
                group->setVisible(false);
        }
    }
    bar.selectTab(selectedTab - 1);
}

} // namespace shell
