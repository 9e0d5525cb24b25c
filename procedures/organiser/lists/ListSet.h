#pragma once
#include <map>
#include <memory>

#include "procedures/organiser/lists/OrganiserLists.h"

// The sixteen lists of the organiser window together: which list follows which selection,
// the print identifier, the notes' tags and the re-selection after a form.
namespace organiser {

// What the set asks of the window that shows it.
class ListSetSide {
public:
    virtual ~ListSetSide() = default;
    virtual void mailSelected(OrganiserList& mail) = 0; // the mail list's selection changed
    // The selection of the income/expense list changed through a form: the category totals
    // are computed again.
    virtual void financeChanged() = 0;
    virtual QIcon icon(const QString& name) = 0; // of an icon-table name ("~smiley1.ico")
};

class ListSet : private ListOwner {
public:
    // `side` (none: the lists alone) outlives the set.
    explicit ListSet(vrt::WindowManager* window = nullptr, ListSetSide* side = nullptr);
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

private:
    void newSelection(OrganiserList& list) override;
    void primeFields(OrganiserList& list) override;
    bool editCell(OrganiserList& list, int row, int column, const QString& text) override;
    QIcon icon(const QString& name) override;
    void wire();

    ListSetSide* m_side;
    bool m_wired = false;
    std::map<int, std::unique_ptr<OrganiserList>> m_lists;
    bool m_mailSortRestored = false;
    long m_financeCategory = 0;
};

// The id a range takes when nothing is selected: no record has it.
constexpr long kNoRecord = -1;

} // namespace organiser
