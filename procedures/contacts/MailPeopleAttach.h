#pragma once

namespace organiser {
class OrganiserWindow;
class OrganiserPanes;
}

// Plugs the accounts window, the contact form and the contact-group form into the organiser
// window built by W_First, in place of their stand-ins.
namespace mailpeople {

void attachMailPeople(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes);

} // namespace mailpeople
