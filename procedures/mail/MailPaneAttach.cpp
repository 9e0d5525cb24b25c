// The mail page's routines on the organiser window: folder labels and icons in the tree, the

#include "procedures/organiser/window/ProcedureTables.h"
// shown mail's header and attachment strip, and the preview's events.
#include "procedures/mail/MailPane.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <map>

#include "controls/Images.h"
#include "controls/OrganiserControls.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"

namespace organiser {

namespace {

class MailPane : public QObject {
public:
    MailPane(OrganiserWindow& window, OrganiserPanes& panes) : QObject(&panes), m_window(window), m_panes(panes)
    {
        if (VelmoraDll::TreeQueueModel* m = model()) {
            m->iconOf = [this](const VelmoraDll::TreeRow& row, int) { return folderIcon(row.ENNAZIV); };
            // A tree read again shows its counts, and a folder's mail: the list would stay
            // empty, its new mail unseen, until the user picked a folder.
            connect(m, &QAbstractItemModel::modelReset, this, [this] {
                relabelSoon();
                QTimer::singleShot(0, this, [this] { showAFolder(); });
            });
        }
        // Whatever changes the mail list may change a count: a mail read, arriving, moved.
        ListModel* mails = &panes.lists().list(ctl::Email).model();
        connect(mails, &QAbstractItemModel::modelReset, this, [this] { relabelSoon(); });
        connect(mails, &QAbstractItemModel::rowsInserted, this, [this] { relabelSoon(); });
        connect(mails, &QAbstractItemModel::rowsRemoved, this, [this] { relabelSoon(); });
        connect(mails, &QAbstractItemModel::dataChanged, this, [this] { relabelSoon(); });
    }

    int inboxSelected()
    {
        // A read of every label already waiting covers this one: counting a large folder's
        // unread mails twice in a row is the slowest step of a start on the mail page.
        QTreeView* view = m_panes.tree(tree::MailFolders);
        if (view && !m_relabelPending)
            relabel(model()->position(view->currentIndex()), LabelStep::InboxSelected);
        focusMailList();
        return 0;
    }

    int readEmailsSql()
    {
        relabelAll();
        reselect();
        return 0;
    }

    int setMailFolderIcons()
    {
        m_icons.clear(); // read again: the data folder's images may have changed
        if (VelmoraDll::TreeQueueModel* m = model())
            m->setIcons({}); // repaints every row's icon through iconOf
        reselect();
        return 0;
    }

    int showEmail()
    {
        hookBrowsers();
        vrt::FileManager& mails = Access(Tbl::EMAIL);
        if (EM().ID != 0)
            mails.TryFetch(EM.IDKey); // a failed read shows the buffer as it is
        const long id = EM().ID;
        auto* panel = qobject_cast<controls::MessageHeaderPanel*>(m_window.hosted().headerPanel);
        if (panel) {
            // No mail selected: an empty header rather than captions of nothing.
            const MailHeaderCaptions c = id == 0 ? MailHeaderCaptions{}
                                                 : mailHeaderCaptions(mailHeaderOfBuffer(),
                                                                      currentFolderSystem() == QLatin1String("xSent_1"));
            panel->setItemText(1, c.subject);
            panel->setItemText(2, c.sender);
            panel->setItemText(3, c.sent);
            panel->setItemText(4, c.recipients);
        }
        QWidget* stripItem = panel ? panel->item(5) : nullptr;
        auto* strip = qobject_cast<controls::PreviewBrowser*>(m_window.hosted().attachments);
        const std::vector<AttachmentEntry> attachments = mailAttachments(m_window.dataFolder(), id);
        if (attachments.empty()) {
            if (strip)
                strip->setHtml(emptyAttachmentStrip());
            if (stripItem)
                stripItem->hide();
            return 0;
        }
        const QString page = attachmentStripPage(attachments, [this](AttachmentKind k) { return iconSource(k); });
        const QString path = attachmentPagePath(m_window.dataFolder(), id);
        if (strip) {
            strip->ownPages = true;
            if (writeAttachmentPage(path, page))
                strip->navigate(path);
            else
                strip->showPage(page, QFileInfo(path).absolutePath()); // the strip works without its file
        }
        if (stripItem)
            stripItem->show();
        return 0;
    }

private:
    VelmoraDll::TreeQueueModel* model() const
    {
        QTreeView* view = m_panes.tree(tree::MailFolders);
        return view ? qobject_cast<VelmoraDll::TreeQueueModel*>(view->model()) : nullptr;
    }

    QString currentFolderSystem() const
    {
        QTreeView* view = m_panes.tree(tree::MailFolders);
        VelmoraDll::TreeQueueModel* m = model();
        const int p = m && view ? m->position(view->currentIndex()) : -1;
        return p >= 0 && size_t(p) < m->queue().size() ? m->queue()[size_t(p)].ENNAZIV : QString();
    }

    void relabel(int position, LabelStep step)
    {
        VelmoraDll::TreeQueueModel* m = model();
        if (!m || position < 0 || size_t(position) >= m->queue().size())
            return;
        const long id = m->queue()[size_t(position)].ID;
        if (id == 0)
            return;
        const auto translate = [](const QString& t) { return VelmoraDll::translator().QVSTR(t); };
        if (const std::optional<QString> label = readMailFolderLabel(id, step, translate))
            m->setRowText(position, *label);
    }

