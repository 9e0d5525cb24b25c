#include "shell/OrganiserStandIn.h"

#include "data/Globals.h"
#include "runtime/Notify.h"
#include "shell/FrameProtocol.h"

namespace shell {

OrganiserStandIn::OrganiserStandIn(int frameReceiverId, QObject* parent)
    : QObject(parent), m_frame(frameReceiverId), m_id(vrt::registerReceiver(this))
{
    GLO::W_FIRST = m_id;
}

OrganiserStandIn::~OrganiserStandIn()
{
    vrt::unregisterReceiver(m_id);
    int mine = m_id;
    GLO::W_FIRST.compare_exchange_strong(mine, 0);
}

bool OrganiserStandIn::event(QEvent* event)
{
    if (event->type() != vrt::NotifyEvent::type())
        return QObject::event(event);
    const auto* n = static_cast<vrt::NotifyEvent*>(event);
    m_received.push_back({n->code(), n->number()});
    if (n->code() == kCommand && n->number() == 1013)
        vrt::notify(m_frame, kCloseDown, 2);
    else if (n->code() == kTabChosen && n->number() >= 1)
        vrt::notify(m_frame, kModuleShown, n->number());
    return true;
}

} // namespace shell
