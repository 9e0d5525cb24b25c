#pragma once

// The dictionary as data. VEL_TABLES and VEL_ALIASES give the slots in the order every thread
// makes its managers (tables first, then aliases); the enum `Tbl`, the record structs, the
// prefix objects, the labels, the name variables and the descriptors all come from them, and
// the lists below them give each table's fields and keys, one line each.
//
// T(label, prefix, stored name, name variable, key prefix when spelt differently)
//   record struct `<label>_Rec`, fields `VEL_FIELDS_<label>`, keys `VEL_KEYS_<label>`,
//   prefix object `<prefix>` of type `<prefix>_Prefix`; the name variable is
//   (FILENAME::name, capacity), or () where the stored name is fixed.
#define VEL_TABLES(T) \
    T(CAL_EventCategories, CALC, "CAL_EVENTCATEGORIES", (CAL_EVENTCATEGORIES, 212)) \
    T(EMAIL, EM, "EMAIL", (EMAIL, 255)) \
    T(EMAILATTACH, ATT, "EMAILATTACH", (EMAILATTACH, 255)) \
    T(CON_Group, CONG, "CON_GROUP", (CON_GROUP, 100)) \
    T(CON_Contacts, CON, "CON_CONTACTS", (CON_CONTACTS, 100)) \
    T(Inbox, INB, "INBOX", (INBOX, 255), Inb) \
    T(Accounts, ACC, "ACCOUNTS", (ACCOUNTS, 255)) \
    T(SQL_File, SQL, "SQL_FILE", (SQL_FILE, 100)) \
    T(CAL_CalendarEvents, CAL, "CAL_CALENDAREVENTS", (CAL_CALENDAREVENTS, 244)) \
    T(CalendarRecurrencePatterns, CALR, "CalendarRecurrencePatterns", (), CalR) \
    T(PrihodiRashodiKategorija, PRK, "PRIHODIRASHODIKATEGORIJA", (PRIHODIRASHODIKATEGORIJA, 255)) \
    T(PrihodiRashodi, PR, "PRIHODIRASHODI", (PRIHODIRASHODI, 255)) \
    T(UDKategorija, UDK, "UDKategorija", (UDKATEGORIJA, 100)) \
    T(UDokumenti, UD, "UDokumenti", (UDOKUMENTI, 100)) \
    T(IDKategorija, IDK, "IDKategorija", (IDKATEGORIJA, 255)) \
    T(IDokumenti, ID, "IDokumenti", (IDOKUMENTI, 100)) \
    T(IDStavke, IDS, "IDStavke", (IDSTAVKE, 100)) \
    T(ProizvodUsluga, PRU, "ProizvodUsluga", (PROIZVODUSLUGA, 100)) \
    T(Dnevnik, DNE, "Dnevnik", (DNEVNIK, 100)) \
    T(Passwords, PAS, "Passwords", (PASSWORDS, 100)) \
    T(PasswordsKategorija, PASK, "PasswordsKategorija", (PASSWORDSKATEGORIJA, 100)) \
    T(Notes, NOTE, "Notes", (NOTES, 100)) \
    T(Backup, BKP, "Backup", (BACKUP, 100)) \

// A(label, prefix, table, key prefix when spelt differently): a second cursor on a table,
// with the table's record layout, keys and name variable and no relations of its own.
#define VEL_ALIASES(A) \
    A(AEMAIL, EMA, EMAIL) \
    A(AEMAILATTACH, ATTA, EMAILATTACH) \
    A(ACON_GrupaAlias, CONGA, CON_Group) \
    A(ACON_ContactsAlias, ACON, CON_Contacts) \
    A(AInbox, INBA, Inbox, Inba) \
    A(AAccounts, AACC, Accounts) \
    A(ACAL_EventCategories, ACALC, CAL_EventCategories) \
    A(ACAL_CalendarEvents, ACAL, CAL_CalendarEvents) \
    A(APrihodiRashodiKategorija, APRK, PrihodiRashodiKategorija) \
    A(APrihodiRashodi, APR, PrihodiRashodi) \
    A(AIDokumenti, AID, IDokumenti) \
    A(AIDStavke, AIDS, IDStavke) \

