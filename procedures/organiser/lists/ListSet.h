#pragma once
#include <map>
#include <memory>

#include "procedures/organiser/lists/OrganiserLists.h"

// The sixteen lists of the organiser window together: which list follows which selection,
// the print identifier, the notes' tags and the re-selection after a form.
namespace organiser {

class ListSet {
public:
    explicit ListSet(vrt::WindowManager* window = nullptr);
    ~ListSet();

    OrganiserList& list(int control);
    OrganiserList* find(int control);

    long PrintRecordID = 0;
    long SelectedContactID = 0;
    long SelectedDocumentID = 0;
    int RememberedRow = -1;

    // The folder, group and finance category selected in their trees.
    void setMailFolder(long inboxId);
    void setContactGroup(long groupId);
    void setFinanceCategory(long categoryId);
    // The window's reset: every list whose data changed since it was read reads it again.
    void resetAll();

    // A click on a row of the notes list; a click on the tag column toggles the tag and
    // writes NOTE:STATUS. False when the write failed (the tag stays as it was).
    bool clickNote(int row, int column);
    // Tags the notes stored as tagged (an earlier run's).
    void restoreNoteTags();
    // Notes are edited in the list: a new note dated now, and a cell written back. False
    // when the record could not be written (reported).
    bool insertNote();
    bool editNote(int row, int column, const QString& text);
    // The columns of the notes list that take an editor: not the tag, date and time.
    static std::vector<int> noteEditableColumns();

    // The link of the password list's location column: the selected row's location when the
    // mouse is over that column (from 0), else nothing.
    QString passwordLink(int mouseColumn);

    // The update procedure of a list with its re-selection afterwards; answers the response.
    int ask(int control, int request);

    // Runs after the selection of the income/expense list changed through a form, so the
    // category totals are computed again.
    std::function<void()> onFinanceChanged;

private:
    void wire();
    std::map<int, std::unique_ptr<OrganiserList>> m_lists;
    bool m_mailSortRestored = false;
    long m_financeCategory = 0;
};

// The id a range takes when nothing is selected: no record has it.
constexpr long kNoRecord = -1;

} // namespace organiser
