#pragma once
#include <QString>
#include <functional>

namespace vrt {
class ProgressSink;
class Report;
} // namespace vrt

// The printed business documents, laid out on the runtime's report: the outgoing document as
// an invoice with the company's letterhead, and the incoming document's block.
namespace business {

using Translate = std::function<QString(const QString&)>;

// False with the reason when the document is not there; false with no reason when the user
// cancelled in the progress window.
bool buildInvoice(long documentId, vrt::Report& report, const Translate& tr, QString* error = nullptr,
                  vrt::ProgressSink* progress = nullptr);
bool buildInputDocument(long documentId, vrt::Report& report, const Translate& tr, QString* error = nullptr);

} // namespace business
