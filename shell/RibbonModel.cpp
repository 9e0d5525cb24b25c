#include "shell/RibbonModel.h"

#include <map>

namespace shell {
namespace {

using K = RibbonKind;

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
                 {withBar(button(1009, "Podešavanje", "1309989085_advancedsettings.ico"), K::Popup,
                          {button(1010, "Programa", "1309988935_wheel.ico"),
                           button(1011, "Email računa", "1309386212_contact.ico")}),
                  button(1012, "Arhiviranje", "1310033331_Archive.ico"),
                  button(1013, "Izlaz", "1310292881_exit.ico")});
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
               {withBar(button(1001, "Izradi novi", "1309988037_label_black_new.ico"), K::Popup,
                        {button(1002, "Email", "mail.ico"), button(1003, "Zadatak", "KasniDatumi.ico"),
                         button(1004, "Proizvod/usluga", "brickwall.ico"),
                         withBar(button(1005, "Financijski dokument", "money.ico"), K::SplitButton,
                                 {button(1100, "Prihod", ""), button(1101, "Trošak", ""),
                                  button(1102, "Ulazni dokument", "", true),
                                  button(1103, "Izlazni dokument", "")}),
                         button(1007, "Password", "bcc.ico"), button(1015, "Kontakt", "dude2.ico")}),
                button(1014, "Osvježi prikaz", "1310068679_gtk-refresh.ico", true)})});

    tab(2, "E-mail", "mail.ico",
        {group(4, "E-mail obrada",
               {button(2001, "Novi email", "1309363638_mail.ico"),
                button(2002, "Odgovori", "1309363855_Reply.ico"),
                button(2003, "Odgovori svima", "1309364762_forward.ico"),
                button(2004, "Proslijedi", "1309363864_email_forward.ico"),
                button(2005, "Šalji/primaj", "1309365103_Gnome-Network-Receive-48.ico", true),
                button(2006, "Obriši", "1309365145_onebit_33.ico", true)}),
         group(4, "Ispis", {button(2007, "Ispis", "printer.ico")})});

    tab(3, "Zadaci", "hand_paper.ico",
        {group(4, "Kategorije", editButtons(3001)),
         group(4, "Zadaci", join(editButtons(3004), {button(3007, "Ispis", "printer.ico", true)}))});

    tab(4, "Kalendar", "KasniDatumi.ico",
        {group(4, "Zadaci", {button(4004, "Osvježi", "OtvoriSve.ico", true),
                             button(4005, "Ispis", "printer.ico", true)})});

    tab(5, "Planiranje", "cart1.ico",
        {group(4, "Datoteka",
               {button(5001, "Novi plan", "1311020299_document-new.ico"),
                button(5002, "Otvori", "1311020374_Open.ico"),
                withBar(button(5010, "Spremi plan", "1311020423_Floppy-64.ico", true), K::Popup,
                        {button(5003, "Spremi", "1311020654_column_tree.ico"),
                         button(5011, "Spremi kao...", "1311020299_document-new.ico")})}),
         group(4, "Plan",
               {button(5004, "Dodaj WBS", "tree.ico"),
                button(5009, "Dodaj aktivnost", "1311020654_column_tree.ico"),
                button(5012, "Obriši aktivnost", "1309365145_onebit_33.ico")}),
         group(4, "Pomicanje",
               {button(5006, "Lijevo", "1311020806_Backward-64.ico"),
                button(5005, "Desno", "1311021047_Forward-64.ico"),
                button(5007, "Gore", "1311021117_Up-64.ico"),
                button(5008, "Dole", "1311020795_Down-64.ico")})});

    tab(6, "Financije", "money.ico",
        {group(4, "Osobne financije", {button(6001, "Prihodi/troškovi", "1310292424_invoice.ico")}),
         group(4, "Poslovne financije",
               {button(6003, "Ulazni dokumenti", "1310292553_invoice.ico"),
                button(6004, "Izlazni dokumenti", "1310292562_invoice.ico"),
                button(6005, "Stanje", "1310292583_kchart.ico", true)}),
         group(4, "Izvještaji", {button(6999, "Ispis", "printer.ico"), button(6998, "Excel", "Excel.ico")})});

    tab(7, "Sigurnost", "Folder3.ico",
        {group(4, "Kategorije", editButtons(7001)), group(4, "Password", editButtons(7004))});

    tab(8, "Adresar", "dude.ico",
        {group(4, "Grupe kontakata",
               join({button(8001, "Unos grupe", "i.ico")}, editButtons(8002, "Unos podgrupe"))),
         group(4, "Kontakti", editButtons(8005)), group(80, "Zadaci", editButtons(8008), true),
         group(81, "Ulazni dokumenti", editButtons(8011), true),
         group(82, "Izlazni dokumenti", editButtons(8014), true)});
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
        {2008, "1309386212_contact.ico"}, {4001, "i.ico"}, {4002, "c.ico"}, {4003, "d.ico"},
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
