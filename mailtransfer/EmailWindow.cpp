#include "mailtransfer/EmailWindow.h"
#include "mailtransfer/StartLimit.h"

#include "controls/HtmlEditor.h"
#include "controls/Images.h"
#include "protocols/MailHtml.h"
#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "data/Corvalde.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "procedures/common/MailTransferProtocol.h"
#include "procedures/contacts/AccountsWindow.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/contacts/RecipientBuffer.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/Threads.h"
#include "procedures/common/MailSettings.h"
#include "runtime/WindowManager.h"
#include "data/TableManagers.h"
#include "services/Quilvo.h"
#include "chrome/WindowPainter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QToolBar>
#include <QCoreApplication>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace korbelsteen {

namespace {

QString say(const QString& s) { return corvalde::translator().QVSTR(s); }
QString text(const std::string& s) { return QString::fromStdString(s).trimmed(); }

QString argument(const QString& a)
{
    QString s = a.startsWith(QLatin1Char('/')) ? a.mid(1) : a;
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    return s;
}

QString readHtml(const QString& path)
{
    QFile f(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > 8 * 1024 * 1024 || !f.open(QIODevice::ReadOnly))
        return {};
    return controls::decodeMailHtml(f.readAll());
}

QString signatureFile(const QString& dataFolder, int accountId, const char* kind)
{
    return QDir(dataFolder).filePath(QStringLiteral("Documents/Signature/%1_%2.html").arg(accountId).arg(QLatin1String(kind)));
}

QString bodyOf(const QString& html)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
                                         QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = body.match(html);
    return m.hasMatch() ? m.captured(1) : html;
}

QString prefixed(const QString& subject, const QString& prefix)
{
    return subject.left(3).toUpper() == prefix.left(3) ? subject : prefix + subject;
}

QString sentText(int day, int time)
{
    const QDate date = QDate::fromString(vrt::dayToText(day), Qt::ISODate);
    return QLocale::system().toString(date, QLocale::ShortFormat) + QStringLiteral("  ") + vrt::timeToText(time);
}

} // namespace

EditorArgs editorArgs(const QStringList& four)
{
    EditorArgs a;
    a.bodyPath = argument(four.value(0));
    a.mode = argument(four.value(1));
    a.emailId = argument(four.value(2)).toLongLong();
    a.recipient = argument(four.value(3));
    return a;
}

std::optional<OriginalMail> readOriginal(qint64 id)
{
    if (id <= 0)
        return std::nullopt;
    EMA().ID = static_cast<int>(id);
    if (Access(Tbl::AEMAIL).TryFetch(EMA.IDKey) != 0)
        return std::nullopt;
    const EMAIL_Rec& e = EMA();
    OriginalMail m;
    m.id = id;
    m.messageId = text(e.MESSAGEID);
    m.subject = text(e.SUBJECT);
    m.sender = text(e.SENDER);
    m.replyTo = text(e.REPLYTO);
    m.too = text(e.TOO);
    m.toAddr = text(e.TOADDR);
    m.day = e.DATUM;
    m.time = e.VRIJEME;
    vrt::FileManager& files = Access(Tbl::AEMAILATTACH);
    ATTA().IDEMAIL = static_cast<int>(id);
    if (files.SetFrom(ATTA.IDEmailKey) == 0 && files.SetRange(ATTA.IDEmailKey, 1) == 0) {
        while (files.Next() == 0)
            m.attachmentNames << text(ATTA().NAZIV);
        files.EndSequence();
    }
    return m;
}

std::optional<SenderAccount> defaultSender()
{
    vrt::FileManager& f = Access(Tbl::AAccounts);
    if (f.Set(AACC.IDKey) != 0)
        return std::nullopt;
    std::optional<SenderAccount> found;
    while (f.Next() == 0)
        if (AACC().DEFAULT != 0 && !text(AACC().SMTPHOST).isEmpty()) {
            found = SenderAccount{AACC().ID, text(AACC().IMEPREZIME), text(AACC().EMAIL)};
            break;
        }
    f.EndSequence();
    return found;
}

