#pragma once
#include "extensions/QbeGlobal.h"
#include "extensions/QbeSearch.h"

#include <optional>

class QWidget;
namespace vrt {
class Browse;
}

// "Upit" of the contacts window: the query wizard over the contact's name, company, town,
// e-mail and phone; the list then shows only the contacts that match (within the group).
namespace mailpeople {

// The query windows' texts in the language Velmora runs in (Croatian or English).
class QueryTexts : public DTRV::GLOBALCLASS {
public:
    QString TRANSLATE(const QString& key) override;
};

class ContactQuery {
public:
    explicit ContactQuery(vrt::Browse& browse);
    // Runs the wizard; on Finish the list is narrowed to the matches (true).
    bool run(QWidget* parent);
    DTRV::SEARCHCLASS& search() { return m_search; }

private:
    QueryTexts m_texts;
    DTRV::QbeBrowseFilter m_list;
    DTRV::SEARCHCLASS m_search;
};

// "Traži": the contact form doubles as the search window. Typed values are the criteria; the
// search shows the first matching contact, the next, or takes the one shown for a change.
// The contact taken (in the contact buffer), none when the user left the search.
std::optional<long> findContactByForm(QWidget* parent);

} // namespace mailpeople
