#pragma once
#include "extensions/QbeGlobal.h"
#include "extensions/QbeSearch.h"

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
    DTRV::SEARCHCLASS m_search;
};

} // namespace mailpeople
