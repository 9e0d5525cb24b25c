#include "services/OutlookMailObject.h"

#include "protocols/OutgoingMessage.h"
#include "services/OfficeAutomation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "runtime/PrivateFiles.h"

namespace office {

QString& mailDraftFolder()
{
    static QString folder;
    return folder;
}

std::function<bool(const QString&, const QStringList&)>& mailEditorOpener()
{
    static std::function<bool(const QString&, const QStringList&)> opener;
    return opener;
}

namespace {

struct MailItem {
    QString to, cc, bcc, subject, body, html, from;
    QStringList attachments;
    QString entryId, draftPath;
};

// "Ana <ana@x.hr>; b@y.hr" -> (name, address) pairs.
std::vector<std::pair<QString, QString>> recipients(const QString& list)
{
    std::vector<std::pair<QString, QString>> out;
    static const QRegularExpression named(QStringLiteral("^(.*)<([^>]+)>$"));
    for (const QString& part : list.split(QRegularExpression(QStringLiteral("[;,]")), Qt::SkipEmptyParts)) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            continue;
        const auto m = named.match(p);
        if (m.hasMatch())
            out.emplace_back(m.captured(1).trimmed().remove(QLatin1Char('"')), m.captured(2).trimmed());
        else
            out.emplace_back(QString(), p);
    }
    return out;
}

class OutlookMailObject : public AutomationObject {
public:
    QString read(const QString& path) override;
    void write(const QString& path, const QVariant& value) override;

private:
    MailItem* itemOf(const QString& handle)
    {
        static const QRegularExpression h(QStringLiteral("^(Item|Attach)(\\d+)$"));
        const auto m = h.match(handle.trimmed());
        auto it = m.hasMatch() ? m_items.find(m.captured(2).toInt()) : m_items.end();
        if (it == m_items.end()) {
            fail(QStringLiteral("no such item: ") + handle.trimmed());
            return nullptr;
        }
        return &it->second;
    }
    bool save(MailItem& item);
    void notAvailable(const QString& what) { fail(QStringLiteral("not available: ") + what); }

