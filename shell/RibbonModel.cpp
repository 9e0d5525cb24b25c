#include "shell/RibbonModel.h"

#include <map>

#include "procedures/organiser/window/Commands.h"

namespace shell {
namespace {

using K = RibbonKind;
namespace cmd = organiser::cmd;

RibbonItemDef button(int id, const char* caption, const char* icon, bool beginGroup = false)
{
    return {id, QString::fromUtf8(caption), K::Button, QString::fromUtf8(icon), beginGroup, {}};
}

RibbonItemDef withBar(RibbonItemDef item, RibbonKind kind, std::vector<RibbonItemDef> items)
{
    item.kind = kind;
    item.items = std::move(items);
    return item;
}

RibbonGroupDef group(int id, const char* caption, std::vector<RibbonItemDef> controls, bool hidden = false)
{
    return {id, QString::fromUtf8(caption), hidden, std::move(controls)};
}

RibbonGroupDef globalGroup()
{
    return group(kGlobalGroupId, "Globalno",
                 {withBar(button(cmd::SettingsMenu, "Podešavanje", "1309989085_advancedsettings.ico"), K::Popup,
                          {button(cmd::ProgramSettings, "Programa", "1309988935_wheel.ico"),
                           button(cmd::MailAccounts, "Email računa", "1309386212_contact.ico")}),
                  button(cmd::Archive, "Arhiviranje", "1310033331_Archive.ico"),
                  button(cmd::Exit, "Izlaz", "1310292881_exit.ico")});
}

// Insert, change and delete buttons, which several tabs repeat with their own ids.
std::vector<RibbonItemDef> editButtons(int first, const char* insertCaption = "Unos")
{
    return {button(first, insertCaption, "i.ico"), button(first + 1, "Izmjena", "c.ico"),
            button(first + 2, "Brisanje", "d.ico")};
}

std::vector<RibbonItemDef> join(std::vector<RibbonItemDef> a, std::vector<RibbonItemDef> b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<RibbonTabDef> build()
{
    std::vector<RibbonTabDef> tabs;
    auto tab = [&tabs](int k, const char* caption, const char* icon, std::vector<RibbonGroupDef> groups) {
        groups.push_back(globalGroup());
        tabs.push_back({k * 100000, QString::fromUtf8(caption), QString::fromUtf8(icon), std::move(groups)});
    };

    tab(1, "Moj organizator", "dudes.ico",
        {group(1, "Obrada",
               {withBar(button(cmd::NewMenu, "Izradi novi", "1309988037_label_black_new.ico"), K::Popup,
                        {button(cmd::NewEmail, "Email", "mail.ico"), button(cmd::NewTask, "Zadatak", "KasniDatumi.ico"),
                         button(cmd::NewProduct, "Proizvod/usluga", "brickwall.ico"),
                         withBar(button(cmd::NewFinanceDocument, "Financijski dokument", "money.ico"), K::SplitButton,
                                 {button(cmd::NewIncome, "Prihod", ""), button(cmd::NewExpense, "Trošak", ""),
                                  button(cmd::NewIncomingDocument, "Ulazni dokument", "", true),
                                  button(cmd::NewOutgoingDocument, "Izlazni dokument", "")}),
                         button(cmd::NewPassword, "Password", "bcc.ico"), button(cmd::NewContact, "Kontakt", "dude2.ico")}),
                button(cmd::Refresh, "Osvježi prikaz", "1310068679_gtk-refresh.ico", true)})});

    tab(2, "E-mail", "mail.ico",
        {group(4, "E-mail obrada",
               {button(cmd::MailNew, "Novi email", "1309363638_mail.ico"),
                button(cmd::MailReply, "Odgovori", "1309363855_Reply.ico"),
                button(cmd::MailReplyAll, "Odgovori svima", "1309364762_forward.ico"),
                button(cmd::MailForward, "Proslijedi", "1309363864_email_forward.ico"),
                button(cmd::MailSendReceive, "Šalji/primaj", "1309365103_Gnome-Network-Receive-48.ico", true),
                button(cmd::MailDelete, "Obriši", "1309365145_onebit_33.ico", true)}),
         group(4, "Ispis", {button(cmd::MailPrint, "Ispis", "printer.ico")})});

    tab(3, "Zadaci", "hand_paper.ico",
        {group(4, "Kategorije", editButtons(cmd::TaskCategoryInsert)),
         group(4, "Zadaci", join(editButtons(cmd::TaskInsert), {button(cmd::TaskPrint, "Ispis", "printer.ico", true)}))});

    tab(4, "Kalendar", "KasniDatumi.ico",
        {group(4, "Zadaci", {button(cmd::CalendarRefresh, "Osvježi", "OtvoriSve.ico", true),
                             button(cmd::CalendarPrint, "Ispis", "printer.ico", true)})});

    tab(5, "Planiranje", "cart1.ico",
        {group(4, "Datoteka",
               {button(cmd::PlanNew, "Novi plan", "1311020299_document-new.ico"),
                button(cmd::PlanOpen, "Otvori", "1311020374_Open.ico"),
                withBar(button(cmd::PlanSaveMenu, "Spremi plan", "1311020423_Floppy-64.ico", true), K::Popup,
                        {button(cmd::PlanSave, "Spremi", "1311020654_column_tree.ico"),
                         button(cmd::PlanSaveAs, "Spremi kao...", "1311020299_document-new.ico"),
                         button(cmd::PlanExportXmlMenu, "Izvoz u MS Project XML", "Excel.ico", true)}),
                button(cmd::PlanExportXml, "MS Project XML", "Excel.ico", true)}),
         group(4, "Plan",
               {button(cmd::PlanAddWbs, "Dodaj WBS", "tree.ico"),
                button(cmd::PlanAddActivity, "Dodaj aktivnost", "1311020654_column_tree.ico"),
                button(cmd::PlanDeleteActivity, "Obriši aktivnost", "1309365145_onebit_33.ico")}),
         group(4, "Pomicanje",
               {button(cmd::PlanOutdent, "Lijevo", "1311020806_Backward-64.ico"),
                button(cmd::PlanIndent, "Desno", "1311021047_Forward-64.ico"),
                button(cmd::PlanMoveUp, "Gore", "1311021117_Up-64.ico"),
                button(cmd::PlanMoveDown, "Dole", "1311020795_Down-64.ico")})});

    tab(6, "Financije", "money.ico",
        {group(4, "Osobne financije", {button(cmd::FinancePersonal, "Prihodi/troškovi", "1310292424_invoice.ico")}),
         group(4, "Poslovne financije",
               {button(cmd::FinanceIncoming, "Ulazni dokumenti", "1310292553_invoice.ico"),
                button(cmd::FinanceOutgoing, "Izlazni dokumenti", "1310292562_invoice.ico"),
                button(cmd::FinanceState, "Stanje", "1310292583_kchart.ico", true)}),
         group(4, "Izvještaji", {button(cmd::FinancePrint, "Ispis", "printer.ico"), button(cmd::FinanceExcel, "Excel", "Excel.ico")})});

    tab(7, "Sigurnost", "Folder3.ico",
        {group(4, "Kategorije", editButtons(cmd::PasswordCategoryInsert)), group(4, "Password", editButtons(cmd::PasswordInsert))});

    tab(8, "Adresar", "dude.ico",
        {group(4, "Grupe kontakata",
               join({button(cmd::ContactGroupInsert, "Unos grupe", "i.ico")}, editButtons(cmd::ContactSubgroupInsert, "Unos podgrupe"))),
         group(4, "Kontakti", editButtons(cmd::ContactInsert)), group(80, "Zadaci", editButtons(cmd::ContactTaskInsert), true),
         group(81, "Ulazni dokumenti", editButtons(cmd::ContactIncomingInsert), true),
         group(82, "Izlazni dokumenti", editButtons(cmd::ContactOutgoingInsert), true)});
    return tabs;
}

void collectIcons(const std::vector<RibbonItemDef>& items, std::map<int, QString>& out)
{
    for (const RibbonItemDef& i : items) {
        if (!i.icon.isEmpty())
            out.emplace(i.id, i.icon);
        collectIcons(i.items, out);
    }
}

} // namespace

const std::vector<RibbonTabDef>& ribbonTabs()
{
    static const std::vector<RibbonTabDef> tabs = build();
    return tabs;
}

std::vector<RibbonIconDef> ribbonIcons()
{
    std::map<int, QString> byId;
    for (const RibbonTabDef& t : ribbonTabs()) {
        byId.emplace(t.id, t.icon);
        for (const RibbonGroupDef& g : t.groups)
            collectIcons(g.controls, byId);
    }
    // Images registered for commands that have no ribbon control.
    const std::pair<int, const char*> unbound[] = {
        {1006, "gant.ico"}, {1008, "1309365103_Gnome-Network-Receive-48.ico"},
        {cmd::MailAccountsOnMailPage, "1309386212_contact.ico"}, {4001, "i.ico"}, {4002, "c.ico"}, {4003, "d.ico"},
        {6002, "printer.ico"}};
    for (const auto& [id, file] : unbound)
        byId.emplace(id, QString::fromUtf8(file));

    std::vector<RibbonIconDef> icons;
    for (const auto& [id, file] : byId)
        if (id >= 100000)
            icons.push_back({id, file});
    for (const auto& [id, file] : byId)
        if (id < 100000)
            icons.push_back({id, file});
    return icons;
}

int tabNumberForId(int tabId, int last)
{
    if (tabId == 0)
        return 1;
    if (tabId % 100000 == 0 && tabId / 100000 >= 1 && tabId / 100000 <= kTabCount)
        return tabId / 100000;
    return last;
}

int startTab(long long storedLastTab)
{
    return storedLastTab >= 1 && storedLastTab <= kTabCount ? int(storedLastTab) : 1;
}

} // namespace shell
