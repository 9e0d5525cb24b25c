#pragma once
#include "data/TableDeclarations.h"
#include "runtime/FileManager.h"
#include "runtime/TableDesc.h"

#include <cstdint>
#include <string>

// The data dictionary: one record struct per table, one slot per declaration (tables first,
// aliases after, in the order every thread creates their managers), the thread's record
// buffers and the process-wide table name variables.
//
// Naming: the field `PRE:Name` is `PRE().Name` (the calling thread's buffer of the table or
// alias with prefix PRE), the key `PRE:KeyName` is `PRE.KeyName` (a key number), the manager
// `Access:Label` is `Access(Tbl::Label)`, `Relate:Label` is `Relate(Tbl::Label)` and the name
// variable `FILE:NAME` is `FILENAME::NAME`.

#define VEL_MEMBER(name, kind, cap) VEL_MEMBER_##kind(name)
#define VEL_MEMBER_Long(n) int32_t n = 0;
#define VEL_MEMBER_Byte(n) uint8_t n = 0;
#define VEL_MEMBER_Text(n) std::string n;
#define VEL_MEMBER_Decimal(n) std::string n;
#define VEL_MEMBER_Date(n) int32_t n = 0;
#define VEL_MEMBER_Time(n) int32_t n = 0;
#define VEL_MEMBER_DateTime(n) int32_t n##_DATE = 0; int32_t n##_TIME = 0;
#define VEL_KEYENUM(name, comps, unique, primary, autonum) name,

struct EMAIL_Rec {
    VEL_FIELDS_EMAIL(VEL_MEMBER)
};
struct EMAILATTACH_Rec {
    VEL_FIELDS_EMAILATTACH(VEL_MEMBER)
};
struct Accounts_Rec {
    VEL_FIELDS_Accounts(VEL_MEMBER)
};
struct Inbox_Rec {
    VEL_FIELDS_Inbox(VEL_MEMBER)
};
struct SQL_File_Rec {
    VEL_FIELDS_SQL_File(VEL_MEMBER)
};
struct CON_Contacts_Rec {
    VEL_FIELDS_CON_Contacts(VEL_MEMBER)
};
struct CON_Group_Rec {
    VEL_FIELDS_CON_Group(VEL_MEMBER)
};
struct CAL_CalendarEvents_Rec {
    VEL_FIELDS_CAL_CalendarEvents(VEL_MEMBER)
};
struct CAL_EventCategories_Rec {
    VEL_FIELDS_CAL_EventCategories(VEL_MEMBER)
};
struct CalendarRecurrencePatterns_Rec {
    VEL_FIELDS_CalendarRecurrencePatterns(VEL_MEMBER)
};
struct Notes_Rec {
    VEL_FIELDS_Notes(VEL_MEMBER)
};
struct Dnevnik_Rec {
    VEL_FIELDS_Dnevnik(VEL_MEMBER)
};
struct Passwords_Rec {
    VEL_FIELDS_Passwords(VEL_MEMBER)
};
struct PasswordsKategorija_Rec {
    VEL_FIELDS_PasswordsKategorija(VEL_MEMBER)
};
struct Backup_Rec {
    VEL_FIELDS_Backup(VEL_MEMBER)
};
struct IDokumenti_Rec {
    VEL_FIELDS_IDokumenti(VEL_MEMBER)
};
struct IDStavke_Rec {
    VEL_FIELDS_IDStavke(VEL_MEMBER)
};
struct IDKategorija_Rec {
    VEL_FIELDS_IDKategorija(VEL_MEMBER)
};
struct UDKategorija_Rec {
    VEL_FIELDS_UDKategorija(VEL_MEMBER)
};
struct UDokumenti_Rec {
    VEL_FIELDS_UDokumenti(VEL_MEMBER)
};
struct PrihodiRashodi_Rec {
    VEL_FIELDS_PrihodiRashodi(VEL_MEMBER)
};
struct PrihodiRashodiKategorija_Rec {
    VEL_FIELDS_PrihodiRashodiKategorija(VEL_MEMBER)
};
struct ProizvodUsluga_Rec {
    VEL_FIELDS_ProizvodUsluga(VEL_MEMBER)
};