    std::map<int, MailItem> m_items;
    int m_next = 1;
};

bool OutlookMailObject::save(MailItem& item)
{
    QString folder = mailDraftFolder();
    if (folder.isEmpty())
        folder = QDir::current().filePath(QStringLiteral("Email/Drafts"));
    vrt::makePrivateFolder(folder);
    controls::OutgoingMessage message;
    message.From = item.from;
    message.subject = item.subject;
    message.plainBody = item.body;
    message.htmlBody = item.html;
    for (const auto& [name, address] : recipients(item.to))
        message.AddTo(name, address);
    for (const auto& [name, address] : recipients(item.cc))
        message.AddCc(name, address);
    for (const auto& [name, address] : recipients(item.bcc))
        message.AddBCC(name, address);
    for (const QString& file : item.attachments)
        if (!message.AddFileAttachment(file)) {
            fail(message.LastErrorText());
            return false;
        }
    if (item.entryId.isEmpty())
        item.entryId = QStringLiteral("draft-%1").arg(QDateTime::currentMSecsSinceEpoch());
    item.draftPath = QDir(folder).filePath(item.entryId + QStringLiteral(".eml"));
    const QString temp = item.draftPath + QStringLiteral(".part");
    QFile::remove(temp);
    if (!message.writeToFile(temp)) {
        QFile::remove(temp);
        fail(QStringLiteral("cannot write the draft: ") + message.LastErrorText());
        return false;
    }
    QFile::remove(item.draftPath);
    if (!QFile::rename(temp, item.draftPath)) {
        QFile::remove(temp);
        fail(QStringLiteral("cannot write ") + item.draftPath);
        return false;
    }
    return true;
}

QString OutlookMailObject::read(const QString& path)
{
    bool ok = false;
    auto m = parsePath(path, &ok);
    if (!ok || m.empty())
        return fail(QStringLiteral("malformed automation path: ") + path), QString();
    const QString True = QStringLiteral("True");
    if (is(m, {"Application", "Version"}))
        return QStringLiteral("16.0");
    if (is(m, {"Application", "Activate"}) || is(m, {"Quit"}))
        return True;
    if (is(m, {"GetNameSpace"}))
        return QStringLiteral("NameSpace");
    if (is(m, {"NameSpace", "GetDefaultFolder", "Items"}))
        return QStringLiteral("Folder") + m[1].arg(0);
    if (is(m, {"CreateItem"})) {
        if (m[0].arg(0) != QLatin1String("0"))
            return notAvailable(QStringLiteral("only mail messages are made here; the organiser keeps its own calendar, contacts and tasks")), QString();
        m_items[m_next] = MailItem{};
        return QStringLiteral("Item%1").arg(m_next++);
    }
    if (is(m, {"NameSpace", "GetItemFromID"})) {
        for (const auto& [n, item] : m_items)
            if (!item.entryId.isEmpty() && item.entryId == m[1].arg(0))
                return QStringLiteral("Item%1").arg(n);
        return fail(QStringLiteral("no such item: ") + m[1].arg(0)), QString();
    }
    if (!m.empty() && m[0].name.startsWith(QLatin1String("Folder")))
        return notAvailable(QStringLiteral("the organiser keeps its own calendar, contacts, tasks and mail folders; they are not reached through this interface")), QString();
    if (m.size() == 2 && m[0].name.startsWith(QLatin1String("Attach")) && is(m, {"Add"}, 1)) {
        MailItem* item = itemOf(m[0].name);
        if (!item)
            return {};
        const QFileInfo file(m[1].arg(0));
        if (!file.isFile() || !file.isReadable())
            return fail(QStringLiteral("not a readable file: ") + m[1].arg(0)), QString();
        item->attachments << file.absoluteFilePath();
        return True;
    }
    if (m.size() < 2 || !m[0].name.startsWith(QLatin1String("Item")))
        return notAvailable(QStringLiteral("that part of the mail client")), QString();
    MailItem* item = itemOf(m[0].name);
    if (!item)
        return {};
    const int number = m[0].name.mid(4).toInt();
    const QString member = m[1].name.toLower();
    if (m.size() == 2) {
        if (member == QLatin1String("to"))
            return item->to;
        if (member == QLatin1String("cc"))
            return item->cc;
        if (member == QLatin1String("bcc"))
            return item->bcc;
        if (member == QLatin1String("subject"))
            return item->subject;
        if (member == QLatin1String("body"))
            return item->body;
        if (member == QLatin1String("from"))
            return item->from;
        if (member == QLatin1String("entryid"))
            return item->entryId;
        if (member == QLatin1String("attachments"))
            return QStringLiteral("Attach%1").arg(number);
        if (member == QLatin1String("save"))
            return save(*item) ? True : QString();
        if (member == QLatin1String("display")) {
            if (!save(*item))
                return {};
            QStringList to;
            for (const auto& [name, address] : recipients(item->to))
                to << address;
            if (!mailEditorOpener())
                return notAvailable(QStringLiteral("no mail editor is set up; the message is kept as a draft: ") + item->draftPath), QString();
            if (!mailEditorOpener()(item->draftPath, to))
                return fail(QStringLiteral("the mail editor could not be started; the message is kept as a draft: ") + item->draftPath), QString();
            return True;
        }
        if (member == QLatin1String("close")) {
            if (m[1].arg(0) == QLatin1String("0") && !save(*item))
                return {};
            m_items.erase(number);
            return True;
        }
        if (member == QLatin1String("delete")) {
            if (!item->draftPath.isEmpty())
                QFile::remove(item->draftPath);
            m_items.erase(number);
            return True;
        }
        if (member == QLatin1String("send"))
            return notAvailable(QStringLiteral("messages are sent from the mail editor; save or display the message")), QString();
    }
    notAvailable(QStringLiteral("only a message's recipients, subject, body and attachments are kept"));
    return {};
}

void OutlookMailObject::write(const QString& path, const QVariant& value)
{
    bool ok = false;
    auto m = parsePath(path, &ok);
    if (!ok || m.empty())
        return fail(QStringLiteral("malformed automation path: ") + path);
    if (is(m, {"Visible"}) || is(m, {"DisplayAlerts"}) || is(m, {"ScreenUpdating"}))
        return;
    if (m.size() != 2 || !m[0].name.startsWith(QLatin1String("Item")))
        return notAvailable(QStringLiteral("only a message's recipients, subject, body and attachments are kept"));
    MailItem* item = itemOf(m[0].name);
    if (!item)
        return;
    const QString member = m[1].name.toLower(), text = value.toString();
    if (member == QLatin1String("to"))
        item->to = text;
    else if (member == QLatin1String("cc"))
        item->cc = text;
    else if (member == QLatin1String("bcc"))
        item->bcc = text;
    else if (member == QLatin1String("subject"))
        item->subject = text;
    else if (member == QLatin1String("body"))
        item->body = text;
    else if (member == QLatin1String("htmlbody"))
        item->html = text;
    else if (member == QLatin1String("from"))
        item->from = text;
    else
        notAvailable(QStringLiteral("only a message's recipients, subject, body and attachments are kept"));
}

} // namespace

AutomationObject* makeOutlookObject() { return new OutlookMailObject; }

} // namespace office
