#include "procedures/organiser/panes/PopupItems.h"

#include "controls/Images.h"
#include "data/Globals.h"
#include "procedures/organiser/window/Commands.h"

namespace organiser {

OrganiserMenus::OrganiserMenus(MenuActions& actions, const QString& dataFolder)
    : m_actions(actions), m_dataFolder(dataFolder.isEmpty() ? corvalde::dataFolder() : dataFolder)
{
    const auto post = [this](int control) { return [this, control] { m_actions.postAccepted(control); }; };
    const auto command = [this](int code) { return [this, code] { m_actions.dispatch(code); }; };
    const auto routine = [this](Routine r) { return [this, r] { m_actions.run(r); }; };
    const auto calendar = [this](int del) { return [this, del] { m_actions.calendarRequest(del); }; };
    const auto link = [this](int start, int end) { return [this, start, end] { m_actions.linkType(start, end); }; };

    using P = Popup;
    add(P::ContactGroups, "Unos", {}, post(ctl::ContactGroupInsertButton), "UnosKonGrupe");
    add(P::ContactGroups, "Unos podgrupe", {}, post(ctl::ContactSubgroupInsertButton), "UnosKonPodGrupe");
    separator(P::ContactGroups);
    add(P::ContactGroups, "Izmjena", {}, post(ctl::ContactGroupChangeButton), "IzmjenaKonGrupe");
    add(P::ContactGroups, "Brisanje", {}, post(ctl::ContactGroupDeleteButton), "BrisanjeKonGrupe");

    add(P::Mail, "Novi email", "1309363638_mail.ico", command(cmd::MailNew));
    add(P::Mail, "Odgovori", "1309363855_Reply.ico", command(cmd::MailReply));
    add(P::Mail, "Odgovori svima", "1309364762_forward.ico", command(cmd::MailReplyAll));
    add(P::Mail, "Proslijedi", "1309363864_email_forward.ico", command(cmd::MailForward));
    separator(P::Mail);
    add(P::Mail, "Dodaj u kontakte", {}, routine(Routine::InsertContact), "DodajUKontakte");
    add(P::Mail, "Dodaj u zadatke", "KasniDatumi16.ico", routine(Routine::AddToTasks));
    separator(P::Mail);
    add(P::Mail, "Šalji/Primaj", "1309365103_Gnome-Network-Receive-48.ico", command(cmd::MailSendReceive));
    separator(P::Mail);
    add(P::Mail, "Označi kao nepročitano", {}, routine(Routine::MarkUnread));
    add(P::Mail, "Označi kao smeće", {}, routine(Routine::MoveMailToJunk));
    separator(P::Mail);
    add(P::Mail, "Obriši email", "1309365145_onebit_33.ico", routine(Routine::DeleteEmail));

    add(P::MailFolders, "Novi poddirektorij", "i.ico", routine(Routine::InsertMailFolder));
    add(P::MailFolders, "Izmjena", "c.ico", routine(Routine::ChangeMailFolder));
    separator(P::MailFolders);
    add(P::MailFolders, "Brisanje", "d.ico", routine(Routine::DeleteMailFolder));
    separator(P::MailFolders);
    add(P::MailFolders, "Označi sve pročitano", "closedfolder.ico", routine(Routine::MarkFolderRead));
    add(P::MailFolders, "Isprazni direktorij", "1309365145_onebit_33.ico", routine(Routine::EmptyMailFolder));

    add(P::Calendar, "Unos novog zadatka", "i.ico", calendar(0));
    add(P::Calendar, "Izmjena", "c.ico", calendar(0));
    add(P::Calendar, "Brisanje", "d.ico", calendar(1));
    separator(P::Calendar);
    add(P::Calendar, "Ispis", "printer.ico", command(cmd::CalendarPrint));
    separator(P::Calendar);
    add(P::Calendar, "Osvježi", "OtvoriSve.ico", command(cmd::CalendarRefresh));

    add(P::FinanceCategories, "Unos poddirektorija", "i.ico", routine(Routine::InsertFinanceCategory));
    add(P::FinanceCategories, "Izmjena", "c.ico", routine(Routine::ChangeFinanceCategory));
    add(P::FinanceCategories, "Brisanje", "d.ico", routine(Routine::DeleteFinanceCategory));

    add(P::GanttLinks, "FS (Završetak-početak)", {}, link(2, 0), "FS");
    add(P::GanttLinks, "FF (Završetak-završetak)", {}, link(2, 2), "FF");
    add(P::GanttLinks, "SS (Početak-početak)", {}, link(0, 0), "SS");
    add(P::GanttLinks, "SF (Početak-završetak)", {}, link(0, 2), "SF");
    separator(P::GanttLinks);
    add(P::GanttLinks, "Odgoda", {}, routine(Routine::EditLinkDelay));

    const QIcon ticked = controls::imageIcon(m_dataFolder, tickedIcon());
    for (auto& [p, m] : m_menus)
        m.setTickIcon(ticked);
}

void OrganiserMenus::add(Popup p, const QString& text, const QString& icon, std::function<void()> action, const QString& name)
{
    vrt::PopupMenu& m = m_menus[p];
    const int id = m.addItem(text, name, std::move(action));
    m.item(id)->checkable = true;
    if (!icon.isEmpty()) {
        m_icons[{p, id}] = icon;
        m.setIcon(id, controls::imageIcon(m_dataFolder, icon));
    }
}

void OrganiserMenus::separator(Popup p) { m_menus[p].addSeparator(); }

QString OrganiserMenus::icon(Popup p, int id) const
{
    const auto it = m_icons.find({p, id});
    return it == m_icons.end() ? QString() : it->second;
}

void OrganiserMenus::prepare(Popup p, bool senderIsContact)
{
    vrt::PopupMenu& m = menu(p);
    for (const vrt::PopupMenu::Item& i : m.items()) {
        m.setEnabled(i.id, true);
        m.setChecked(i.id, false);
    }
    if (p == Popup::Mail)
        m.setEnabled(m.idOf(QStringLiteral("DodajUKontakte")), !senderIsContact);
}

void OrganiserMenus::prepareLinks(int startType, int endType)
{
    prepare(Popup::GanttLinks);
    static const std::pair<const char*, std::pair<int, int>> types[] = {
        {"FS", {2, 0}}, {"FF", {2, 2}}, {"SS", {0, 0}}, {"SF", {0, 2}}};
    vrt::PopupMenu& m = menu(Popup::GanttLinks);
    for (const auto& [name, pos] : types)
        m.setChecked(m.idOf(QLatin1String(name)), pos == std::pair{startType, endType});
}

void OrganiserMenus::translate(const std::function<QString(const QString&)>& fn)
{
    for (auto& [p, m] : m_menus)
        m.translate(fn);
}

} // namespace organiser
