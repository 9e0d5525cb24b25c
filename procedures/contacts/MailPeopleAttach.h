#pragma once

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// Plugs the accounts window, the contact form and the contact-group form into the organiser
// window built by W_First, in place of their stand-ins.
namespace mailpeople {

void attachMailPeople(organiser::FeatureHost& host);

} // namespace mailpeople