// R(parent, child, child's key, parent's field, child's field): deleting a parent row deletes
// its children; in registration order.
#define VEL_RELATIONS(R) \
    R(Accounts, Inbox, AccountIDKey, ID, ACCOUNTID) \
    R(Inbox, EMAIL, InboxIDKey, ID, INBOXID) \
    R(CON_Contacts, Dnevnik, Kontakti, ID, KONTAKTID) \
    R(CON_Contacts, Notes, Kontakti, ID, KONTAKTID) \
    R(CON_Group, CON_Contacts, GrupaIDKey, ID, GRUPAID) \
    R(PasswordsKategorija, Passwords, KategorijaKey, ID, KATEGORIJAID) \
    R(IDokumenti, IDStavke, Dokumenti, ID, DOKUMENTID) \
    R(IDKategorija, IDokumenti, KategorijaIDKey, ID, KATEGORIJAID) \
    R(UDKategorija, UDokumenti, KategorijaIDKey, ID, KATEGORIJAID) \
    R(PrihodiRashodiKategorija, PrihodiRashodi, Kategorije, ID, KATEGORIJAID) \

// A key prefix is the prefix unless the row spells it differently.
#define VEL_FIRST_(first, ...) first
#define VEL_KEY_PREFIX(prefix, ...) VEL_FIRST_(__VA_ARGS__ __VA_OPT__(, ) prefix)

// The table declarations, one line per field and key.

#define VEL_FIELDS_EMAIL(F) \
    F(ID, Long, 4) \
    F(SUBJECT, Text, 255) \
    F(INBOXID, Long, 4) \
    F(BODY, Text, 8000) \
    F(SENDER, Text, 255) \
    F(TOO, Text, 255) \
    F(TOADDR, Text, 255) \
    F(TONAME, Text, 255) \
    F(CC, Text, 255) \
    F(CCADDR, Text, 255) \
    F(CCNAME, Text, 255) \
    F(BCC, Text, 255) \
    F(BCCADDR, Text, 255) \
    F(BCCNAME, Text, 255) \
    F(REPLYTO, Text, 100) \
    F(DATUM, Date, 4) \
    F(VRIJEME, Time, 4) \
    F(READCONFIRMATION, Byte, 1) \
    F(MESSAGEID, Text, 100) \
    F(PRIORITYLEVEL, Long, 4) \
    F(SIZE_DECIMAL, Decimal, 30) \
    F(CHARSET, Text, 50) \
    F(READ, Byte, 1) \
    F(JUNKDOMAIN, Text, 255) \

#define VEL_KEYS_EMAIL(K) \
    K(IDKey, "ID", true, true, 1) \
    K(MessageIDKey, "MESSAGEID", true, false, 0) \
    K(DateKeyReverse, "-DATUM,-VRIJEME", false, false, 0) \
    K(SenderKey, "SENDER", false, false, 0) \
    K(InboxIDKey, "INBOXID", false, false, 0) \
    K(DateKey, "DATUM,VRIJEME", false, false, 0) \
    K(ReplyToKey, "REPLYTO", false, false, 0) \
    K(JunkDomainKey, "JUNKDOMAIN", false, false, 0) \

// Keys over identifiers that come from elsewhere (a POP3 server's unique ids, a mail part's
// Content-ID): their text compares exactly, so ids that differ only in case are different.
#define VEL_EXACT_KEYS(X) \
    X(EMAIL, MessageIDKey) \
    X(EMAILATTACH, ContentIDKey) \

// Indexes for speed alone (table, name, column, and the column and value of the rows held).
// A folder's unread count is asked at every start and after every change of the mail list.
#define VEL_SPEED_INDEXES(X) \
    X(EMAIL, UnreadKey, INBOXID, READ, 0) \

#define VEL_FIELDS_EMAILATTACH(F) \
    F(ID, Long, 4) \
    F(IDEMAIL, Long, 4) \
    F(NAZIV, Text, 255) \
    F(VELICINA_DECIMAL, Decimal, 30) \
    F(CONTENTID, Text, 100) \

