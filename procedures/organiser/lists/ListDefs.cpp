#include "procedures/organiser/lists/ListDefs.h"

#include <QLocale>

#include "procedures/common/VelmoraDll.h"
#include "runtime/Decimal.h"

namespace organiser {

namespace {

using S = Show;

ListColumn col(const char* header, int width, const char* field, Show show = S::Text, bool right = false)
{
    ListColumn c{header, width, field, show};
    c.right = right;
    return c;
}
ListColumn styled(ListColumn c)
{
    c.styled = true;
    return c;
}
ListColumn plain(ListColumn c)
{
    c.coloured = false;
    return c;
}
ListColumn icon(ListColumn c)
{
    c.icon = true;
    return c;
}
ListColumn chars(ListColumn c, int n)
{
    c.chars = n;
    return c;
}

std::vector<ListDef> makeLists()
{
    std::vector<ListDef> v;
    // Mail.
    v.push_back({"W_First.EmailBrowse", ctl::Email, "?L:Email", Tbl::EMAIL, "EM", {}, "+EM:INBOXID,+EM:ID",
                 "EM:INBOXID", "EM:INBOXID", 0, RowFill::Mail, true, "EM:ID",
                 {col("", 0, "EM:PRIORITYLEVEL", S::Integer), styled(chars(col("Šalje", 120, "EM:SENDER"), 99)),
                  styled(col("Prima", 0, "EM:TOO")), styled(chars(col("Naslov", 120, "EM:SUBJECT"), 99)),
                  styled(col("Vrijeme", 105, "LC:VRIJEME", S::Text, true)),
                  styled(col("Veličina", 54, "EM:SIZE_DECIMAL", S::Text, true)), col("ID", 0, "EM:ID", S::Integer),
                  col("", 0, "EM:INBOXID", S::Integer), col("Read Confirmation", 0, "EM:READCONFIRMATION", S::Integer),
                  chars(col("Message ID", 0, "EM:MESSAGEID"), 99), col("Read", 0, "EM:READ", S::Integer),
                  styled(col("Datum", 0, "EM:DATUM", S::Date)), styled(col("Vrijeme", 0, "EM:VRIJEME", S::Time))},
                 true});
    // Address book.
    v.push_back({"W_First.ContactsBrowse", ctl::Kontakti, "?L:Kontakti", Tbl::CON_Contacts, "CON", {},
                 "+CON:GRUPAID,+CON:ID", "CON:GRUPAID", "CON:GRUPAID", 1, RowFill::Contacts, true, "CON:ID",
                 {col("Prezime i ime", 134, "LC:FIRSTLAST"), col("Adresa 1", 0, "CON:ADRESA1"),
                  col("Adresa 2", 0, "CON:ADRESA2"), col("Poštanski broj", 0, "CON:POSTBROJ"), col("Grad", 0, "CON:GRAD"),
                  col("Država", 0, "CON:DRZAVA"), col("Email", 111, "CON:EMAIL"), col("Email 2", 0, "CON:EMAIL2"),
                  col("Web", 111, "CON:WEB"), col("Telefon1", 100, "CON:PHONE1"), col("Telefon2", 100, "CON:PHONE2"),
                  col("Tvrtka", 111, "CON:TVRTKA"), col("Tvrtka telefon", 100, "CON:TPHONE1"),
                  col("Napomena", 150, "CON:NAPOMENA"), col("ID", 0, "CON:ID", S::Integer),
                  col("Grupa ID", 0, "CON:GRUPAID", S::Integer), col("Prezime", 0, "CON:PREZIME"),
                  col("Srednje Ime", 0, "CON:SREDNJEIME"), col("Ime", 0, "CON:IME"), col("TE mail", 0, "CON:TEMAIL")}});
    // Task categories: the colour column shows only its colour.
    v.push_back({"W_First.TaskCategoriesBrowse", ctl::TaskCategory, "?L:TaskCategory", Tbl::CAL_EventCategories,
                 "CALC", {}, "+CALC:ORDER,+CALC:ID", "", "CALC:ORDER", 2, RowFill::TaskCategories, false, "",
                 {plain(chars(col("Naziv", 111, "CALC:CATEGORIENAME"), 99)), col("", 60, "CALC:CATEGORIECOLOR", S::Integer),
                  plain(col("ORDER", 0, "CALC:ORDER", S::Integer)), plain(col("ID", 0, "CALC:ID", S::Integer))}});
    // Tasks.
    v.push_back({"W_First.TasksBrowse", ctl::Zadaci, "?L:Zadaci", Tbl::CAL_CalendarEvents, "CAL",
                 {{Tbl::ACON_ContactsAlias, "ACON", "ID=PARTNERID"}}, "-CAL:STARTDATETIME_DATE,+CAL:EVENTID", "",
                 "CAL:STARTDATETIME_DATE", 3, RowFill::Tasks, false, "CAL:EVENTID",
                 {icon(col("", 14, "CAL:STATUS", S::Integer)), icon(col("", 14, "CAL:IMPORTANCELEVEL", S::Integer)),
                  styled(col("Početak", 52, "CAL:STARTDATETIME_DATE", S::Date)),
                  styled(col("", 40, "CAL:STARTDATETIME_TIME", S::Time)),
                  styled(col("Završetak", 52, "CAL:ENDDATETIME_DATE", S::Date)),
                  styled(col("", 40, "CAL:ENDDATETIME_TIME", S::Time)), styled(col("Naslov", 130, "CAL:SUBJECT")),
                  styled(col("Lokacija", 130, "CAL:LOCATION")), styled(chars(col("Opis", 160, "CAL:BODY"), 255)),
                  styled(col("Tvrtka", 121, "ACON:TVRTKA")), styled(col("Prezime", 80, "ACON:PREZIME")),
                  styled(col("Ime", 100, "ACON:IME")), plain(col("EventID", 99, "CAL:EVENTID", S::Integer)),
                  plain(col("BusyStatus", 0, "CAL:BUSYSTATUS", S::Integer)), plain(col("LabelID", 0, "CAL:LABELID", S::Integer)),
                  plain(col("ScheduleID", 0, "CAL:SCHEDULEID", S::Integer)),
                  plain(col("RecurrencePatternID", 0, "CAL:RECURRENCEPATTERNID", S::Integer)),
                  plain(col("IsAllDayEvent", 0, "CAL:ISALLDAYEVENT", S::Integer)),
                  plain(col("IsMeeting", 0, "CAL:ISMEETING", S::Integer)), plain(col("IsPrivate", 0, "CAL:ISPRIVATE", S::Integer)),
                  plain(col("IsReminder", 0, "CAL:ISREMINDER", S::Integer)), plain(col("Partner", 0, "CAL:PARTNERID", S::Integer)),
                  col("ID", 0, "ACON:ID", S::Integer)}});
    // Income and expenses.
    v.push_back({"W_First.IncomeExpensesBrowse", ctl::Pr, "?L:Pr", Tbl::PrihodiRashodi, "PR", {}, "-PR:DATUM,+PR:ID", "",
                 "PR:DATUM", 4, RowFill::Plain, true, "PR:ID",
                 {col("Datum", 52, "PR:DATUM", S::Date, true), col("Naziv", 300, "PR:NAZIV"),
                  col("Iznos", 54, "PR:IZNOS_DECIMAL", S::Amount, true), col("Napomena", 250, "PR:NAPOMENA"),
                  col("ID", 0, "PR:ID", S::Integer), col("Kategorija ID", 0, "PR:KATEGORIJAID", S::Integer),
                  col("Tip ID", 0, "PR:TIPID", S::Integer)}});
    // Outgoing categories and documents, items.
    v.push_back({"W_First.OutgoingCategoriesBrowse", ctl::IDK, "?L:IDK", Tbl::IDKategorija, "IDK", {}, "+IDK:ID", "",
                 "IDK:ID", 5, RowFill::Plain, true, "IDK:ID",
                 {col("Tata ID", 0, "IDK:TATAID", S::Integer), col("Tip dokumenta", 250, "IDK:NAZIV"),
                  col("Redoslijed", 0, "IDK:REDOSLIJED", S::Integer), col("ID", 0, "IDK:ID", S::Integer),
                  col("Napomena", 0, "IDK:NAPOMENA")}});
    v.push_back({"W_First.OutgoingDocumentsBrowse", ctl::ID, "?L:ID", Tbl::IDokumenti, "ID",
                 {{Tbl::CON_Contacts, "CON", "ID=KUPACID"}}, "+ID:KATEGORIJAID,+ID:ID", "ID:KATEGORIJAID",
                 "ID:KATEGORIJAID", 6, RowFill::Plain, true, "ID:ID",
                 {col("Datum", 56, "ID:DATUM", S::Date), col("Tvrtka", 301, "CON:TVRTKA"),
                  chars(col("Oznaka dokumenta", 80, "ID:BROJDOKUMENTA"), 49),
                  col("Iznos", 66, "ID:IZNOS_DECIMAL", S::Amount, true), col("Napomena", 1020, "ID:NAPOMENA"),
                  col("ID", 0, "ID:ID", S::Integer), col("Kategorija ID", 0, "ID:KATEGORIJAID", S::Integer),
                  col("Kupac ID", 0, "ID:KUPACID", S::Integer), col("ID", 60, "CON:ID", S::Integer)}});
    v.push_back({"W_First.IncomingCategoriesBrowse", ctl::UDK, "?L:UDK", Tbl::UDKategorija, "UDK", {}, "+UDK:ID", "",
                 "UDK:ID", 9, RowFill::Plain, true, "UDK:ID",
                 {col("Kategorije", 1016, "UDK:NAZIV"), col("Redoslijed", 0, "UDK:REDOSLIJED", S::Integer),
                  col("Napomena", 0, "UDK:NAPOMENA"), col("ID", 0, "UDK:ID", S::Integer),
                  col("Tata ID", 0, "UDK:TATAID", S::Integer)}});
    v.push_back({"W_First.IncomingDocumentsBrowse", ctl::UD, "?L:UD", Tbl::UDokumenti, "UD",
                 {{Tbl::CON_Contacts, "CON", "ID=DOBAVLJACID"}}, "+UD:KATEGORIJAID,+UD:ID", "UD:KATEGORIJAID",
                 "UD:KATEGORIJAID", 8, RowFill::Plain, true, "UD:ID",
                 {col("Datum", 52, "UD:DATUM", S::Date), col("Poslovni partner", 300, "CON:TVRTKA"),
                  col("Oznaka dokumenta", 80, "UD:BROJDOKUMENTA"), col("Iznos", 57, "UD:IZNOS_DECIMAL", S::Amount, true),
                  col("Napomena", 1020, "UD:NAPOMENA"), col("ID", 0, "UD:ID", S::Integer),
                  col("Kategorija ID", 0, "UD:KATEGORIJAID", S::Integer),
                  col("Dobavljac ID", 0, "UD:DOBAVLJACID", S::Integer), col("ID", 60, "CON:ID", S::Integer)}});
    v.push_back({"W_First.DocumentItemsBrowse", ctl::Stavke, "?L:Stavke", Tbl::IDStavke, "IDS",
                 {{Tbl::ProizvodUsluga, "PRU", "ID=PROIZVODUSLUGAID"}}, "+IDS:KATEGORIJAID,+IDS:DOKUMENTID,+IDS:RBR,+IDS:ID",
                 "IDS:DOKUMENTID", "IDS:RBR", 7, RowFill::Plain, true, "IDS:ID",
                 {col("Rbr", 22, "IDS:RBR", S::Integer, true), col("Naziv proizvoda/usluge", 125, "PRU:NAZIV"),
                  col("Količina", 46, "IDS:KOLICINA_DECIMAL", S::Amount, true),
                  col("Cijena", 46, "IDS:CIJENA_DECIMAL", S::Amount, true),
                  col("Iznos", 46, "IDS:IZNOS_DECIMAL", S::Amount, true),
                  col("Rabat", 46, "IDS:RABAT_JED_DECIMAL", S::Amount, true),
                  col("Porez %", 40, "IDS:POREZ_STOPA_DECIMAL", S::Amount, true),
                  col("Ukupno s porezom", 71, "IDS:IZNOS_SPDVOM_DECIMAL", S::Amount, true),
                  col("ID", 0, "IDS:ID", S::Integer), col("Dokument ID", 0, "IDS:DOKUMENTID", S::Integer),
                  col("", 0, "IDS:PROIZVODUSLUGAID", S::Integer), col("ID", 0, "PRU:ID", S::Integer),
                  chars(col("Porez JED DECIMAL", 0, "IDS:POREZ_IZNOS_DECIMAL"), 20)}});
    // The contact's tasks and documents.
    v.push_back({"W_First.ContactTasksBrowse", ctl::PZadaci, "?L:P:Zadaci", Tbl::CAL_CalendarEvents, "CAL", {},
                 "+CAL:PARTNERID,+CAL:EVENTID", "CAL:PARTNERID", "CAL:PARTNERID", 10, RowFill::ContactTasks, true,
                 "CAL:EVENTID",
                 {icon(col("", 14, "CAL:STATUS", S::Integer)), icon(col("", 14, "CAL:IMPORTANCELEVEL", S::Integer)),
                  col("Početak", 52, "CAL:STARTDATETIME_DATE", S::Date), col("", 40, "CAL:STARTDATETIME_TIME", S::Time),
                  col("Završetak", 52, "CAL:ENDDATETIME_DATE", S::Date), col("", 40, "CAL:ENDDATETIME_TIME", S::Time),
                  col("Naslov", 111, "CAL:SUBJECT"), col("Lokacija", 111, "CAL:LOCATION"), col("Opis", 800, "CAL:BODY"),
                  col("EventID", 0, "CAL:EVENTID", S::Integer), col("Partner ID", 0, "CAL:PARTNERID", S::Integer)}});
    v.push_back({"W_First.ContactIncomingDocumentsBrowse", ctl::PUD, "?L:P:UD", Tbl::UDokumenti, "UD", {},
                 "+UD:DOBAVLJACID,+UD:ID", "UD:DOBAVLJACID", "UD:DOBAVLJACID", 11, RowFill::Plain, true, "UD:ID",
                 {col("Datum", 52, "UD:DATUM", S::Date), col("Oznaka dokumenta", 100, "UD:BROJDOKUMENTA"),
                  col("Iznos", 70, "UD:IZNOS_DECIMAL", S::Amount, true), col("Napomena", 1020, "UD:NAPOMENA"),
                  col("ID", 0, "UD:ID", S::Integer), col("Kategorija ID", 0, "UD:KATEGORIJAID", S::Integer),
                  col("Rbr", 0, "UD:RBR", S::Integer), col("Dobavljac ID", 0, "UD:DOBAVLJACID", S::Integer)}});
    v.push_back({"W_First.ContactOutgoingDocumentsBrowse", ctl::PID, "?L:P:ID", Tbl::IDokumenti, "ID", {},
                 "+ID:KUPACID,+ID:ID", "ID:KUPACID", "ID:KUPACID", 12, RowFill::Plain, true, "ID:ID",
                 {col("Datum", 52, "ID:DATUM", S::Date), col("Oznaka dokumenta", 100, "ID:BROJDOKUMENTA"),
                  col("Rok plaćanja", 59, "ID:ROKPLACANJA", S::Integer, true),
                  col("Način otpreme", 100, "ID:NACINOTPREME"), col("Nacin Placanja", 0, "ID:NACINPLACANJA"),
                  col("Iznos", 70, "ID:IZNOS_DECIMAL", S::Amount, true), col("Napomena", 1020, "ID:NAPOMENA"),
                  col("ID", 0, "ID:ID", S::Integer), col("Kategorija ID", 0, "ID:KATEGORIJAID", S::Integer),
                  col("Rbr", 0, "ID:RBR", S::Integer), col("Kupac ID", 0, "ID:KUPACID", S::Integer)}});
    // Passwords.
    v.push_back({"W_First.PasswordCategoriesBrowse", ctl::PKat, "?L:PKat", Tbl::PasswordsKategorija, "PASK", {},
                 "+PASK:ID", "", "PASK:ID", 13, RowFill::Plain, true, "PASK:ID",
                 {col("Naziv kategorije", 1016, "PASK:NAZIV"), col("ID", 0, "PASK:ID", S::Integer)}});
    v.push_back({"W_First.PasswordsBrowse", ctl::Pass, "?L:Pass", Tbl::Passwords, "PAS", {},
                 "+PAS:KATEGORIJAID,+PAS:ID", "PAS:KATEGORIJAID", "PAS:KATEGORIJAID", 14, RowFill::Plain, true, "PAS:ID",
                 {col("Naziv", 250, "PAS:NAZIV"), col("Login", 120, "PAS:LOGIN"), col("Password", 120, "PAS:PASSWORD"),
                  col("Lokacija/datoteka", 120, "PAS:LOKACIJA"), col("Napomena", 600, "PAS:NAPOMENA"),
                  col("ID", 0, "PAS:ID", S::Integer), col("Kategorija ID", 0, "PAS:KATEGORIJAID", S::Integer)}});
    // Notes.
    v.push_back({"W_First.NotesBrowse", ctl::Notes, "?L:Notes", Tbl::Notes, "NOTE", {},
                 "-NOTE:DATUM,-NOTE:VRIJEME,+NOTE:ID", "", "NOTE:DATUM", 0, RowFill::Notes, true, "NOTE:ID",
                 {icon(col("*", 12, "TAGMARK", S::Integer)), col("Datum", 52, "NOTE:DATUM", S::Date, true),
                  col("Vrijeme", 40, "NOTE:VRIJEME", S::Time, true), col("Naslov", 150, "NOTE:NASLOV"),
                  col("Opis", 150, "NOTE:OPIS"), chars(col("Napomena", 0, "NOTE:NAPOMENA"), 255),
                  col("ID", 0, "NOTE:ID", S::Integer), col("Kontakt ID", 0, "NOTE:KONTAKTID", S::Integer),
                  icon(col("Status", 0, "NOTE:STATUS", S::Integer))}});
    return v;
}

int bandColour()
{
    bool ok = false;
    const int v = VelmoraDll::AlternateRowColor.trimmed().toInt(&ok);
    return ok ? v : kBandColour;
}

} // namespace

int ListDef::columnOf(const QString& field) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (field.compare(QLatin1String(columns[i].field), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const std::vector<ListDef>& organiserLists()
{
    static const std::vector<ListDef> lists = makeLists();
    return lists;
}

const ListDef* listDef(int control)
{
    for (const ListDef& s : organiserLists())
        if (s.control == control)
            return &s;
    return nullptr;
}

QString mailSizeText(const QString& bytes)
{
    const auto size = vrt::Decimal::parse(QStringView(bytes).trimmed());
    if (!size)
        return QStringLiteral("0 KB");
    QString text = QString::fromStdString(size->divide(vrt::Decimal(1000), 3).toString());
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text + QStringLiteral(" KB");
}

QString shortDate(const QString& isoDate)
{
    const QDate d = QDate::fromString(isoDate.left(10), Qt::ISODate);
    return d.isValid() ? QLocale().toString(d, QLocale::ShortFormat) : QString();
}

QString mailTimeText(const QString& date, const QString& time)
{
    return shortDate(date) + u' ' + time.left(8);
}

QString firstLast(const QString& surname, const QString& middle, const QString& name)
{
    const QString full = middle.isEmpty() ? surname + u' ' + name : surname + u' ' + middle + u' ' + name;
    return full.left(99);
}

QString amountText(const QString& decimalText)
{
    const auto d = vrt::Decimal::parse(QStringView(decimalText).trimmed());
    if (!d || d->isZero())
        return {};
    // As the forms, the reports and the balance page show them, whatever the system's locale.
    return d->format(2, u',', u'.');
}

bool showsText(const ListDef& def, int column)
{
    return !def.columns[size_t(column)].icon && !(def.fill == RowFill::TaskCategories && column == 1);
}

QString shownText(const ListDef& def, int column, const QString& raw)
{
    if (!showsText(def, column))
        return {};
    switch (def.columns[size_t(column)].show) {
    case Show::Date: return shortDate(raw);
    case Show::Time: return raw.left(5);
    case Show::Amount: return amountText(raw);
    default: return raw;
    }
}

int taskBackground(const QDate& start, const QDate& today)
{
    return start < today ? kTaskBefore : start == today ? kTaskToday : kTaskAfter;
}

int taskStyle(int status) { return status == 1 ? 2 : status == 0 ? 3 : 1; }

int taskStatusIcon(int status) { return status == 0 ? 5 : status == 1 ? 6 : status == 2 ? 4 : 0; }

int taskImportanceIcon(int importance) { return importance == 1 ? 3 : importance == 2 ? 1 : importance == 3 ? 2 : 0; }

const QStringList& taskIcons()
{
    static const QStringList icons = {"~1310056574_emblem-important.ico", "~1310056627_important.ico",
                                      "~1310056677_alert.ico", "~smiley1.ico", "~smiley2.ico", "~smiley3.ico"};
    return icons;
}

const QStringList& noteIcons()
{
    static const QStringList icons = {"~checkoffdim.ico", "~okxp.ico"};
    return icons;
}

const QStringList& iconsOf(const ListDef& def)
{
    static const QStringList none;
    switch (def.fill) {
    case RowFill::Tasks:
    case RowFill::ContactTasks: return taskIcons();
    case RowFill::Notes: return noteIcons();
    default: return none;
    }
}

std::vector<CellLook> rowLook(const ListDef& def, const QStringList& cells, int row, const QDate& today,
                              bool noteTagged)
{
    std::vector<CellLook> look(def.columns.size());
    const auto cell = [&](const char* field) {
        const int c = def.columnOf(QLatin1String(field));
        return c >= 0 && c < cells.size() ? cells[c] : QString();
    };
    if (def.banded) {
        // The 1st, 3rd, 5th ... rows carry the band.
        const int bg = row % 2 == 0 ? bandColour() : -1;
        for (size_t i = 0; i < look.size(); ++i)
            if (def.columns[i].coloured)
                look[i].normalBg = bg;
    }
    switch (def.fill) {
    case RowFill::Tasks: {
        const int bg = taskBackground(QDate::fromString(cell("CAL:STARTDATETIME_DATE").left(10), Qt::ISODate), today);
        const int status = cell("CAL:STATUS").toInt();
        for (size_t i = 0; i < look.size(); ++i) {
            if (def.columns[i].coloured)
                look[i].normalBg = bg;
            if (def.columns[i].styled)
                look[i].style = taskStyle(status);
        }
        [[fallthrough]];
    }
    case RowFill::ContactTasks:
        look[0].icon = taskStatusIcon(cell("CAL:STATUS").toInt());
        look[1].icon = taskImportanceIcon(cell("CAL:IMPORTANCELEVEL").toInt());
        break;
    case RowFill::TaskCategories: {
        const int colour = cell("CALC:CATEGORIECOLOR").toInt();
        look[1].normalBg = look[1].selectedBg = colour;
        break;
    }
    case RowFill::Mail: {
        const int style = cell("EM:READ").toInt() == 1 ? 2 : 1;
        for (size_t i = 0; i < look.size(); ++i)
            if (def.columns[i].styled)
                look[i].style = style;
        break;
    }
    case RowFill::Notes:
        look[0].icon = noteTagged ? 2 : 1;
        look[size_t(def.columnOf(QStringLiteral("NOTE:STATUS")))].icon = 0;
        break;
    case RowFill::Plain:
    case RowFill::Contacts: break;
    }
    return look;
}

} // namespace organiser
