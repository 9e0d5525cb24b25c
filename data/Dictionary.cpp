#include "data/Dictionary.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace FILENAME {
vrt::NameVar CAL_EVENTCATEGORIES(212);
vrt::NameVar EMAIL(255);
vrt::NameVar EMAILATTACH(255);
vrt::NameVar CON_GROUP(100);
vrt::NameVar CON_CONTACTS(100);
vrt::NameVar INBOX(255);
vrt::NameVar ACCOUNTS(255);
vrt::NameVar SQL_FILE(100);
vrt::NameVar CAL_CALENDAREVENTS(244);
vrt::NameVar PRIHODIRASHODIKATEGORIJA(255);
vrt::NameVar PRIHODIRASHODI(255);
vrt::NameVar UDKATEGORIJA(100);
vrt::NameVar UDOKUMENTI(100);
vrt::NameVar IDKATEGORIJA(255);
vrt::NameVar IDOKUMENTI(100);
vrt::NameVar IDSTAVKE(100);
vrt::NameVar PROIZVODUSLUGA(100);
vrt::NameVar DNEVNIK(100);
vrt::NameVar PASSWORDS(100);
vrt::NameVar PASSWORDSKATEGORIJA(100);
vrt::NameVar NOTES(100);
vrt::NameVar BACKUP(100);
} // namespace FILENAME

namespace corvalde {
namespace {

#define VEL_AT(n) [](void* r) -> void* { return &static_cast<Rec*>(r)->n; }
#define VEL_FD(name, kind, cap) VEL_FD_##kind(name, cap)
#define VEL_FD_Long(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Long, cap, VEL_AT(n), nullptr},
#define VEL_FD_Byte(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Byte, cap, VEL_AT(n), nullptr},
#define VEL_FD_Text(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Text, cap, VEL_AT(n), nullptr},
#define VEL_FD_Decimal(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Decimal, cap, VEL_AT(n), nullptr},
#define VEL_FD_Date(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Date, cap, VEL_AT(n), nullptr},
#define VEL_FD_Time(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Time, cap, VEL_AT(n), nullptr},
#define VEL_FD_DateTime(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::DateTime, cap, VEL_AT(n##_DATE), VEL_AT(n##_TIME)},
#define VEL_KD(name, comps, unique, primary, autonum) vrt::makeKey(t.fields, #name, comps, unique, primary, autonum),

template <class Rec>
vrt::RecordOps recordOps()
{
    return {[]() -> void* { return new Rec(); }, [](void* r) { delete static_cast<Rec*>(r); },
            [](void* r) { *static_cast<Rec*>(r) = Rec(); },
            [](void* to, const void* from) { *static_cast<Rec*>(to) = *static_cast<const Rec*>(from); }};
}

struct RelationEntry {
    const char* parent;
    vrt::RelationDesc relation;
};

// Parent side of every declared relation, in registration order.
const RelationEntry kRelations[] = {
    {"Accounts", {"Inbox", "AccountIDKey", "ID", "ACCOUNTID"}},
    {"Inbox", {"EMAIL", "InboxIDKey", "ID", "INBOXID"}},
    {"CON_Contacts", {"Dnevnik", "Kontakti", "ID", "KONTAKTID"}},
    {"CON_Contacts", {"Notes", "Kontakti", "ID", "KONTAKTID"}},
    {"CON_Group", {"CON_Contacts", "GrupaIDKey", "ID", "GRUPAID"}},
    {"PasswordsKategorija", {"Passwords", "KategorijaKey", "ID", "KATEGORIJAID"}},
    {"IDokumenti", {"IDStavke", "Dokumenti", "ID", "DOKUMENTID"}},
    {"IDKategorija", {"IDokumenti", "KategorijaIDKey", "ID", "KATEGORIJAID"}},
    {"UDKategorija", {"UDokumenti", "KategorijaIDKey", "ID", "KATEGORIJAID"}},
    {"PrihodiRashodiKategorija", {"PrihodiRashodi", "Kategorije", "ID", "KATEGORIJAID"}},
};

struct AliasEntry {
    const char* label;
    const char* prefix;
    const char* keyPrefix;
    Tbl base;
};

struct Dictionary {
    std::array<vrt::TableDesc, size_t(Tbl::Count)> tables;