    void relabelAll()
    {
        if (VelmoraDll::TreeQueueModel* m = model())
            for (int p = 0; p < int(m->queue().size()); ++p)
                relabel(p, LabelStep::ReadEmailsSQL);
    }

    // Several changes in one go count once.
    void relabelSoon()
    {
        if (m_relabelPending)
            return;
        m_relabelPending = true;
        QTimer::singleShot(0, this, [this] {
            m_relabelPending = false;
            relabelAll();
        });
    }

    // With no folder chosen, the first account's inbox is (as when the page first shows).
    void showAFolder()
    {
        QTreeView* view = m_panes.tree(tree::MailFolders);
        VelmoraDll::TreeQueueModel* m = model();
        if (!view || !m || view->currentIndex().isValid())
            return;
        const auto& rows = m->queue();
        for (size_t p = 0; p < rows.size(); ++p)
            if (rows[p].ENNAZIV == QLatin1String("xInbox_1")) {
                view->setCurrentIndex(m->indexOfPosition(int(p)));
                return;
            }
    }

    // The selected folder is taken again (its columns and label), and the mail list has the
    // focus.
    void reselect()
    {
        QTreeView* view = m_panes.tree(tree::MailFolders);
        if (view && view->currentIndex().isValid())
            QTimer::singleShot(0, &m_window, [w = QPointer<OrganiserWindow>(&m_window)] {
                if (w)
                    w->manager().takeNewSelection(tree::MailFolders);
            });
        focusMailList();
    }

    void focusMailList()
    {
        if (m_window.shownPage() == 2)
            if (QWidget* list = m_panes.view(ctl::Email))
                list->setFocus();
    }

    QIcon folderIcon(const QString& system)
    {
        const QString file = mailFolderIconFile(system);
        auto it = m_icons.find(file);
        if (it == m_icons.end())
            it = m_icons.emplace(file, controls::imageIcon(m_window.dataFolder(), file)).first;
        return it->second;
    }

    // The strip's icons travel inside its page: the page's browser reads nothing outside the
    // page's own folder.
    QString iconSource(AttachmentKind kind)
    {
        auto it = m_iconSources.find(kind);
        if (it != m_iconSources.end())
            return it->second;
        const QIcon icon = controls::imageIcon(m_window.dataFolder(), attachmentIconFile(kind));
        QString source;
        if (!icon.isNull()) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            icon.pixmap(16, 16).save(&buffer, "PNG");
            source = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
        }
        return m_iconSources.emplace(kind, source).first->second;
    }

    // The browsers exist from the window's first display on.
    void hookBrowsers()
    {
        if (!m_preview)
            if (auto* preview = qobject_cast<controls::PreviewBrowser*>(m_window.hosted().preview)) {
                m_preview = preview;
                connect(preview, &controls::PreviewBrowser::eventRaised, this, [preview](const QString& event) {
                    S_EmailPreviewEvents(event, [preview] { return preview->toPlainText(); });
                });
            }
        if (!m_strip)
            if (auto* strip = qobject_cast<controls::PreviewBrowser*>(m_window.hosted().attachments)) {
                m_strip = strip;
                connect(strip, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { openAttachment(url); });
            }
    }

    // A link that names no file of the mail's, or one nothing on the desktop opens, says so.
    void openAttachment(const QUrl& url)
    {
        const char* problem = nullptr;
        if (!isAttachmentLink(m_window.dataFolder(), url))
            problem = "Privitak nije pronađen.";
        else if (!attachmentOpener() || !attachmentOpener()(url))
            problem = "Privitak se ne može otvoriti.";
        if (problem)
            vrt::message(VelmoraDll::translator().QVSTR(QString::fromUtf8(problem)) + QLatin1Char('\n') + url.toLocalFile(),
                         QStringLiteral("Info"), vrt::Icon::Exclamation);
    }

    OrganiserWindow& m_window;
    OrganiserPanes& m_panes;
    bool m_relabelPending = false;
    std::map<QString, QIcon> m_icons;
    std::map<AttachmentKind, QString> m_iconSources;
    QPointer<controls::PreviewBrowser> m_preview, m_strip;
};

} // namespace

void attachMailPane(FeatureHost& host)
{
    OrganiserWindow& window = host.window;
    OrganiserPanes& panes = host.panes;
    QPointer<MailPane> pane = new MailPane(window, panes);
    const auto route = [pane](int (MailPane::*routine)()) {
        return [pane, routine] { return pane ? (pane.data()->*routine)() : 0; };
    };
    host.routines.attach(Routine::InboxSelected, route(&MailPane::inboxSelected));
    host.routines.attach(Routine::ReadEmailsSQL, route(&MailPane::readEmailsSql));
    host.routines.attach(Routine::SetMailFolderIcons, route(&MailPane::setMailFolderIcons));
    host.routines.attach(Routine::ShowEmail, route(&MailPane::showEmail));
}

} // namespace organiser