QString fromField(const SenderAccount& a) { return a.name + QStringLiteral(" <") + a.email + QLatin1Char('>'); }

QString harmlessHtml(const QString& html, const QString& folder)
{
    return bodyOf(controls::safeMailHtml(html, {folder}));
}

PreparedMail prepareMail(const EditorArgs& args, const SenderAccount& account, const OriginalMail* original,
                         const QString& dataFolder)
{
    PreparedMail p;
    p.from = fromField(account);
    const QString mode = args.mode;
    const bool answer = original && mailtransfer::answersMessage(mode);
    const QString newMessage = mailtransfer::modeArgument(mailtransfer::NewMessage);
    const QString newToAddress = mailtransfer::modeArgument(mailtransfer::NewToAddress);
    if (mode == newMessage || (mode == newToAddress && !args.recipient.isEmpty())) {
        if (mode == newToAddress)
            p.to = args.recipient;
        p.html = readHtml(signatureFile(dataFolder, account.id, "NewEmail"));
        p.focusTo = mode == newMessage;
        return p;
    }
    if (!answer)
        return p;
    if (mode == mailtransfer::modeArgument(mailtransfer::Reply))
        p.to = original->replyTo;
    else if (mode == mailtransfer::modeArgument(mailtransfer::ReplyAll))
        p.to = original->toAddr;
    p.subject = prefixed(original->subject, QStringLiteral("RE: "));
    if (mode == mailtransfer::modeArgument(mailtransfer::Forward)) {
        p.subject = prefixed(original->subject, QStringLiteral("FW: "));
        const QString files = QDir(dataFolder).filePath(QStringLiteral("Email/Files"));
        for (const QString& name : original->attachmentNames) {
            const QString path = controls::attachmentFile(files, original->id, name);
            if (QFileInfo(path).isFile()) {
                p.attachments << path;
                p.attachmentNames << name;
            }
        }
    }
    QString signature = bodyOf(readHtml(signatureFile(dataFolder, account.id, "ReplyEmail")));
    if (signature.trimmed().isEmpty())
        signature = QStringLiteral("<br></br>");
    const auto esc = [](const QString& s) { return s.toHtmlEscaped(); };
    const QString header = QStringLiteral("FROM: ") + esc(original->sender) + QStringLiteral(" [mailto:") + esc(original->replyTo)
                           + QStringLiteral("]<br>SENT: ") + esc(sentText(original->day, original->time))
                           + QStringLiteral("<br>TO: ") + esc(original->too) + QStringLiteral("<br>SUBJECT: ")
                           + esc(original->subject) + QStringLiteral("<br><br><br>");
    // The body's images lie in the mail folder, wherever the copy handed over lies; nothing
    // else of the data folder (its database) may ride along into the reply.
    const QString quoted = harmlessHtml(readHtml(args.bodyPath), QDir(dataFolder).filePath(QStringLiteral("Email")));
    p.html = QStringLiteral("<html><body>") + signature + QStringLiteral("<p><hr size=\"1\" noshade color=\"#B5C4DF\">")
             + header + quoted + QStringLiteral("</body></html>");
    return p;
}

EmailPrompts& EmailPrompts::messageBoxes()
{
    struct MessageBoxes : EmailPrompts {
        bool ask(const QString& question) override
        {
            return vrt::message(question, QStringLiteral("Info"), vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO,
                                vrt::BUTTON_NO)
                   == vrt::BUTTON_YES;
        }
        void tell(const QString& text) override { vrt::message(text, QString(), vrt::Icon::Hand, vrt::BUTTON_OK); }
    };
    static MessageBoxes boxes;
    return boxes;
}

