#include "procedures/organiser/window/UpdateRunner.h"

#include "data/Globals.h"
#include "runtime/WindowManager.h"

namespace organiser {

int UpdateRunner::run(int windowRequest, int number, int request)
{
    if (windowRequest == vrt::VIEW_RECORD)
        return vrt::REQUEST_CANCELLED;
    if (number < 1 || number > 15) // never hand back what the previous form left
        return vrt::REQUEST_CANCELLED;
    GLOBALREQUEST = uint8_t(request);
    GLOBALRESPONSE = vrt::REQUEST_CANCELLED; // a form that never answers has completed nothing
    switch (number) {
    case 1: m_forms.F_Contact(); break;
    case 2: m_forms.F_TaskCategorie(); break;
    case 3:
        m_forms.F_Zadaci(m_values.eventId(), 0, NoPartner, m_values.taskCategoryId(), m_values.textBuffer());
        break;
    case 4: m_forms.F_PrihodiRashodi(m_values.financeCategoryId(), m_values.financeCategoryType()); break;
    case 5: m_forms.F_ID_Kategorija(); break;
    case 6:
        m_rememberedRow = m_values.outgoingDocumentsRow();
        m_forms.F_ID_Dokumenti(std::nullopt);
        break;
    case 7: m_forms.F_ID_Stavke(); break;
    case 8: m_forms.F_UD_Dokumenti(std::nullopt); break;
    case 9: m_forms.F_UD_Kategorija(); break;
    case 10: m_forms.F_Zadaci(m_values.eventId(), 0, m_values.selectedContactId(), std::nullopt, QString()); break;
    case 11: m_forms.F_UD_Dokumenti(m_values.selectedContactId()); break;
    case 12: m_forms.F_ID_Dokumenti(m_values.selectedContactId()); break;
    case 13: m_forms.F_PASS_Kategorija(); break;
    case 14: m_forms.F_PASS_Password(); break;
    case 15: m_forms.F_Notes(); break;
    }
    return GLOBALRESPONSE;
}

} // namespace organiser
