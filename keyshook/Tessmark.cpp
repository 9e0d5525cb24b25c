#include "runtime/ComponentRegistry.h"

#include <QObject>

// The keyboard hook control registers itself under its program identifier when the host
// asks for it. The editing-key mapping itself is added with the embedded browser.
extern "C" __attribute__((visibility("default"))) int vrt_register_server(vrt::ComponentRegistry* registry)
{
    if (!registry)
        return 1;
    registry->registerFactory(QStringLiteral("Tessmark.CKeysHook.1"), [](QWidget*) {
        auto* o = new QObject;
        o->setObjectName(QStringLiteral("CKeysHook"));
        return o;
    });
    return 0;
}