EmailWindow::EmailWindow(const PreparedMail& prepared, int accountId, const QString& dataFolder, Sender send,
                         EmailPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_dataFolder(dataFolder), m_sendFn(std::move(send)), m_prompts(prompts), m_accountId(accountId)
{
    setWindowTitle(say(QStringLiteral("Email")));
    QIcon icon = controls::imageIcon(dataFolder, QStringLiteral("Mail.ico"));
    setWindowIcon(icon.isNull() ? controls::imageIcon(dataFolder, QStringLiteral("~mail.ico")) : icon);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* grid = new QGridLayout;
    m_send = new QPushButton(say(QStringLiteral("Pošalji")));
    m_send->setObjectName(QStringLiteral("?SEND"));
    const auto line = [](const QString& value, const char* name) {
        auto* e = new QLineEdit(value);
        e->setMaxLength(254);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    m_from = line(prepared.from, "?LC:SALJE");
    m_to = line(prepared.to, "?LC:PRIMA");
    m_cc = line(QString(), "?LC:CC");
    m_bcc = line(QString(), "?LC:BCC");
    m_subject = line(prepared.subject, "?LC:SUBJECT");
    m_from->setReadOnly(true);
    auto* fromButton = new QPushButton(say(QStringLiteral("Šalje")));
    auto* toButton = new QPushButton(say(QStringLiteral("Prima")));
    auto* ccButton = new QPushButton(QStringLiteral("Cc"));
    auto* bccButton = new QPushButton(QStringLiteral("Bcc"));
    grid->addWidget(m_send, 0, 0, 2, 1);
    grid->addWidget(fromButton, 0, 1);
    grid->addWidget(m_from, 0, 2);
    grid->addWidget(toButton, 1, 1);
    grid->addWidget(m_to, 1, 2);
    grid->addWidget(ccButton, 2, 1);
    grid->addWidget(m_cc, 2, 2);
    grid->addWidget(bccButton, 3, 1);
    grid->addWidget(m_bcc, 3, 2);
    grid->addWidget(new QLabel(say(QStringLiteral("Naslov :"))), 4, 1);
    grid->addWidget(m_subject, 4, 2);

    m_editor = controls::HtmlEditor::createByProgId();
    m_editor->setObjectName(QStringLiteral("?E"));
    m_editor->setEditorProperty(QStringLiteral("useEnterAsBR"), 1);
    m_editor->setEditorProperty(QStringLiteral("HiddenButtons"), QStringLiteral("Toggle;Form;RemoteImage;Table;Spell Check"));
    m_editor->setEditorProperty(QStringLiteral("HiddenContextMenus"), QStringLiteral("MiscSource;MiscStyle"));
    m_editor->setEditorProperty(QStringLiteral("baseUrl"), QStringLiteral("\"about:blank\""));
    m_editor->setEditorProperty(QStringLiteral("cssText"), QStringLiteral("file:///") + dataFolder + QStringLiteral("/sty.css"));
    m_editor->setImageFolder(QDir(dataFolder).filePath(QStringLiteral("Documents/Images")));
    m_editor->setDocumentHtml(prepared.html);
    for (QAction* a : m_editor->toolBar()->actions())
        a->setToolTip(say(a->toolTip()));
    for (QWidget* w : {static_cast<QWidget*>(m_editor->fontBox()), static_cast<QWidget*>(m_editor->sizeBox())})
        w->setToolTip(say(w->toolTip()));
    // The editing keys act through the key hook; the editor works without it.
    vrt::ComponentRegistry::instance().createOrRegister(QStringLiteral("Tessmark.CKeysHook.1"), QStringLiteral("tessmark"),
                                                        m_editor);

    m_tabs = new QTabWidget;
    m_tabs->addTab(m_editor, say(QStringLiteral("Email poruka")));
    auto* filesPage = new QWidget;
    auto* filesLayout = new QVBoxLayout(filesPage);
    m_files = new QListWidget;
    m_files->setObjectName(QStringLiteral("?L:DFQ"));
    auto* add = new QPushButton(QStringLiteral("+"));
    add->setObjectName(QStringLiteral("?BADDATTACH"));
    add->setToolTip(say(QStringLiteral("Dodaj datoteku ili datoteke (multiselect)")));
    auto* remove = new QPushButton(QStringLiteral("−"));
    remove->setObjectName(QStringLiteral("?BAREMOVEATTACH"));
    remove->setToolTip(say(QStringLiteral("Obriši datoteku (prilog)")));
    // The user's own pictures for these buttons, when the data folder has them.
    for (auto [button, image] : {std::pair{add, "ptbdemo15.ico"}, std::pair{remove, "cancel.ico"}})
        if (const QIcon icon = controls::imageIcon(dataFolder, QLatin1String(image)); !icon.isNull()) {
            button->setIcon(icon);
            button->setText(QString());
        }
    m_zip = new QCheckBox(say(QStringLiteral("Automatski ZIP-aj priloge")));
    m_zip->setChecked(true);
    auto* row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addWidget(m_zip);
    row->addStretch();
    filesLayout->addWidget(new QLabel(say(QStringLiteral("Prilozi"))));
    filesLayout->addWidget(m_files);
    filesLayout->addLayout(row);
    m_tabs->addTab(filesPage, say(QStringLiteral("Prilozi")));

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("?PROGRESS"));
    m_progress->setRange(0, 1000);
    m_progress->setFormat(say(QStringLiteral("Slanje u toku ...")) + QStringLiteral(" %p%"));
    m_progress->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_progress);
    for (qsizetype i = 0; i < prepared.attachments.size(); ++i) {
        auto* item = new QListWidgetItem(prepared.attachments[i], m_files);
        item->setData(Qt::UserRole, prepared.attachmentNames.value(i));
    }

    connect(m_send, &QPushButton::clicked, this, [this] { sendNow(); });
    connect(fromButton, &QPushButton::clicked, this, [this] { pickAccount(); });
    connect(toButton, &QPushButton::clicked, this, [this] { pickRecipients(mailpeople::RecipientBuffer::To); });
    connect(ccButton, &QPushButton::clicked, this, [this] { pickRecipients(mailpeople::RecipientBuffer::Cc); });
    connect(bccButton, &QPushButton::clicked, this, [this] { pickRecipients(mailpeople::RecipientBuffer::Bcc); });
    connect(add, &QPushButton::clicked, this, [this] { addFiles(); });
    connect(remove, &QPushButton::clicked, this, [this] { removeFile(); });
    m_files->setContextMenuPolicy(Qt::CustomContextMenu);
    m_fileMenu = new QMenu(m_files);
    m_fileMenu->addAction(add->icon(), add->toolTip(), this, [this] { addFiles(); });
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(remove->icon(), remove->toolTip(), this, [this] { removeFile(); });
    connect(m_files, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_fileMenu->popup(m_files->viewport()->mapToGlobal(at)); });
    resize(800, 600);
    if (prepared.focusTo)
        m_to->setFocus();
    else
        m_editor->textEdit()->setFocus();
}

