#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The user's own mail folders: the folder form and the folder tree's "Novi poddirektorij",
// "Izmjena" and "Brisanje". An account's root and its standard folders are not the user's.
namespace organiser {

class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;

// F_Inbox(parent, account), window "Inbox": a folder's name and note. The request comes in
// GLOBALREQUEST: an insert with the Inbox row primed (it gets `parent` and `account`), a change
// or delete with the folder in the Inbox buffer. Answers in GLOBALRESPONSE and returns it.
int F_Inbox(long parent, std::optional<long> account, const QString& dataFolder, QWidget* owner = nullptr);

// Deletes folder `id` with its mail for good, as "Obriši email" in Deleted does: received
// mail on the account's POP3 server first, then the mail's rows, attachment rows and the
// folder's row in one transaction, then the files. A folder with subfolders, or whose mail the
// server kept, stays. Empty when the folder is gone; otherwise why it is not.
QString deleteMailFolder(long id, const QString& dataFolder);

// Refills the mail folder tree's queue and writes each folder's place in it (from 1) into its
// order number, in one transaction. False when the write failed (reported).
bool renumberMailFolderTree();

// The three folder commands on the tree's selected folder.
class MailFolderCommands {
public:
    enum Command { Insert = 1, Change, Delete };
    // What the commands need of the window's folder tree.
    class Side {
    public:
        virtual ~Side() = default;
        virtual long selected() = 0;                                     // 0: none
        virtual int form(long parent, std::optional<long> account) = 0;  // F_Inbox
        virtual void changed(long show) = 0; // after a completed form: the folder to show
    };
    // `side` outlives the commands.
    explicit MailFolderCommands(Side& side) : m_side(side) {}

    // The form's response; 0 when the command did nothing (no folder, refused, gone).
    int run(Command command);

private:
    Side& m_side;
};

// The folder tree's entries, and "Print" of the mail page (the e-mail report).
void attachMailFolders(FeatureHost& host);

} // namespace organiser
