#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "mailtransfer/SendMail.h"

class QLineEdit;
class QListWidget;
class QCheckBox;
class QPushButton;
class QTabWidget;
class QMenu;
class QProgressBar;

namespace controls {
class HtmlEditor;
class MailManager;
}

namespace korbelsteen {

// The editor's four arguments as the organiser writes them: each without its leading "/"
// and trailing blanks.
struct EditorArgs {
    QString bodyPath; // the copy of the answered or forwarded message's body
    QString mode;     // "1" new, "2" reply, "3" reply to all, "4" forward, "0" new to `recipient`
    qint64 emailId = 0;
    QString recipient;
};
EditorArgs editorArgs(const QStringList& four);

// What a reply or forward takes from the answered message.
struct OriginalMail {
    qint64 id = 0;
    QString messageId;
    QString subject, sender, replyTo, too, toAddr;
    int day = 0, time = 0;
    QStringList attachmentNames; // stored names under Email/Files
};
// Reads the message from the database; nothing when it is not there.
std::optional<OriginalMail> readOriginal(qint64 id);

struct SenderAccount {
    int id = 0;
    QString name, email;
};
// The first default account with an SMTP server.
std::optional<SenderAccount> defaultSender();
QString fromField(const SenderAccount& a);

struct PreparedMail {
    QString from, to, subject, html;
    QStringList attachments;
    QStringList attachmentNames; // a forwarded attachment's own name, beside its stored file
    bool focusTo = false;
};

// The message the editor opens with. `dataFolder` holds the signatures (Documents/Signature)
// and the stored attachments (Email/Files).
PreparedMail prepareMail(const EditorArgs& args, const SenderAccount& account, const OriginalMail* original,
                         const QString& dataFolder);

// A received message's HTML made fit for the editor's quote: the body of its safe form
// (controls::safeMailHtml), with images only from `folder`, the message's own folder.
QString harmlessHtml(const QString& html, const QString& folder);

// How the editor asks and tells the user.
class EmailPrompts {
public:
    virtual ~EmailPrompts() = default;
    // A yes/no question; true for yes.
    virtual bool ask(const QString& question) = 0;
    virtual void tell(const QString& text) = 0;
    // The program's message boxes.
    static EmailPrompts& messageBoxes();
};

// The window "Email".
class EmailWindow : public QWidget {
    Q_OBJECT
public:
    using Sender = std::function<SendResult(const OutgoingMail&)>;
    EmailWindow(const PreparedMail& prepared, int accountId, const QString& dataFolder, Sender send,
                EmailPrompts& prompts, QWidget* parent = nullptr);

    QLineEdit* from() const { return m_from; }
    QLineEdit* to() const { return m_to; }
    QLineEdit* cc() const { return m_cc; }
    QLineEdit* bcc() const { return m_bcc; }
    QLineEdit* subject() const { return m_subject; }
    controls::HtmlEditor* editor() const { return m_editor; }
    QListWidget* attachments() const { return m_files; }
    // The attachment list's menu: add files, a separator, remove the current one.
    QMenu* attachmentMenu() const { return m_fileMenu; }
    QCheckBox* zip() const { return m_zip; }
    QPushButton* sendButton() const { return m_send; }
    QTabWidget* tabs() const { return m_tabs; }
    int accountId() const { return m_accountId; }
    void addAttachments(const QStringList& paths);

    // "Pošalji": true when the message went out (the window then closes).
    bool sendNow();

    // Runs `work` on another thread and returns when it is done; meanwhile the window keeps
    // answering, shows how much of the message went out (`progress`: bytes sent and the
    // message's size) and takes no second send, no edit and no close.
    void whileSending(const std::function<void()>& work, const std::function<std::pair<qint64, qint64>()>& progress);
    bool isSending() const { return m_sending; }
    QProgressBar* progressBar() const { return m_progress; }


protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pickRecipients(int kind);
    void pickAccount();
    void addFiles();
    void removeFile();

    QString m_dataFolder;
    Sender m_sendFn;
    EmailPrompts& m_prompts;
    int m_accountId;
    QLineEdit *m_from, *m_to, *m_cc, *m_bcc, *m_subject;
    controls::HtmlEditor* m_editor;
    QListWidget* m_files;
    QMenu* m_fileMenu;
    QCheckBox* m_zip;
    QPushButton* m_send;
    QTabWidget* m_tabs;
    QProgressBar* m_progress;
    bool m_sending = false;
};

// The file the editor saves its document to before sending: in the data folder, one per
// process, so two editors never write over each other's message.
QString documentFile(const QString& dataFolder);

// The editor job of the program: opens the window for the four arguments and returns when it
// closes (0 sent, 2 closed unsent, 1 refused). `setUpMail` sees the mail manager before
// each send (a test trusts its own server's certificate there).
int runEditor(const QStringList& four, const QString& dataFolder,
              const std::function<void(controls::MailManager&)>& setUpMail = {});

} // namespace korbelsteen