#define VEL_KEYS_EMAILATTACH(K) \
    K(IDKey, "ID", true, true, 1) \
    K(IDEmailKey, "IDEMAIL", false, false, 0) \
    K(ContentIDKey, "CONTENTID", false, false, 0) \

#define VEL_FIELDS_Accounts(F) \
    F(ID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(IMEPREZIME, Text, 255) \
    F(EMAIL, Text, 100) \
    F(POPHOSTNAME, Text, 255) \
    F(POPUSERNAME, Text, 255) \
    F(POPPASSWORD, Text, 255) \
    F(POPPORT, Text, 20) \
    F(POPSSL, Text, 20) \
    F(SMTPHOST, Text, 255) \
    F(SMTPPASSWORD, Text, 100) \
    F(SMTPPORT, Text, 20) \
    F(SMTPSSL, Text, 20) \
    F(SMTPUSERNAME, Text, 255) \
    F(DEFAULT, Byte, 1) \
    F(POTPISNOVI, Text, 255) \
    F(POTPISREPLY, Text, 255) \

#define VEL_KEYS_Accounts(K) \
    K(IDKey, "ID", true, true, 1) \
    K(NaziviKey, "NAZIV", false, false, 0) \
    K(ImePrezimeKey, "IMEPREZIME", false, false, 0) \
    K(EmailKey, "EMAIL", false, false, 0) \

#define VEL_FIELDS_Inbox(F) \
    F(ID, Long, 4) \
    F(ACCOUNTID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(ENNAZIV, Text, 100) \
    F(TATAID, Long, 4) \
    F(NAPOMENA, Text, 8000) \
    F(UNREADEDMESSAGES, Long, 4) \
    F(REDOSLIJED, Long, 4) \

#define VEL_KEYS_Inbox(K) \
    K(IDKey, "ID", true, true, 1) \
    K(NaziviKey, "NAZIV", false, false, 0) \
    K(TateKey, "TATAID", false, false, 0) \
    K(AccountIDKey, "ACCOUNTID", false, false, 0) \
    K(AccNameKey, "ACCOUNTID,ENNAZIV", false, false, 0) \
    K(Redoslijedi, "REDOSLIJED", false, false, 1) \

#define VEL_FIELDS_SQL_File(F) \
    F(F1, Text, 255) \
    F(F2, Text, 255) \
    F(F3, Text, 255) \
    F(F4, Text, 255) \
    F(F5, Text, 255) \
    F(F6, Text, 255) \
    F(F7, Text, 255) \
    F(F8, Text, 255) \
    F(F9, Text, 255) \
    F(F10, Text, 255) \
    F(F11, Text, 255) \
    F(F12, Text, 255) \
    F(F13, Text, 255) \
    F(F14, Text, 255) \
    F(F15, Text, 255) \
    F(F16, Text, 255) \
    F(F17, Text, 255) \
    F(F18, Text, 255) \
    F(F19, Text, 255) \
    F(F20, Text, 255) \
    F(F21, Text, 255) \
    F(F22, Text, 255) \
    F(F23, Text, 255) \
    F(F24, Text, 255) \
    F(F25, Text, 255) \

#define VEL_KEYS_SQL_File(K) \

#define VEL_FIELDS_CON_Contacts(F) \
    F(ID, Long, 4) \
    F(GRUPAID, Long, 4) \
    F(PREZIME, Text, 255) \
    F(SREDNJEIME, Text, 255) \
    F(IME, Text, 255) \
    F(ADRESA1, Text, 255) \
    F(ADRESA2, Text, 255) \
    F(POSTBROJ, Text, 20) \
    F(GRAD, Text, 100) \
    F(DRZAVA, Text, 100) \
    F(EMAIL, Text, 255) \
    F(EMAIL2, Text, 255) \
    F(WEB, Text, 255) \
    F(PHONE1, Text, 50) \
    F(PHONE2, Text, 50) \
    F(PHONE3, Text, 50) \
    F(NAPOMENA, Text, 8000) \
    F(TVRTKA, Text, 255) \
    F(POREZNIBROJ, Text, 50) \
    F(MATICNIBROJ, Text, 50) \
    F(TADRESA1, Text, 200) \
    F(TADRESA2, Text, 200) \
    F(TPOSTBROJ, Text, 20) \
    F(TGRAD, Text, 100) \
    F(TPHONE1, Text, 20) \
    F(TPHONE2, Text, 20) \
    F(TPHONE3, Text, 20) \
    F(TWEB, Text, 100) \
    F(TEMAIL, Text, 100) \
    F(TDRZAVA, Text, 100) \

#define VEL_KEYS_CON_Contacts(K) \
    K(IDKey, "ID", true, true, 1) \
    K(GrupaIDKey, "GRUPAID", false, false, 0) \
    K(PrezimeKey, "PREZIME", false, false, 0) \
    K(EmailKey, "EMAIL", false, false, 0) \
    K(EmalTvrtkaKey, "TEMAIL", false, false, 0) \

#define VEL_FIELDS_CON_Group(F) \
    F(ID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(TATAID, Long, 4) \
    F(NAPOMENA, Text, 8000) \
    F(REDOSLIJED, Long, 4) \

#define VEL_KEYS_CON_Group(K) \
    K(IDKey, "ID", true, true, 1) \
    K(TateKey, "TATAID", false, false, 0) \
    K(NaziviKey, "NAZIV", false, false, 0) \
    K(Redoslijedi, "REDOSLIJED", false, false, 1) \

#define VEL_FIELDS_CAL_CalendarEvents(F) \
    F(EVENTID, Long, 4) \
    F(PARTNERID, Long, 4) \
    F(STATUS, Long, 4) \
    F(STARTDATETIME, DateTime, 8) \
    F(ENDDATETIME, DateTime, 8) \
    F(RECURRENCESTATE, Long, 4) \
    F(SUBJECT, Text, 256) \
    F(LOCATION, Text, 256) \
    F(BODY, Text, 8000) \
    F(BUSYSTATUS, Long, 4) \
    F(IMPORTANCELEVEL, Long, 4) \
    F(LABELID, Long, 4) \
    F(SCHEDULEID, Long, 4) \
    F(RECURRENCEPATTERNID, Long, 4) \
    F(ISRECURRENCEEXCEPTIONDELETED, Long, 4) \
    F(REXCEPTIONSTARTTIMEORIG, DateTime, 8) \
    F(REXCEPTIONENDTIMEORIG, DateTime, 8) \
    F(ISALLDAYEVENT, Long, 4) \
    F(ISMEETING, Long, 4) \
    F(ISPRIVATE, Long, 4) \
    F(ISREMINDER, Long, 4) \
    F(REMINDERMINUTESBEFORESTART, Long, 4) \
    F(REMAINDERSOUNDFILE, Text, 256) \
    F(CREATED, DateTime, 8) \
    F(MODIFIED, DateTime, 8) \

#define VEL_KEYS_CAL_CalendarEvents(K) \
    K(PK_CalendarEvents, "EVENTID", true, true, 1) \
    K(Labels, "LABELID", false, false, 0) \
    K(Partneri, "PARTNERID", false, false, 0) \
    K(Datumi, "-STARTDATETIME_DATE", false, false, 0) \

#define VEL_FIELDS_CAL_EventCategories(F) \
    F(ID, Long, 4) \
    F(CATEGORIENAME, Text, 100) \
    F(CATEGORIECOLOR, Long, 4) \
    F(ORDER, Long, 4) \

#define VEL_KEYS_CAL_EventCategories(K) \
    K(CategorieIDKey, "ID", true, true, 1) \
    K(CategorieNameKey, "CATEGORIENAME", false, false, 0) \
    K(OrderKey, "ORDER", false, false, 0) \

#define VEL_FIELDS_CalendarRecurrencePatterns(F) \
    F(RECURRENCEPATTERNID, Long, 4) \
    F(MASTEREVENTID, Long, 4) \
    F(PATTERNSTARTDATE, DateTime, 8) \
    F(PATTERNENDMETHOD, Long, 4) \
    F(PATTERNENDDATE, DateTime, 8) \
    F(PATTERNENDAFTEROCCURRENCES, Long, 4) \
    F(EVENTSTARTTIME, DateTime, 8) \
    F(EVENTDURATION, Long, 4) \
    F(OPTIONSDATA1, Long, 4) \
    F(OPTIONSDATA2, Long, 4) \
    F(OPTIONSDATA3, Long, 4) \
    F(OPTIONSDATA4, Long, 4) \

#define VEL_KEYS_CalendarRecurrencePatterns(K) \
    K(PK_CalendarRecurrencePatterns, "RECURRENCEPATTERNID", true, true, 1) \

// Notes and the diary share their layout but for the note's status.
#define VEL_NOTE_HEAD(F) \
    F(ID, Long, 4) \
    F(KONTAKTID, Long, 4) \
    F(DATUM, Date, 4) \
    F(VRIJEME, Time, 4) \
    F(NASLOV, Text, 255) \
    F(OPIS, Text, 255)

#define VEL_FIELDS_Notes(F) \
    VEL_NOTE_HEAD(F) \
    F(STATUS, Byte, 1) \
    F(NAPOMENA, Text, 8000)

#define VEL_KEYS_Notes(K) \
    K(IDKey, "ID", true, true, 1) \
    K(Kontakti, "KONTAKTID", false, false, 0) \
    K(Datumi, "-DATUM,-VRIJEME", false, false, 0) \

#define VEL_FIELDS_Dnevnik(F) \
    VEL_NOTE_HEAD(F) \
    F(NAPOMENA, Text, 8000)

#define VEL_KEYS_Dnevnik(K) VEL_KEYS_Notes(K)

#define VEL_FIELDS_Passwords(F) \
    F(ID, Long, 4) \
    F(KATEGORIJAID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(LOGIN, Text, 255) \
    F(PASSWORD, Text, 255) \
    F(LOKACIJA, Text, 255) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_Passwords(K) \
    K(IDKey, "ID", true, true, 1) \
    K(KategorijaKey, "KATEGORIJAID", false, false, 0) \

#define VEL_FIELDS_PasswordsKategorija(F) \
    F(ID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_PasswordsKategorija(K) \
    K(IDKey, "ID", true, true, 1) \

#define VEL_FIELDS_Backup(F) \
    F(ID, Long, 4) \
    F(PUTANJA, Text, 500) \

#define VEL_KEYS_Backup(K) \
    K(IDKey, "ID", true, true, 1) \

#define VEL_FIELDS_IDokumenti(F) \
    F(ID, Long, 4) \
    F(KATEGORIJAID, Long, 4) \
    F(RBR, Long, 4) \
    F(UKLJUCIFIN, Byte, 1) \
    F(KUPACID, Long, 4) \
    F(BROJDOKUMENTA, Text, 50) \
    F(ROKPLACANJA, Long, 4) \
    F(NACINPLACANJA, Text, 50) \
    F(NACINOTPREME, Text, 255) \
    F(DATUM, Date, 4) \
    F(IZNOS_DECIMAL, Decimal, 30) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_IDokumenti(K) \
    K(IDKey, "ID", true, true, 1) \
    K(KategorijaIDKey, "KATEGORIJAID", false, false, 0) \
    K(Kupci, "KUPACID", false, false, 0) \
    K(Datumi, "-DATUM", false, false, 0) \
    K(RedniBrojevi, "KATEGORIJAID,RBR", false, false, 2) \

#define VEL_FIELDS_IDStavke(F) \
    F(ID, Long, 4) \
    F(DOKUMENTID, Long, 4) \
    F(KATEGORIJAID, Long, 4) \
    F(RBR, Long, 4) \
    F(PROIZVODUSLUGAID, Long, 4) \
    F(KOLICINA_DECIMAL, Decimal, 20) \
    F(CIJENA_DECIMAL, Decimal, 20) \
    F(RABAT_JED_DECIMAL, Decimal, 20) \
    F(RABAT_POST_DECIMAL, Decimal, 20) \
    F(POREZ_STOPA_DECIMAL, Decimal, 21) \
    F(POREZ_IZNOS_DECIMAL, Decimal, 21) \
    F(IZNOS_DECIMAL, Decimal, 20) \
    F(IZNOS_SPDVOM_DECIMAL, Decimal, 20) \

#define VEL_KEYS_IDStavke(K) \
    K(IDKey, "ID", true, true, 1) \
    K(Dokumenti, "DOKUMENTID,RBR", false, false, 2) \
    K(Proizvodi, "PROIZVODUSLUGAID", false, false, 0) \
    K(Kategorije, "KATEGORIJAID,DOKUMENTID,RBR", false, false, 0) \

#define VEL_FIELDS_IDKategorija(F) \
    F(ID, Long, 4) \
    F(TATAID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(REDOSLIJED, Long, 4) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_IDKategorija(K) \
    K(IDKey, "ID", true, true, 1) \
    K(TataIDKey, "TATAID", false, false, 0) \
    K(Nazivi, "NAZIV", false, false, 0) \
    K(Redoslijedi, "REDOSLIJED", false, false, 1) \

// The incoming documents' categories have the outgoing ones' layout.
#define VEL_FIELDS_UDKategorija(F) VEL_FIELDS_IDKategorija(F)

// The incoming documents' categories have the outgoing ones' layout.
#define VEL_KEYS_UDKategorija(K) VEL_KEYS_IDKategorija(K)

#define VEL_FIELDS_UDokumenti(F) \
    F(ID, Long, 4) \
    F(KATEGORIJAID, Long, 4) \
    F(UKLJUCIFIN, Byte, 1) \
    F(RBR, Long, 4) \
    F(DOBAVLJACID, Long, 4) \
    F(BROJDOKUMENTA, Text, 255) \
    F(DATUM, Date, 4) \
    F(IZNOS_DECIMAL, Decimal, 30) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_UDokumenti(K) \
    K(IDKey, "ID", true, true, 1) \
    K(KategorijaIDKey, "KATEGORIJAID", false, false, 0) \
    K(Dobavljaci, "DOBAVLJACID", false, false, 0) \
    K(Datumi, "-DATUM", false, false, 0) \
    K(RedniBrojevi, "KATEGORIJAID,RBR", false, false, 2) \

#define VEL_FIELDS_PrihodiRashodi(F) \
    F(ID, Long, 4) \
    F(KATEGORIJAID, Long, 4) \
    F(DATUM, Date, 4) \
    F(NAZIV, Text, 255) \
    F(TIPID, Long, 4) \
    F(IZNOS_DECIMAL, Decimal, 30) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_PrihodiRashodi(K) \
    K(IDKey, "ID", true, true, 1) \
    K(Kategorije, "KATEGORIJAID", false, false, 0) \
    K(Datumi, "-DATUM", false, false, 0) \
    K(Tipovi, "TIPID", false, false, 0) \

#define VEL_FIELDS_PrihodiRashodiKategorija(F) \
    F(ID, Long, 4) \
    F(TATAID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(NAPOMENA, Text, 8000) \
    F(REDOSLIJED, Long, 4) \
    F(TIP, Byte, 1) \

#define VEL_KEYS_PrihodiRashodiKategorija(K) \
    K(IDKey, "ID", true, true, 1) \
    K(TataIDKey, "TATAID", false, false, 0) \
    K(Nazivi, "NAZIV", false, false, 0) \
    K(Redoslijedi, "REDOSLIJED", false, false, 1) \
    K(Tipovi, "TIP", false, false, 0) \

#define VEL_FIELDS_ProizvodUsluga(F) \
    F(ID, Long, 4) \
    F(NAZIV, Text, 255) \
    F(JM, Text, 20) \
    F(NAPOMENA, Text, 8000) \

#define VEL_KEYS_ProizvodUsluga(K) \
    K(IDKey, "ID", true, true, 1) \
    K(Nazivi, "NAZIV", true, false, 0) \

