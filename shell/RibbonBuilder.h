#pragma once
#include <QString>

#include "shell/FrameProtocol.h"

namespace controls { class RibbonBar; class RibbonCommandBar; class RibbonGroup; }

namespace shell {

// Registers the images and builds every tab of the ribbon table on `bar`, captions translated;
// `selectedTab` (1..8) is shown first. The ribbon's own settings are set here too.
void buildRibbon(controls::RibbonBar& bar, const QString& dataFolder, const Translate& translate,
                 int selectedTab);

// Gives every tab, group and control of a ribbon built by buildRibbon its caption again, for
// a change of language.
void retranslateRibbon(controls::RibbonBar& bar, const Translate& translate);

} // namespace shell