enum class Tbl : int {
    CAL_EventCategories,
    EMAIL,
    EMAILATTACH,
    CON_Group,
    CON_Contacts,
    Inbox,
    Accounts,
    SQL_File,
    CAL_CalendarEvents,
    CalendarRecurrencePatterns,
    PrihodiRashodiKategorija,
    PrihodiRashodi,
    UDKategorija,
    UDokumenti,
    IDKategorija,
    IDokumenti,
    IDStavke,
    ProizvodUsluga,
    Dnevnik,
    Passwords,
    PasswordsKategorija,
    Notes,
    Backup,
    AEMAIL,
    AEMAILATTACH,
    ACON_GrupaAlias,
    ACON_ContactsAlias,
    AInbox,
    AAccounts,
    ACAL_EventCategories,
    ACAL_CalendarEvents,
    APrihodiRashodiKategorija,
    APrihodiRashodi,
    AIDokumenti,
    AIDStavke,
    Count
};

namespace corvalde {
// The calling thread's record buffer of a declaration (made on first use).
void* threadBuffer(Tbl slot);
const vrt::TableDesc& declaration(Tbl slot);
Tbl slotOf(const std::string& label); // Tbl::Count when unknown
// Sets every name variable to its stored name (the database opening does this first).
void setTableNames();
} // namespace corvalde

template <class Rec, Tbl Slot>
struct RecordPrefix {
    static constexpr Tbl table = Slot;
    Rec& operator()() const { return *static_cast<Rec*>(corvalde::threadBuffer(Slot)); }
};

