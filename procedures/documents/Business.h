#pragma once
#include <memory>

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
} // namespace organiser

namespace business {

class Forms;

// Plugs the business records into the organiser window: the product, category, document and
// settings forms in place of their stand-ins, and the print routines of the finance pane's
// document tabs (each prints the document selected in its own list). Answers the forms.
void attachBusiness(organiser::FeatureHost& host);

// The print routines by themselves: the document whose number is given, into the preview.
// Nothing selected (0) is refused with a message; answers 0 as the pane routines do.
int printInvoice(long documentId, const Forms& forms);
int printInputDocument(long documentId, const Forms& forms);

} // namespace business
