#pragma once
#include <QString>
#include <functional>

namespace vrt {
class Report;
}

// The e-mail report: the highlighted mail's subject, recipient, date and plain-text body.
namespace organiser {

class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;

// Lays out mail `emailId`: every page headed by "Naslov:" and the subject, "Prima:" and the
// recipient address, a rule, the date and time; then the body over as many pages as it needs.
// A mail that is not there (id 0) prints no page.
// False, with an empty report, when there is no such mail.
bool buildEmailReport(vrt::Report& report, long emailId, const std::function<QString(const QString&)>& tr);

// R_Email: the report of mail `emailId` in the print preview, maximised at real size. With
// no mail (none highlighted, or gone) nothing is printed and the user is told why.
void R_Email(long emailId, const std::function<QString(const QString&)>& tr);

// "Print" of the mail page runs the report of the mail list's highlighted mail.
void attachMailReport(FeatureHost& host);

} // namespace organiser
