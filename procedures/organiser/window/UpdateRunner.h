#pragma once
#include <QString>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// MainWindowManager.Run(number, request): the update number of a list picks its form.
class UpdateRunner {
public:
    // The record buffers and window values the forms open with.
    class Values {
    public:
        virtual ~Values() = default;
        virtual long eventId() = 0;            // CAL:EventID
        virtual long taskCategoryId() = 0;     // CALC:ID
        virtual long financeCategoryId() = 0;  // PRK:ID
        virtual int financeCategoryType() = 0; // PRK:TIP
        virtual long selectedContactId() = 0;  // W_First.SelectedContactID
        virtual QString textBuffer() = 0;      // W_First.TextBuffer
        virtual long outgoingDocumentsRow() = 0; // current row of list 75
    };
    static constexpr long NoPartner = 9999999;

    UpdateRunner(FormLauncher& forms, Values& values) : m_forms(forms), m_values(values) {}

    // `windowRequest` is the request the organiser window itself was opened with. Answers
    // the form's GLOBALRESPONSE; a view-only window and an unknown number answer cancelled.
    int run(int windowRequest, int number, int request);

    long rememberedRow() const { return m_rememberedRow; }

private:
    FormLauncher& m_forms;
    Values& m_values;
    long m_rememberedRow = 0;
};

} // namespace organiser