    Dictionary()
    {
        {
            using Rec = EMAIL_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::EMAIL)];
            t.label = "EMAIL";
            t.prefix = "EM";
            t.keyPrefix = "EM";
            t.sqlName = "EMAIL";
            t.fields = {VEL_FIELDS_EMAIL(VEL_FD)};
            t.keys = {VEL_KEYS_EMAIL(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = EMAILATTACH_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::EMAILATTACH)];
            t.label = "EMAILATTACH";
            t.prefix = "ATT";
            t.keyPrefix = "ATT";
            t.sqlName = "EMAILATTACH";
            t.fields = {VEL_FIELDS_EMAILATTACH(VEL_FD)};
            t.keys = {VEL_KEYS_EMAILATTACH(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Accounts_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Accounts)];
            t.label = "Accounts";
            t.prefix = "ACC";
            t.keyPrefix = "ACC";
            t.sqlName = "ACCOUNTS";
            t.fields = {VEL_FIELDS_Accounts(VEL_FD)};
            t.keys = {VEL_KEYS_Accounts(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Inbox_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Inbox)];
            t.label = "Inbox";
            t.prefix = "INB";
            t.keyPrefix = "Inb";
            t.sqlName = "INBOX";
            t.fields = {VEL_FIELDS_Inbox(VEL_FD)};
            t.keys = {VEL_KEYS_Inbox(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = SQL_File_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::SQL_File)];
            t.label = "SQL_File";
            t.prefix = "SQL";
            t.keyPrefix = "SQL";
            t.sqlName = "SQL_FILE";
            t.fields = {VEL_FIELDS_SQL_File(VEL_FD)};
            t.keys = {VEL_KEYS_SQL_File(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = CON_Contacts_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::CON_Contacts)];
            t.label = "CON_Contacts";
            t.prefix = "CON";
            t.keyPrefix = "CON";
            t.sqlName = "CON_CONTACTS";
            t.fields = {VEL_FIELDS_CON_Contacts(VEL_FD)};
            t.keys = {VEL_KEYS_CON_Contacts(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = CON_Group_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::CON_Group)];
            t.label = "CON_Group";
            t.prefix = "CONG";
            t.keyPrefix = "CONG";
            t.sqlName = "CON_GROUP";
            t.fields = {VEL_FIELDS_CON_Group(VEL_FD)};
            t.keys = {VEL_KEYS_CON_Group(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = CAL_CalendarEvents_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::CAL_CalendarEvents)];
            t.label = "CAL_CalendarEvents";
            t.prefix = "CAL";
            t.keyPrefix = "CAL";
            t.sqlName = "CAL_CALENDAREVENTS";
            t.fields = {VEL_FIELDS_CAL_CalendarEvents(VEL_FD)};
            t.keys = {VEL_KEYS_CAL_CalendarEvents(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = CAL_EventCategories_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::CAL_EventCategories)];
            t.label = "CAL_EventCategories";
            t.prefix = "CALC";
            t.keyPrefix = "CALC";
            t.sqlName = "CAL_EVENTCATEGORIES";
            t.fields = {VEL_FIELDS_CAL_EventCategories(VEL_FD)};
            t.keys = {VEL_KEYS_CAL_EventCategories(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = CalendarRecurrencePatterns_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::CalendarRecurrencePatterns)];
            t.label = "CalendarRecurrencePatterns";
            t.prefix = "CALR";
            t.keyPrefix = "CalR";
            t.sqlName = "CalendarRecurrencePatterns";
            t.fields = {VEL_FIELDS_CalendarRecurrencePatterns(VEL_FD)};
            t.keys = {VEL_KEYS_CalendarRecurrencePatterns(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Notes_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Notes)];
            t.label = "Notes";
            t.prefix = "NOTE";
            t.keyPrefix = "NOTE";
            t.sqlName = "Notes";
            t.fields = {VEL_FIELDS_Notes(VEL_FD)};
            t.keys = {VEL_KEYS_Notes(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Dnevnik_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Dnevnik)];
            t.label = "Dnevnik";
            t.prefix = "DNE";
            t.keyPrefix = "DNE";
            t.sqlName = "Dnevnik";
            t.fields = {VEL_FIELDS_Dnevnik(VEL_FD)};
            t.keys = {VEL_KEYS_Dnevnik(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Passwords_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Passwords)];
            t.label = "Passwords";
            t.prefix = "PAS";
            t.keyPrefix = "PAS";
            t.sqlName = "Passwords";
            t.fields = {VEL_FIELDS_Passwords(VEL_FD)};
            t.keys = {VEL_KEYS_Passwords(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = PasswordsKategorija_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::PasswordsKategorija)];
            t.label = "PasswordsKategorija";
            t.prefix = "PASK";
            t.keyPrefix = "PASK";
            t.sqlName = "PasswordsKategorija";
            t.fields = {VEL_FIELDS_PasswordsKategorija(VEL_FD)};
            t.keys = {VEL_KEYS_PasswordsKategorija(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = Backup_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::Backup)];
            t.label = "Backup";
            t.prefix = "BKP";
            t.keyPrefix = "BKP";
            t.sqlName = "Backup";
            t.fields = {VEL_FIELDS_Backup(VEL_FD)};
            t.keys = {VEL_KEYS_Backup(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = IDokumenti_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::IDokumenti)];
            t.label = "IDokumenti";
            t.prefix = "ID";
            t.keyPrefix = "ID";
            t.sqlName = "IDokumenti";
            t.fields = {VEL_FIELDS_IDokumenti(VEL_FD)};
            t.keys = {VEL_KEYS_IDokumenti(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = IDStavke_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::IDStavke)];
            t.label = "IDStavke";
            t.prefix = "IDS";
            t.keyPrefix = "IDS";
            t.sqlName = "IDStavke";
            t.fields = {VEL_FIELDS_IDStavke(VEL_FD)};
            t.keys = {VEL_KEYS_IDStavke(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = IDKategorija_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::IDKategorija)];
            t.label = "IDKategorija";
            t.prefix = "IDK";
            t.keyPrefix = "IDK";
            t.sqlName = "IDKategorija";
            t.fields = {VEL_FIELDS_IDKategorija(VEL_FD)};
            t.keys = {VEL_KEYS_IDKategorija(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = UDKategorija_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::UDKategorija)];
            t.label = "UDKategorija";
            t.prefix = "UDK";
            t.keyPrefix = "UDK";
            t.sqlName = "UDKategorija";
            t.fields = {VEL_FIELDS_UDKategorija(VEL_FD)};
            t.keys = {VEL_KEYS_UDKategorija(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = UDokumenti_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::UDokumenti)];
            t.label = "UDokumenti";
            t.prefix = "UD";
            t.keyPrefix = "UD";
            t.sqlName = "UDokumenti";
            t.fields = {VEL_FIELDS_UDokumenti(VEL_FD)};
            t.keys = {VEL_KEYS_UDokumenti(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = PrihodiRashodi_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::PrihodiRashodi)];
            t.label = "PrihodiRashodi";
            t.prefix = "PR";
            t.keyPrefix = "PR";
            t.sqlName = "PRIHODIRASHODI";
            t.fields = {VEL_FIELDS_PrihodiRashodi(VEL_FD)};
            t.keys = {VEL_KEYS_PrihodiRashodi(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = PrihodiRashodiKategorija_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::PrihodiRashodiKategorija)];
            t.label = "PrihodiRashodiKategorija";
            t.prefix = "PRK";
            t.keyPrefix = "PRK";
            t.sqlName = "PRIHODIRASHODIKATEGORIJA";
            t.fields = {VEL_FIELDS_PrihodiRashodiKategorija(VEL_FD)};
            t.keys = {VEL_KEYS_PrihodiRashodiKategorija(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        {
            using Rec = ProizvodUsluga_Rec;
            vrt::TableDesc& t = tables[size_t(Tbl::ProizvodUsluga)];
            t.label = "ProizvodUsluga";
            t.prefix = "PRU";
            t.keyPrefix = "PRU";
            t.sqlName = "ProizvodUsluga";
            t.fields = {VEL_FIELDS_ProizvodUsluga(VEL_FD)};
            t.keys = {VEL_KEYS_ProizvodUsluga(VEL_KD)};
            t.ops = recordOps<Rec>();
        }
        for (const RelationEntry& r : kRelations)
            tables[size_t(slotOfLabel(r.parent))].relations.push_back(r.relation);
#define VEL_EXACT(table, key) exactKey(tables[size_t(Tbl::table)], #key);
        VEL_EXACT_KEYS(VEL_EXACT)
#undef VEL_EXACT
        static const AliasEntry aliases[] = {
            {"AEMAIL", "EMA", "EMA", Tbl::EMAIL},
            {"AEMAILATTACH", "ATTA", "ATTA", Tbl::EMAILATTACH},
            {"ACON_GrupaAlias", "CONGA", "CONGA", Tbl::CON_Group},
            {"ACON_ContactsAlias", "ACON", "ACON", Tbl::CON_Contacts},
            {"AInbox", "INBA", "Inba", Tbl::Inbox},
            {"AAccounts", "AACC", "AACC", Tbl::Accounts},
            {"ACAL_EventCategories", "ACALC", "ACALC", Tbl::CAL_EventCategories},
            {"ACAL_CalendarEvents", "ACAL", "ACAL", Tbl::CAL_CalendarEvents},
            {"APrihodiRashodiKategorija", "APRK", "APRK", Tbl::PrihodiRashodiKategorija},
            {"APrihodiRashodi", "APR", "APR", Tbl::PrihodiRashodi},
            {"AIDokumenti", "AID", "AID", Tbl::IDokumenti},
            {"AIDStavke", "AIDS", "AIDS", Tbl::IDStavke},
        };
        for (const AliasEntry& a : aliases) {
            vrt::TableDesc& t = tables[size_t(slotOfLabel(a.label))];
            t = tables[size_t(a.base)];
            t.label = a.label;
            t.prefix = a.prefix;
            t.keyPrefix = a.keyPrefix;
            t.relations.clear(); // aliases declare no relations of their own
            t.base = &tables[size_t(a.base)];
        }
    }

    static void exactKey(vrt::TableDesc& t, const char* key)
    {
        const int k = t.keyIndex(key);
        if (k < 0) {
            std::fprintf(stderr, "exact key %s is not a key of %s\n", key, t.label.c_str());
            std::abort();
        }
        t.keys[size_t(k)].noCase = false;
    }

    static Tbl slotOfLabel(const char* label)
    {
        static const char* const labels[] = {
            "CAL_EventCategories",
            "EMAIL",
            "EMAILATTACH",
            "CON_Group",
            "CON_Contacts",
            "Inbox",
            "Accounts",
            "SQL_File",
            "CAL_CalendarEvents",
            "CalendarRecurrencePatterns",
            "PrihodiRashodiKategorija",
            "PrihodiRashodi",
            "UDKategorija",
            "UDokumenti",
            "IDKategorija",
            "IDokumenti",
            "IDStavke",
            "ProizvodUsluga",
            "Dnevnik",
            "Passwords",
            "PasswordsKategorija",
            "Notes",
            "Backup",
            "AEMAIL",
            "AEMAILATTACH",
            "ACON_GrupaAlias",
            "ACON_ContactsAlias",
            "AInbox",
            "AAccounts",
            "ACAL_EventCategories",
            "ACAL_CalendarEvents",
            "APrihodiRashodiKategorija",
            "APrihodiRashodi",
            "AIDokumenti",
            "AIDStavke",
        };
        for (size_t i = 0; i < size_t(Tbl::Count); ++i)
            if (strcasecmp(labels[i], label) == 0)
                return Tbl(i);
        return Tbl::Count;
    }
};

const Dictionary& dictionary()
{
    static const Dictionary d;
    return d;
}

} // namespace

const vrt::TableDesc& declaration(Tbl slot) { return dictionary().tables.at(size_t(slot)); }

Tbl slotOf(const std::string& label) { return Dictionary::slotOfLabel(label.c_str()); }

vrt::NameVar* nameVariable(Tbl slot)
{
    switch (slot) {
    case Tbl::CAL_EventCategories: return &FILENAME::CAL_EVENTCATEGORIES;
    case Tbl::EMAIL: return &FILENAME::EMAIL;
    case Tbl::EMAILATTACH: return &FILENAME::EMAILATTACH;
    case Tbl::CON_Group: return &FILENAME::CON_GROUP;
    case Tbl::CON_Contacts: return &FILENAME::CON_CONTACTS;
    case Tbl::Inbox: return &FILENAME::INBOX;
    case Tbl::Accounts: return &FILENAME::ACCOUNTS;
    case Tbl::SQL_File: return &FILENAME::SQL_FILE;
    case Tbl::CAL_CalendarEvents: return &FILENAME::CAL_CALENDAREVENTS;
    case Tbl::PrihodiRashodiKategorija: return &FILENAME::PRIHODIRASHODIKATEGORIJA;
    case Tbl::PrihodiRashodi: return &FILENAME::PRIHODIRASHODI;
    case Tbl::UDKategorija: return &FILENAME::UDKATEGORIJA;
    case Tbl::UDokumenti: return &FILENAME::UDOKUMENTI;
    case Tbl::IDKategorija: return &FILENAME::IDKATEGORIJA;
    case Tbl::IDokumenti: return &FILENAME::IDOKUMENTI;
    case Tbl::IDStavke: return &FILENAME::IDSTAVKE;
    case Tbl::ProizvodUsluga: return &FILENAME::PROIZVODUSLUGA;
    case Tbl::Dnevnik: return &FILENAME::DNEVNIK;
    case Tbl::Passwords: return &FILENAME::PASSWORDS;
    case Tbl::PasswordsKategorija: return &FILENAME::PASSWORDSKATEGORIJA;
    case Tbl::Notes: return &FILENAME::NOTES;
    case Tbl::Backup: return &FILENAME::BACKUP;
    case Tbl::AEMAIL: return &FILENAME::EMAIL;
    case Tbl::AEMAILATTACH: return &FILENAME::EMAILATTACH;
    case Tbl::ACON_GrupaAlias: return &FILENAME::CON_GROUP;
    case Tbl::ACON_ContactsAlias: return &FILENAME::CON_CONTACTS;
    case Tbl::AInbox: return &FILENAME::INBOX;
    case Tbl::AAccounts: return &FILENAME::ACCOUNTS;
    case Tbl::ACAL_EventCategories: return &FILENAME::CAL_EVENTCATEGORIES;
    case Tbl::ACAL_CalendarEvents: return &FILENAME::CAL_CALENDAREVENTS;
    case Tbl::APrihodiRashodiKategorija: return &FILENAME::PRIHODIRASHODIKATEGORIJA;
    case Tbl::APrihodiRashodi: return &FILENAME::PRIHODIRASHODI;
    case Tbl::AIDokumenti: return &FILENAME::IDOKUMENTI;
    case Tbl::AIDStavke: return &FILENAME::IDSTAVKE;
    default: return nullptr;
    }
}

void setTableNames()
{
    for (size_t i = 0; i < size_t(Tbl::Count); ++i) {
        const vrt::TableDesc& t = declaration(Tbl(i));
        if (vrt::NameVar* v = nameVariable(Tbl(i)); v && !t.base)
            v->set(t.sqlName);
    }
}

} // namespace corvalde
