#include "shell/RibbonBuilder.h"

#include "controls/Images.h"
#include "controls/RibbonBar.h"
#include "shell/RibbonModel.h"

namespace shell {
namespace {

// Captions are given by retranslateRibbon, the one place that sets them.
template <class Target>
void addItems(Target& target, const std::vector<RibbonItemDef>& items)
{
    for (const RibbonItemDef& item : items) {
        controls::RibbonControl* c = target.add(static_cast<controls::RibbonControl::Type>(item.kind),
                                                item.id, QString(), item.beginGroup);
        if (!item.items.empty())
            addItems(*c->commandBar(), item.items);
    }
}

void translateItems(const QList<controls::RibbonControl*>& built, const std::vector<RibbonItemDef>& items,
                    const Translate& translate)
{
    for (int i = 0; i < built.size() && i < int(items.size()); ++i) {
        built[i]->setText(translate(items[i].caption));
        if (controls::RibbonCommandBar* bar = built[i]->existingCommandBar())
            translateItems(bar->controls(), items[i].items, translate);
    }
}

} // namespace

void buildRibbon(controls::RibbonBar& bar, const QString& dataFolder, const Translate& translate,
                 int selectedTab)
{
    for (const RibbonIconDef& icon : ribbonIcons())
        bar.setIcon(icon.id, controls::imageIcon(dataFolder, icon.file));
    bar.setQuickAccessVisible(false);
    bar.setQuickAccessBelow(true);
    bar.setAllowMinimize(false);

    const auto& tabs = ribbonTabs();
    for (int k = 0; k < int(tabs.size()); ++k) {
        const RibbonTabDef& tab = tabs[k];
        const int index = bar.insertTab(k, QString(), tab.id);
        for (const RibbonGroupDef& g : tab.groups) {
            controls::RibbonGroup* group = bar.addGroup(index, QString(), g.id);
            addItems(*group, g.controls);
            if (g.hidden)
                group->setVisible(false);
        }
    }
    retranslateRibbon(bar, translate);
    bar.selectTab(selectedTab - 1);
}

void retranslateRibbon(controls::RibbonBar& bar, const Translate& translate)
{
    // Group ids repeat within a tab, so groups and controls are matched by position.
    const auto& tabs = ribbonTabs();
    for (int k = 0; k < int(tabs.size()) && k < bar.tabCount(); ++k) {
        bar.setTabCaption(k, translate(tabs[k].caption));
        const QList<controls::RibbonGroup*> groups = bar.groups(k);
        for (int g = 0; g < groups.size() && g < int(tabs[k].groups.size()); ++g) {
            groups[g]->setCaption(translate(tabs[k].groups[g].caption));
            translateItems(groups[g]->controls(), tabs[k].groups[g].controls, translate);
        }
    }
}

} // namespace shell