void EmailWindow::addAttachments(const QStringList& paths)
{
    for (const QString& p : paths)
        if (!p.isEmpty())
            m_files->addItem(p);
    m_tabs->setCurrentIndex(1);
    m_files->setCurrentRow(m_files->count() - 1);
}

void EmailWindow::addFiles()
{
    addAttachments(QFileDialog::getOpenFileNames(this, QStringLiteral("Pick 1 or more files"), QString(),
                                                 QStringLiteral("All Files (*)")));
}

void EmailWindow::removeFile()
{
    delete m_files->currentItem();
    m_files->setCurrentRow(m_files->count() - 1);
}

void EmailWindow::pickRecipients(int kind)
{
    auto& buffer = mailpeople::RecipientBuffer::instance();
    buffer.clear();
    const uint8_t request = GLOBALREQUEST;
    GLOBALREQUEST = 4;
    mailpeople::T_Kontakti(0, this);
    GLOBALREQUEST = request;
    // The browse collects To, Cc and Bcc at once, whichever button opened it.
    Q_UNUSED(kind);
    QLineEdit* fields[3] = {m_to, m_cc, m_bcc};
    for (int k = 0; k < 3; ++k) {
        const QString picked = buffer.text(static_cast<mailpeople::RecipientBuffer::Kind>(k));
        if (picked.isEmpty())
            continue;
        const QString now = fields[k]->text();
        fields[k]->setText(now.isEmpty() ? picked : now + QLatin1Char(';') + picked);
    }
}