struct EM_Prefix : RecordPrefix<EMAIL_Rec, Tbl::EMAIL> {
    enum Key : int { VEL_KEYS_EMAIL(VEL_KEYENUM) };
};
inline constexpr EM_Prefix EM{};
struct ATT_Prefix : RecordPrefix<EMAILATTACH_Rec, Tbl::EMAILATTACH> {
    enum Key : int { VEL_KEYS_EMAILATTACH(VEL_KEYENUM) };
};
inline constexpr ATT_Prefix ATT{};
struct ACC_Prefix : RecordPrefix<Accounts_Rec, Tbl::Accounts> {
    enum Key : int { VEL_KEYS_Accounts(VEL_KEYENUM) };
};
inline constexpr ACC_Prefix ACC{};
struct INB_Prefix : RecordPrefix<Inbox_Rec, Tbl::Inbox> {
    enum Key : int { VEL_KEYS_Inbox(VEL_KEYENUM) };
};
inline constexpr INB_Prefix INB{};
inline constexpr INB_Prefix Inb{};
struct SQL_Prefix : RecordPrefix<SQL_File_Rec, Tbl::SQL_File> {
    enum Key : int { VEL_KEYS_SQL_File(VEL_KEYENUM) };
};
inline constexpr SQL_Prefix SQL{};
struct CON_Prefix : RecordPrefix<CON_Contacts_Rec, Tbl::CON_Contacts> {
    enum Key : int { VEL_KEYS_CON_Contacts(VEL_KEYENUM) };
};
inline constexpr CON_Prefix CON{};
struct CONG_Prefix : RecordPrefix<CON_Group_Rec, Tbl::CON_Group> {
    enum Key : int { VEL_KEYS_CON_Group(VEL_KEYENUM) };
};
inline constexpr CONG_Prefix CONG{};
struct CAL_Prefix : RecordPrefix<CAL_CalendarEvents_Rec, Tbl::CAL_CalendarEvents> {
    enum Key : int { VEL_KEYS_CAL_CalendarEvents(VEL_KEYENUM) };
};
inline constexpr CAL_Prefix CAL{};
struct CALC_Prefix : RecordPrefix<CAL_EventCategories_Rec, Tbl::CAL_EventCategories> {
    enum Key : int { VEL_KEYS_CAL_EventCategories(VEL_KEYENUM) };
};
inline constexpr CALC_Prefix CALC{};
struct CALR_Prefix : RecordPrefix<CalendarRecurrencePatterns_Rec, Tbl::CalendarRecurrencePatterns> {
    enum Key : int { VEL_KEYS_CalendarRecurrencePatterns(VEL_KEYENUM) };
};
inline constexpr CALR_Prefix CALR{};
inline constexpr CALR_Prefix CalR{};
struct NOTE_Prefix : RecordPrefix<Notes_Rec, Tbl::Notes> {
    enum Key : int { VEL_KEYS_Notes(VEL_KEYENUM) };
};
inline constexpr NOTE_Prefix NOTE{};
struct DNE_Prefix : RecordPrefix<Dnevnik_Rec, Tbl::Dnevnik> {
    enum Key : int { VEL_KEYS_Dnevnik(VEL_KEYENUM) };
};
inline constexpr DNE_Prefix DNE{};
struct PAS_Prefix : RecordPrefix<Passwords_Rec, Tbl::Passwords> {
    enum Key : int { VEL_KEYS_Passwords(VEL_KEYENUM) };
};
inline constexpr PAS_Prefix PAS{};
struct PASK_Prefix : RecordPrefix<PasswordsKategorija_Rec, Tbl::PasswordsKategorija> {
    enum Key : int { VEL_KEYS_PasswordsKategorija(VEL_KEYENUM) };
};
inline constexpr PASK_Prefix PASK{};
struct BKP_Prefix : RecordPrefix<Backup_Rec, Tbl::Backup> {
    enum Key : int { VEL_KEYS_Backup(VEL_KEYENUM) };
};
inline constexpr BKP_Prefix BKP{};
struct ID_Prefix : RecordPrefix<IDokumenti_Rec, Tbl::IDokumenti> {
    enum Key : int { VEL_KEYS_IDokumenti(VEL_KEYENUM) };
};
inline constexpr ID_Prefix ID{};
struct IDS_Prefix : RecordPrefix<IDStavke_Rec, Tbl::IDStavke> {
    enum Key : int { VEL_KEYS_IDStavke(VEL_KEYENUM) };
};
inline constexpr IDS_Prefix IDS{};
struct IDK_Prefix : RecordPrefix<IDKategorija_Rec, Tbl::IDKategorija> {
    enum Key : int { VEL_KEYS_IDKategorija(VEL_KEYENUM) };
};
inline constexpr IDK_Prefix IDK{};
struct UDK_Prefix : RecordPrefix<UDKategorija_Rec, Tbl::UDKategorija> {
    enum Key : int { VEL_KEYS_UDKategorija(VEL_KEYENUM) };
};
inline constexpr UDK_Prefix UDK{};
struct UD_Prefix : RecordPrefix<UDokumenti_Rec, Tbl::UDokumenti> {
    enum Key : int { VEL_KEYS_UDokumenti(VEL_KEYENUM) };
};
inline constexpr UD_Prefix UD{};
struct PR_Prefix : RecordPrefix<PrihodiRashodi_Rec, Tbl::PrihodiRashodi> {
    enum Key : int { VEL_KEYS_PrihodiRashodi(VEL_KEYENUM) };
};
inline constexpr PR_Prefix PR{};
struct PRK_Prefix : RecordPrefix<PrihodiRashodiKategorija_Rec, Tbl::PrihodiRashodiKategorija> {
    enum Key : int { VEL_KEYS_PrihodiRashodiKategorija(VEL_KEYENUM) };
};
inline constexpr PRK_Prefix PRK{};
struct PRU_Prefix : RecordPrefix<ProizvodUsluga_Rec, Tbl::ProizvodUsluga> {
    enum Key : int { VEL_KEYS_ProizvodUsluga(VEL_KEYENUM) };
};
inline constexpr PRU_Prefix PRU{};
struct EMA_Prefix : RecordPrefix<EMAIL_Rec, Tbl::AEMAIL> {
    enum Key : int { VEL_KEYS_EMAIL(VEL_KEYENUM) };
};
inline constexpr EMA_Prefix EMA{};
struct ATTA_Prefix : RecordPrefix<EMAILATTACH_Rec, Tbl::AEMAILATTACH> {
    enum Key : int { VEL_KEYS_EMAILATTACH(VEL_KEYENUM) };
};
inline constexpr ATTA_Prefix ATTA{};
struct CONGA_Prefix : RecordPrefix<CON_Group_Rec, Tbl::ACON_GrupaAlias> {
    enum Key : int { VEL_KEYS_CON_Group(VEL_KEYENUM) };
};
inline constexpr CONGA_Prefix CONGA{};
struct ACON_Prefix : RecordPrefix<CON_Contacts_Rec, Tbl::ACON_ContactsAlias> {
    enum Key : int { VEL_KEYS_CON_Contacts(VEL_KEYENUM) };
};
inline constexpr ACON_Prefix ACON{};
struct INBA_Prefix : RecordPrefix<Inbox_Rec, Tbl::AInbox> {
    enum Key : int { VEL_KEYS_Inbox(VEL_KEYENUM) };
};
inline constexpr INBA_Prefix INBA{};
inline constexpr INBA_Prefix Inba{};
struct AACC_Prefix : RecordPrefix<Accounts_Rec, Tbl::AAccounts> {
    enum Key : int { VEL_KEYS_Accounts(VEL_KEYENUM) };
};
inline constexpr AACC_Prefix AACC{};
struct ACALC_Prefix : RecordPrefix<CAL_EventCategories_Rec, Tbl::ACAL_EventCategories> {
    enum Key : int { VEL_KEYS_CAL_EventCategories(VEL_KEYENUM) };
};
inline constexpr ACALC_Prefix ACALC{};
struct ACAL_Prefix : RecordPrefix<CAL_CalendarEvents_Rec, Tbl::ACAL_CalendarEvents> {
    enum Key : int { VEL_KEYS_CAL_CalendarEvents(VEL_KEYENUM) };
};
inline constexpr ACAL_Prefix ACAL{};
struct APRK_Prefix : RecordPrefix<PrihodiRashodiKategorija_Rec, Tbl::APrihodiRashodiKategorija> {
    enum Key : int { VEL_KEYS_PrihodiRashodiKategorija(VEL_KEYENUM) };
};
inline constexpr APRK_Prefix APRK{};
struct APR_Prefix : RecordPrefix<PrihodiRashodi_Rec, Tbl::APrihodiRashodi> {
    enum Key : int { VEL_KEYS_PrihodiRashodi(VEL_KEYENUM) };
};
inline constexpr APR_Prefix APR{};
struct AID_Prefix : RecordPrefix<IDokumenti_Rec, Tbl::AIDokumenti> {
    enum Key : int { VEL_KEYS_IDokumenti(VEL_KEYENUM) };
};
inline constexpr AID_Prefix AID{};
struct AIDS_Prefix : RecordPrefix<IDStavke_Rec, Tbl::AIDStavke> {
    enum Key : int { VEL_KEYS_IDStavke(VEL_KEYENUM) };
};
inline constexpr AIDS_Prefix AIDS{};

