#pragma once
#include <QLocale>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QUrl;

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// The mail page's reading side: the folder labels with their unread counts and icons, the
// header of the shown mail with its attachment strip, and the text body a mail gets from its
// preview. What reads or writes the database works through the calling thread's table
// managers; nothing here shows a widget (MailPaneAttach.cpp puts it on the window).
namespace organiser {

using Translate = std::function<QString(const QString&)>;

// ---- folder tree ----

// The five standard folders below an account's root ("xInbox_1" ... "xJunk_1"): their stored
// names are shown in the user's language. The root ("xInbox") and the user's folders are not.
bool isStandardMailFolder(const QString& systemName);
// A folder's label: its name, and " (n)" while it holds n > 0 unread mails. No count (the
// count could not be read) shows the bare name.
QString mailFolderLabel(const QString& systemName, const QString& storedName, std::optional<long long> unread,
                        const Translate& translate);
// The image a folder shows, by its system name ("Inbox.ico"; "SentItems1.ico" for the user's).
QString mailFolderIconFile(const QString& systemName);
// Unread mails of a folder (EMAIL.READ = 0); none when the count statement failed.
std::optional<long long> unreadMailCount(long folderId);

// Where a folder label is asked for; names the step in the stop text of a failed read.
enum class LabelStep { InboxSelected, ReadEmailsSQL };
// The label of folder `folderId` as stored now. None when the folder is gone (a tree about to
// be rebuilt) or its read failed; a failed read other than "not found" stops with the step's
// text.
std::optional<QString> readMailFolderLabel(long folderId, LabelStep step, const Translate& translate);

// ---- header of the shown mail ----

struct MailHeaderFields {
    QString subject, replyTo, too, cc, bcc;
    int datum = 0;   // day number
    int vrijeme = 0; // time number
};
struct MailHeaderCaptions {
    QString subject, sender, sent, recipients;
};
// Subject, reply-to address, "Sent :" with the date and time, and the recipients: "To :" and
// the To list, or in the Sent folder "To/Cc/Bcc :" and all three.
MailHeaderCaptions mailHeaderCaptions(const MailHeaderFields& mail, bool sentFolder, const QLocale& locale = QLocale());
// The fields of the EMAIL record buffer.
MailHeaderFields mailHeaderOfBuffer();

// ---- attachment strip ----

enum class AttachmentKind { Word, Excel, Zip, Picture, Pdf, Other };
// By the file name's extension, in any letter case ("photo.JPG" is a picture; "a.tar.gz" other).
AttachmentKind attachmentKind(const QString& fileName);
// The image of a kind ("f_pdf.gif").
QString attachmentIconFile(AttachmentKind kind);

struct AttachmentEntry {
    QString name; // as the mail named it; shown escaped, never changed
    QString path; // the stored file; empty when the name names no file of ours
};
// The strip with nothing in it.
QString emptyAttachmentStrip();
// The strip's page: "Attach (n) :" and, per attachment, its icon and a link to its file. Names
// and addresses are escaped, file addresses percent-encoded; nothing is cut. `iconSource`
// gives an image address per kind.
QString attachmentStripPage(const std::vector<AttachmentEntry>& attachments,
                            const std::function<QString(AttachmentKind)>& iconSource);
// "Email/Files/Image_<id>.html" in the data folder, named by the mail's row id.
QString attachmentPagePath(const QString& dataFolder, long emailId);
// The attachments of a mail in stored order, with their files in the data folder.
std::vector<AttachmentEntry> mailAttachments(const QString& dataFolder, long emailId);
// Writes the page as a whole file (the old one stays until the new one is complete); false
// when it could not be written.
bool writeAttachmentPage(const QString& path, const QString& html);
// Whether a link of the strip may be opened: a file inside the data folder's Email/Files.
bool isAttachmentLink(const QString& dataFolder, const QUrl& url);
// Hands an attachment to the desktop (the file's own program); tests put their own here.
std::function<bool(const QUrl&)>& attachmentOpener();

// ---- preview events ----

// Bodies are stored up to this many characters.
inline constexpr int kMailBodyChars = 7999;
// The preview's event procedure: after a completed navigation ("NavigateComplete2") a mail
// whose text body is empty gets the preview's text (`previewText`), cut to kMailBodyChars.
// A filled body, an empty text and mail id 0 change nothing. Answers 1 for every event.
int S_EmailPreviewEvents(const QString& event, const std::function<QString()>& previewText);

// The routines of the mail page ("InboxSelected", "ReadEmailsSQL", "SetMailFolderIcons",
// "ShowEmail") and the preview's events on the window W_First built; the folder labels follow
// every change of the mail list (a mail read, arriving, moved).
void attachMailPane(FeatureHost& host);

} // namespace organiser