void EmailWindow::pickAccount()
{
    const uint8_t request = GLOBALREQUEST;
    GLOBALREQUEST = 4;
    mailpeople::T_Accounti(1, this);
    const bool picked = GLOBALRESPONSE == vrt::REQUEST_COMPLETED;
    GLOBALREQUEST = request;
    if (picked) {
        m_accountId = ACC().ID;
        m_from->setText(fromField({ACC().ID, text(ACC().IMEPREZIME), text(ACC().EMAIL)}));
    }
}

bool EmailWindow::sendNow()
{
    if (m_sending)
        return false;
    if (m_subject->text().trimmed().isEmpty()
        && !m_prompts.ask(say(QStringLiteral("Naslov poruke nije upisan. Želite li nastaviti?")))) {
        m_subject->setFocus();
        return false;
    }
    if (m_to->text().trimmed().isEmpty()) {
        m_prompts.tell(say(QStringLiteral("Primatelj nije upisan !")));
        m_to->setFocus();
        return false;
    }
    if (m_editor->textEdit()->toPlainText().trimmed().isEmpty()) {
        m_prompts.tell(say(QStringLiteral("Poruka nema teksta. Upišite tekst poruke.")));
        m_editor->textEdit()->setFocus();
        return false;
    }
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const QString html = documentFile(m_dataFolder);
    QFile::remove(html);
    OutgoingMail mail;
    mail.accountId = m_accountId;
    mail.from = m_from->text();
    // A line break in a field would start a header of its own.
    const auto oneLine = [](QString s) { return s.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')); };
    mail.to = oneLine(m_to->text());
    mail.cc = oneLine(m_cc->text());
    mail.bcc = oneLine(m_bcc->text());
    mail.subject = oneLine(m_subject->text());
    mail.htmlFile = html;
    for (int i = 0; i < m_files->count(); ++i) {
        mail.attachments << m_files->item(i)->text();
        mail.attachmentNames << m_files->item(i)->data(Qt::UserRole).toString();
    }
    mail.zipAttachments = m_zip->isChecked();
    SendResult r;
    if (!m_editor->saveDocument(html))
        r.error = say(QStringLiteral("Email nije poslan !"));
    else
        r = m_sendFn(mail);
    QApplication::restoreOverrideCursor();
    if (!r.sent) {
        m_prompts.tell(r.error);
        return false;
    }
    if (!r.error.isEmpty())
        m_prompts.tell(r.error);
    close();
    return true;
}

void EmailWindow::whileSending(const std::function<void()>& work, const std::function<std::pair<qint64, qint64>()>& progress)
{
    m_sending = true;
    QList<QWidget*> disabled;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != m_progress && w->isEnabled()) {
            w->setEnabled(false);
            disabled << w;
        }
    m_progress->setValue(0);
    m_progress->show();
    std::atomic<bool> done{false};
    std::thread worker = vrt::startThread([&] {
        work();
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const auto [sent, total] = progress();
        m_progress->setValue(total > 0 ? int(std::min<qint64>(sent * 1000 / total, 1000)) : 0);
        if (done)
            loop.quit();
    });
    poll.start();
    // Every wait of the exchange has its own bound, so this loop ends.
    loop.exec();
    worker.join();
    m_progress->hide();
    for (QWidget* w : disabled)
        w->setEnabled(true);
    m_sending = false;
}

void EmailWindow::closeEvent(QCloseEvent* event)
{
    if (!m_sending) {
        QWidget::closeEvent(event);
        return;
    }
    // The exchange cannot be taken back halfway; the window closes once it has ended.
    event->ignore();
    m_prompts.tell(say(QStringLiteral("Poruka se upravo šalje; prozor se može zatvoriti kad slanje završi.")));
}

QString documentFile(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("HtmlFile_%1.html").arg(QCoreApplication::applicationPid()));
}

