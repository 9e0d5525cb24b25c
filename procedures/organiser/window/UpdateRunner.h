#pragma once
#include <QString>
#include <functional>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// MainWindowManager.Run(number, request): the update number of a list picks its form.
class UpdateRunner {
public:
    struct Values {
        std::function<long()> eventId;           // CAL:EventID
        std::function<long()> taskCategoryId;    // CALC:ID
        std::function<long()> financeCategoryId; // PRK:ID
        std::function<int()> financeCategoryType; // PRK:TIP
        std::function<long()> selectedContactId; // W_First.SelectedContactID
        std::function<QString()> textBuffer;     // W_First.TextBuffer
        std::function<long()> outgoingDocumentsRow; // current row of list 75
    };
    static constexpr long NoPartner = 9999999;

    UpdateRunner(FormLauncher& forms, Values values) : m_forms(forms), m_values(std::move(values)) {}

    // `windowRequest` is the request the organiser window itself was opened with. Answers
    // the form's GLOBALRESPONSE; a view-only window and an unknown number answer cancelled.
    int run(int windowRequest, int number, int request);

    long rememberedRow() const { return m_rememberedRow; }

private:
    FormLauncher& m_forms;
    Values m_values;
    long m_rememberedRow = 0;
};

} // namespace organiser