namespace FILENAME {
extern vrt::NameVar CAL_EVENTCATEGORIES; // FILE:CAL_EVENTCATEGORIES
extern vrt::NameVar EMAIL; // FILE:EMAIL
extern vrt::NameVar EMAILATTACH; // FILE:EMAILATTACH
extern vrt::NameVar CON_GROUP; // FILE:CON_GROUP
extern vrt::NameVar CON_CONTACTS; // FILE:CON_CONTACTS
extern vrt::NameVar INBOX; // FILE:INBOX
extern vrt::NameVar ACCOUNTS; // FILE:ACCOUNTS
extern vrt::NameVar SQL_FILE; // FILE:SQL_FILE
extern vrt::NameVar CAL_CALENDAREVENTS; // FILE:CAL_CALENDAREVENTS
extern vrt::NameVar PRIHODIRASHODIKATEGORIJA; // FILE:PRIHODIRASHODIKATEGORIJA
extern vrt::NameVar PRIHODIRASHODI; // FILE:PRIHODIRASHODI
extern vrt::NameVar UDKATEGORIJA; // FILE:UDKATEGORIJA
extern vrt::NameVar UDOKUMENTI; // FILE:UDOKUMENTI
extern vrt::NameVar IDKATEGORIJA; // FILE:IDKATEGORIJA
extern vrt::NameVar IDOKUMENTI; // FILE:IDOKUMENTI
extern vrt::NameVar IDSTAVKE; // FILE:IDSTAVKE
extern vrt::NameVar PROIZVODUSLUGA; // FILE:PROIZVODUSLUGA
extern vrt::NameVar DNEVNIK; // FILE:DNEVNIK
extern vrt::NameVar PASSWORDS; // FILE:PASSWORDS
extern vrt::NameVar PASSWORDSKATEGORIJA; // FILE:PASSWORDSKATEGORIJA
extern vrt::NameVar NOTES; // FILE:NOTES
extern vrt::NameVar BACKUP; // FILE:BACKUP
} // namespace FILENAME

namespace corvalde {
// The name variable of a declaration (an alias shares its table's); null for the one table
// whose name is a constant.
vrt::NameVar* nameVariable(Tbl slot);
} // namespace corvalde