int runEditor(const QStringList& four, const QString& dataFolder, const std::function<void(controls::MailManager&)>& setUpMail)
{
    const EditorArgs args = editorArgs(four);
    StartLimit::Ticket ticket = StartLimit::emailEditor().checkIn(GLOBALREQUEST);
    if (ticket.result() == StartLimit::Refused)
        return 2;
    std::optional<OriginalMail> original;
    if (mailtransfer::answersMessage(args.mode)) {
        original = readOriginal(args.emailId);
        if (!original) {
            vrt::stop(QStringLiteral("W_Email ReadEmailAddress Read EmailID ! : ") + QString::number(args.emailId));
            return 1;
        }
    }
    const std::optional<SenderAccount> account = defaultSender();
    if (!account) {
        vrt::message(say(QStringLiteral("Standardni SMTP host nije definiran. Definirajte ga u postavkama Email-a!")),
                     QString(), vrt::Icon::Hand, vrt::BUTTON_OK);
        return 1;
    }
    DatabaseSendStore store;
    controls::MailManager mm;
    EmailWindow* shown = nullptr;
    // The program's clock and language; the exchange runs while the editor keeps answering.
    struct EditorSide : SendSide {
        EditorSide(EmailWindow*& window, controls::MailManager& mm) : shown(window), mail(mm) {}
        int today() override { return vrt::today(); }
        int clockNow() override { return vrt::clockNow(); }
        QString translate(const QString& text) override { return say(text); }
        void transmit(const std::function<void()>& exchange) override
        {
            shown->whileSending(exchange, [this] { return std::pair{mail.uploadedBytes(), mail.uploadSize()}; });
        }
        EmailWindow*& shown;
        controls::MailManager& mail;
    } side(shown, mm);
    const auto send = [&](OutgoingMail mail) {
        // The charset the mail settings chose for outgoing text.
        mail.charset = vrt::IniFile(QDir(dataFolder).filePath(QStringLiteral("Standard.ini")))
                           .get(QStringLiteral("Font"), QStringLiteral("Email")).trimmed();
        SendDeps deps{&store, &mm, dataFolder};
        mm.CloseSmtpConnection();
        mailpeople::applyTransferLimits(mm, dataFolder);
        if (setUpMail)
            setUpMail(mm);
        return sendMail(mail, deps, side);
    };
    EmailWindow window(prepareMail(args, *account, original ? &*original : nullptr, dataFolder), account->id, dataFolder, send,
                       EmailPrompts::messageBoxes());
    shown = &window;
    ticket.setWindow(&window);
    bool sent = false;
    QEventLoop loop;
    QObject::connect(window.sendButton(), &QPushButton::clicked, &window, [&] { sent = window.isHidden(); });
    // Where the user left the window last time, as long as it is still on a screen.
    vrt::IniFile ini(QDir(dataFolder).filePath(QStringLiteral("Standard.ini")));
    const QString section = QStringLiteral("W_Email");
    const QRect saved(int(ini.getInt(section, QStringLiteral("X"), 0)), int(ini.getInt(section, QStringLiteral("Y"), 0)),
                      int(ini.getInt(section, QStringLiteral("W"), 0)), int(ini.getInt(section, QStringLiteral("H"), 0)));
    if (saved.width() >= 200 && saved.height() >= 150 && QGuiApplication::screenAt(saved.center()))
        window.setGeometry(saved);
    pxp::themeMailWindow(&window);
    window.show();
    while (window.isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    const QRect g = window.normalGeometry();
    for (const auto& [key, value] : {std::pair{"X", g.x()}, std::pair{"Y", g.y()}, std::pair{"W", g.width()}, std::pair{"H", g.height()}})
        ini.put(section, QLatin1String(key), QString::number(value));
    // The organiser's copy of the answered body lies in the data folder under the message's
    // name; the path comes from a command line, so nothing else is ever removed.
    if (original && !args.bodyPath.isEmpty()) {
        const QFileInfo copy(args.bodyPath);
        if (copy.isFile() && copy.fileName() == controls::bodyFileName(original->messageId)
            && QDir(copy.absolutePath()) == QDir(dataFolder))
            QFile::remove(copy.absoluteFilePath());
    }
    return sent ? 0 : 2;
}

} // namespace korbelsteen
