#include "controls/Controls.h"
#include "controls/OrganiserControls.h"
#include "controls/HtmlEditor.h"
#include "protocols/ZipKit.h"
#include "protocols/MailManager.h"

#include "controls/RibbonBar.h"
#include "controls/ShortcutCaption.h"
#include "controls/SkinFramework.h"
#include "controls/TrayIcon.h"
#include "runtime/ComponentRegistry.h"

#include <mutex>

namespace controls {

void registerBuiltInControls()
{
    static std::once_flag once;
    std::call_once(once, [] {
        auto& r = vrt::ComponentRegistry::instance();
        r.registerFactory(QString::fromLatin1(kRibbonProgId), [](QWidget* p) { return new RibbonBar(p); });
        r.registerFactory(QString::fromLatin1(kShortcutCaptionProgId),
                          [](QWidget* p) { return new ShortcutCaption(p); });
        r.registerFactory(QString::fromLatin1(kSkinProgId), [](QWidget* p) { return new SkinFramework(p); });
        r.registerFactory(QString::fromLatin1(kTrayIconProgId),
                          [](QWidget* p) { return new SystemTrayIcon(p); });
        r.registerFactory(QString::fromLatin1(kHtmlEditorProgId), [](QWidget* p) { return new HtmlEditor(p); });
        ZipKit::registerComponent();
        MailManager::registerComponent();
        HtmlToMime::registerComponent();
        registerOrganiserControls();
    });
}

} // namespace controls
