#include "tools/sampledata/SampleData.h"

#include <QDate>
#include <QTime>
#include <random>
#include <utility>

#include "data/TableManagers.h"
#include "runtime/DateTime.h"
#include "runtime/Odbc.h"

namespace organiser {

namespace {

const char* const kSurnames[] = {"Horvat", "Kovačević", "Babić", "Marić", "Jurić", "Novak", "Knežević", "Vuković",
                                 "Marković", "Petrović", "Matić", "Tomić", "Pavlović", "Božić", "Blažević", "Grgić"};
const char* const kNames[] = {"Ivan", "Ana", "Marko", "Petra", "Luka", "Maja", "Josip", "Ivana", "Tomislav",
                              "Katarina", "Davor", "Lucija", "Nikola", "Martina", "Ante", "Sara"};
const char* const kCompanies[] = {"Adriatik d.o.o.", "Sjever Trade", "Kvarner Soft", "Dalmacija Plus", "Slavonija Agro",
                                  "Zagorje Metal", "Istra Vino", "Lika Drvo"};
const char* const kSubjects[] = {"Ponuda za suradnju", "Račun za prosinac", "Sastanak u utorak", "Re: Narudžba",
                                 "Izvještaj o prodaji", "Fw: Prezentacija", "Upit za cijenu", "Potvrda plaćanja",
                                 "Novi katalog", "Godišnji odmor"};
// The standard folders every account has: stored name, system name.
const std::pair<const char*, const char*> kFolders[] = {
    {"Ulazna pošta", "xInbox_1"}, {"Poslano", "xSent_1"}, {"Spremljeno", "xDraft_1"},
    {"Obrisano", "xDeleted_1"},   {"Smeće", "xJunk_1"}};

class Gen {
public:
    explicit Gen(unsigned seed) : m_rng(seed) {}
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    template <size_t N>
    const char* pick(const char* const (&list)[N]) { return list[size_t(between(0, int(N) - 1))]; }

private:
    std::mt19937 m_rng;
};

std::string s(const char* text) { return text; }

} // namespace

SampleResult generateSampleData(const SampleSizes& n)
{
    SampleResult out;
    Gen g(n.seed);
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    if (!c) {
        out.error = QStringLiteral("no connection");
        return out;
    }
    vrt::odbc::Transaction tx(*c);
    const int today = vrt::today();
    QString failed;
    const auto insert = [&](Tbl t) -> long {
        if (!failed.isEmpty())
            return 0;
        vrt::FileManager& f = Access(t);
        if (f.TryInsert() != 0) {
            failed = QString::fromStdString(f.FILE->label) + QStringLiteral(": ") + f.ErrorText();
            return 0;
        }
        const vrt::TableDesc& d = *f.FILE;
        return *static_cast<int32_t*>(d.fields[size_t(d.keys[size_t(d.primaryKey())].components[0].field)].at(f.BUFFER));
    };

    // Accounts and their folders: a root row per account, its folders below it.
    std::vector<long> folders;
    for (int a = 1; a <= n.accounts; ++a) {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = "Račun " + std::to_string(a);
        ACC().IMEPREZIME = s(g.pick(kNames)) + " " + g.pick(kSurnames);
        ACC().EMAIL = "korisnik" + std::to_string(a) + "@primjer.hr";
        ACC().DEFAULT = a == 1;
        const long account = insert(Tbl::Accounts);
        Access(Tbl::Inbox).clearBuffer();
        INB().ACCOUNTID = int32_t(account);
        INB().NAZIV = ACC().EMAIL;
        INB().ENNAZIV = "xInbox";
        const long root = insert(Tbl::Inbox);
        if (a == 1)
            out.accountRootId = root;
        for (const auto& [name, system] : kFolders) {
            Access(Tbl::Inbox).clearBuffer();
            INB().ACCOUNTID = int32_t(account);
            INB().TATAID = int32_t(root);
            INB().NAZIV = name;
            INB().ENNAZIV = system;
            folders.push_back(insert(Tbl::Inbox));
        }
    }
    out.inboxId = folders.empty() ? 0 : folders.front();

    // Contact groups (the first two at the top, the rest below them) and contacts.
    std::vector<long> groups;
    for (int i = 0; i < n.groups; ++i) {
        Access(Tbl::CON_Group).clearBuffer();
        CONG().NAZIV = "Grupa " + std::to_string(i + 1);
        CONG().TATAID = i < 2 || groups.empty() ? 0 : int32_t(groups[size_t(i % 2)]);
        groups.push_back(insert(Tbl::CON_Group));
    }
    out.firstGroupId = groups.empty() ? 0 : groups.front();
    std::vector<long> contacts;
    for (int i = 0; i < n.contacts; ++i) {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().GRUPAID = groups.empty() ? 0 : int32_t(groups[size_t(i) % groups.size()]);
        CON().PREZIME = g.pick(kSurnames);
        CON().IME = g.pick(kNames);
        if (i % 7 == 0)
            CON().SREDNJEIME = g.pick(kNames);
        CON().EMAIL = "kontakt" + std::to_string(i + 1) + "@primjer.hr";
        if (i % 3 == 0) {
            CON().TVRTKA = g.pick(kCompanies);
            CON().TEMAIL = "ured" + std::to_string(i + 1) + "@tvrtka.hr";
        }
        CON().PHONE1 = "01 " + std::to_string(g.between(1000000, 9999999));
        CON().GRAD = i % 2 ? "Zagreb" : "Split";
        contacts.push_back(insert(Tbl::CON_Contacts));
    }

    // Mails: nine in ten in the first inbox, the rest spread over the other folders.
    for (int i = 0; i < n.mails && failed.isEmpty(); ++i) {
        Access(Tbl::EMAIL).clearBuffer();
        const bool inbox = i % 10 != 9 || folders.size() < 2;
        EM().INBOXID = int32_t(inbox ? folders.front() : folders[1 + size_t(i) % (folders.size() - 1)]);
        out.inboxMails += inbox;
        EM().SUBJECT = s(g.pick(kSubjects)) + " #" + std::to_string(i + 1);
        EM().SENDER = s(g.pick(kNames)) + " " + g.pick(kSurnames) + " <kontakt" + std::to_string(g.between(1, 999)) + "@primjer.hr>";
        EM().TOO = "korisnik1@primjer.hr";
        EM().REPLYTO = "kontakt" + std::to_string(g.between(1, 999)) + "@primjer.hr";
        EM().BODY = "Poštovani,\n\n" + EM().SUBJECT + "\n\nLijep pozdrav";
        EM().DATUM = today - g.between(0, 720);
        EM().VRIJEME = vrt::timeFromQTime(QTime(g.between(0, 23), g.between(0, 59), g.between(0, 59)));
        EM().MESSAGEID = "<" + std::to_string(i + 1) + "." + std::to_string(n.seed) + "@gen.primjer.hr>";
        EM().SIZE_DECIMAL = std::to_string(g.between(800, 250000));
        EM().READ = g.between(0, 3) != 0;
        EM().PRIORITYLEVEL = 3;
        insert(Tbl::EMAIL);
    }

    // Task categories, tasks and appointments around today.
    std::vector<long> categories;
    const char* const kCategoryNames[] = {"Posao", "Privatno", "Sastanci", "Putovanja", "Rokovi"};
    const int kColours[] = {255, 65280, 16711680, 65535, 16776960};
    for (int i = 0; i < 5; ++i) {
        Access(Tbl::CAL_EventCategories).clearBuffer();
        CALC().ID = 13 + i; // after the twelve standard categories the program keeps
        CALC().CATEGORIENAME = kCategoryNames[i];
        CALC().CATEGORIECOLOR = kColours[i];
        CALC().ORDER = i + 1;
        categories.push_back(insert(Tbl::CAL_EventCategories));
    }
    for (int i = 0; i < n.tasks; ++i) {
        Access(Tbl::CAL_CalendarEvents).clearBuffer();
        CAL().PARTNERID = i % 4 == 0 || contacts.empty() ? 0 : int32_t(contacts[size_t(g.between(0, int(contacts.size()) - 1))]);
        CAL().STATUS = g.between(0, 2);
        CAL().IMPORTANCELEVEL = g.between(1, 3);
        CAL().STARTDATETIME_DATE = today + g.between(-60, 60);
        CAL().STARTDATETIME_TIME = vrt::timeFromQTime(QTime(g.between(7, 18), 0));
        CAL().ENDDATETIME_DATE = CAL().STARTDATETIME_DATE + g.between(0, 3);
        CAL().ENDDATETIME_TIME = CAL().STARTDATETIME_TIME + 360000;
        CAL().SUBJECT = (i % 2 ? "Sastanak: " : "Zadatak: ") + s(g.pick(kSubjects));
        CAL().LOCATION = i % 2 ? "Ured" : "";
        CAL().BODY = "Opis zadatka " + std::to_string(i + 1);
        CAL().LABELID = int32_t(categories[size_t(i) % categories.size()]);
        insert(Tbl::CAL_CalendarEvents);
    }

    // Notes, a few of them tagged.
    for (int i = 0; i < n.notes; ++i) {
        Access(Tbl::Notes).clearBuffer();
        NOTE().DATUM = today - g.between(0, 365);
        NOTE().VRIJEME = vrt::timeFromQTime(QTime(g.between(0, 23), g.between(0, 59)));
        NOTE().NASLOV = "Bilješka " + std::to_string(i + 1);
        NOTE().OPIS = g.pick(kSubjects);
        NOTE().STATUS = i % 5 == 0;
        insert(Tbl::Notes);
    }

    // Passwords in five categories.
    std::vector<long> passwordCategories;
    for (const char* name : {"Web", "Banke", "Poslužitelji", "Pošta", "Ostalo"}) {
        Access(Tbl::PasswordsKategorija).clearBuffer();
        PASK().NAZIV = name;
        passwordCategories.push_back(insert(Tbl::PasswordsKategorija));
    }
    for (int i = 0; i < n.passwords; ++i) {
        Access(Tbl::Passwords).clearBuffer();
        PAS().KATEGORIJAID = int32_t(passwordCategories[size_t(i) % passwordCategories.size()]);
        PAS().NAZIV = "Usluga " + std::to_string(i + 1);
        PAS().LOGIN = "korisnik" + std::to_string(i + 1);
        PAS().PASSWORD = "tajna" + std::to_string(g.between(1000, 9999));
        PAS().LOKACIJA = "https://usluga" + std::to_string(i + 1) + ".primjer.hr";
        insert(Tbl::Passwords);
    }

    // Products, outgoing documents with items, incoming documents.
    std::vector<long> products;
    for (int i = 0; i < 20; ++i) {
        Access(Tbl::ProizvodUsluga).clearBuffer();
        PRU().NAZIV = "Proizvod " + std::to_string(i + 1);
        PRU().JM = "kom";
        products.push_back(insert(Tbl::ProizvodUsluga));
    }
    const auto contactAt = [&](int i) { return contacts.empty() ? 0 : int32_t(contacts[size_t(i) % contacts.size()]); };
    std::vector<long> outgoing, incoming;
    for (const char* name : {"Računi", "Ponude", "Otpremnice"}) {
        Access(Tbl::IDKategorija).clearBuffer();
        IDK().NAZIV = name;
        outgoing.push_back(insert(Tbl::IDKategorija));
        Access(Tbl::UDKategorija).clearBuffer();
        UDK().NAZIV = name;
        incoming.push_back(insert(Tbl::UDKategorija));
    }
    for (int i = 0; i < n.documents && failed.isEmpty(); ++i) {
        Access(Tbl::IDokumenti).clearBuffer();
        ID().KATEGORIJAID = int32_t(outgoing[size_t(i) % outgoing.size()]);
        ID().KUPACID = contactAt(i * 3);
        ID().BROJDOKUMENTA = std::to_string(i + 1) + "-1-1";
        ID().DATUM = today - g.between(0, 365);
        ID().ROKPLACANJA = 15;
        const long doc = insert(Tbl::IDokumenti);
        long long cents = 0;
        for (int k = 1; k <= n.itemsPerDocument; ++k) {
            const int quantity = g.between(1, 9), price = g.between(100, 99999);
            cents += (long long)quantity * price;
            Access(Tbl::IDStavke).clearBuffer();
            IDS().DOKUMENTID = int32_t(doc);
            IDS().KATEGORIJAID = ID().KATEGORIJAID;
            IDS().RBR = k;
            IDS().PROIZVODUSLUGAID = int32_t(products[size_t(g.between(0, 19))]);
            IDS().KOLICINA_DECIMAL = std::to_string(quantity);
            IDS().CIJENA_DECIMAL = std::to_string(price / 100) + "." + (price % 100 < 10 ? "0" : "") + std::to_string(price % 100);
            const long long amount = (long long)quantity * price;
            IDS().IZNOS_DECIMAL = std::to_string(amount / 100) + "." + (amount % 100 < 10 ? "0" : "") + std::to_string(amount % 100);
            IDS().IZNOS_SPDVOM_DECIMAL = IDS().IZNOS_DECIMAL;
            IDS().POREZ_STOPA_DECIMAL = "25";
            insert(Tbl::IDStavke);
        }
        ID().IZNOS_DECIMAL = std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") + std::to_string(cents % 100);
        if (failed.isEmpty() && Access(Tbl::IDokumenti).TryUpdate() != 0)
            failed = Access(Tbl::IDokumenti).ErrorText();
    }
    for (int i = 0; i < n.documents / 2; ++i) {
        Access(Tbl::UDokumenti).clearBuffer();
        UD().KATEGORIJAID = int32_t(incoming[size_t(i) % incoming.size()]);
        UD().DOBAVLJACID = contactAt(i * 5 + 1);
        UD().BROJDOKUMENTA = "U-" + std::to_string(i + 1);
        UD().DATUM = today - g.between(0, 365);
        UD().IZNOS_DECIMAL = std::to_string(g.between(10, 5000)) + ".50";
        insert(Tbl::UDokumenti);
    }

    // Income and expenses: two trees of categories. The roots first, as the program seeds
    // them: ids 1 and 2 are the roots that never move.
    std::vector<long> leaves, roots;
    for (int type = 1; type <= 2; ++type) {
        Access(Tbl::PrihodiRashodiKategorija).clearBuffer();
        PRK().NAZIV = type == 1 ? "Prihodi" : "Rashodi";
        PRK().TIP = uint8_t(type);
        roots.push_back(insert(Tbl::PrihodiRashodiKategorija));
    }
    out.incomeRootId = roots.front();
    for (int type = 1; type <= 2; ++type) {
        const long root = roots[size_t(type - 1)];
        for (int k = 1; k <= 3; ++k) {
            Access(Tbl::PrihodiRashodiKategorija).clearBuffer();
            PRK().NAZIV = (type == 1 ? "Prihod " : "Trošak ") + std::to_string(k);
            PRK().TATAID = int32_t(root);
            PRK().TIP = uint8_t(type);
            leaves.push_back(insert(Tbl::PrihodiRashodiKategorija));
        }
    }
    for (int i = 0; i < n.incomeExpenses; ++i) {
        Access(Tbl::PrihodiRashodi).clearBuffer();
        const size_t leaf = size_t(i) % leaves.size();
        PR().KATEGORIJAID = int32_t(leaves[leaf]);
        PR().TIPID = leaf < 3 ? 1 : 2;
        PR().DATUM = today - g.between(0, 365);
        PR().NAZIV = (leaf < 3 ? "Uplata " : "Isplata ") + std::to_string(i + 1);
        PR().IZNOS_DECIMAL = std::to_string(g.between(1, 3000)) + "." + std::to_string(g.between(10, 99));
        insert(Tbl::PrihodiRashodi);
    }

    if (failed.isEmpty() && !tx.commit())
        failed = QString::fromStdString(c->error().text);
    out.error = failed;
    return out;
}

} // namespace organiser
