#include "services/MsOutlookClass.h"

#include "data/Corvalde.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"

#include <cstring>

using office::quoted;
using office::toLong;

namespace {
constexpr int HandleLimit = 19;
constexpr uint8_t NoItem = 5;

QString trimmedRight(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// The texts of the SEND boxes in the user's language.
QString translated(const QString& text)
{
    return corvalde::loaded() ? corvalde::translator().QVSTR(text) : text;
}
} // namespace

void MSOUTLOOKCLASS::START()
{
    office::registerOfficeComponents();
    setProgramId(QStringLiteral("Outlook.Application"));
    MSOFFICECLASS::START();
}

QString MSOUTLOOKCLASS::folder(int number)
{
    return GETPROPERTY(NAMESPACE + QStringLiteral(".GetDefaultFolder(%1).Items").arg(number)).left(HandleLimit);
}

void MSOUTLOOKCLASS::INIT(QWidget* window, long control, uint8_t start, uint8_t activate, uint8_t visible)
{
    MSOFFICECLASS::INIT(window, control, start, activate, visible);
    NAMESPACE = GETPROPERTY(QStringLiteral("GetNameSpace(") + quoted(QStringLiteral("MAPI")) + QLatin1Char(')')).left(HandleLimit);
    // Folders without a counterpart answer nothing; their handles stay empty.
    const QString earlier = lastError();
    CALENDAR = folder(9);
    CONTACTS = folder(10);
    INBOX = folder(6);
    JOURNAL = folder(11);
    NOTES = folder(12);
    OUTBOX = folder(4);
    SENTMAIL = folder(5);
    TASKS = folder(13);
    if (earlier.isEmpty())
        clearError();
}

bool MSOUTLOOKCLASS::item()
{
    // "0" is what a read without a program answers: no item either.
    if (OBJECT.trimmed().isEmpty() || OBJECT == QLatin1String("0")) {
        failWith(QStringLiteral("no current item"));
        return false;
    }
    return true;
}

void MSOUTLOOKCLASS::CREATEITEM(const QString& type)
{
    static const std::pair<const char*, int> types[] = {{"APPOINTMENT", 1}, {"CONTACT", 2}, {"JOURNAL", 4}, {"MAIL", 0},
                                                        {"NOTE", 5},        {"POST", 6},    {"TASK", 3}};
    const QString t = type.toUpper();
    for (const auto& [name, number] : types)
        if (t == QLatin1String(name)) {
            OBJECT = GETPROPERTY(QStringLiteral("CreateItem(%1)").arg(number)).left(HandleLimit);
            if (lastCallFailed())
                OBJECT.clear();
            return;
        }
}

void MSOUTLOOKCLASS::SEARCH(const QString& id)
{
    OBJECT = GETPROPERTY(NAMESPACE + QStringLiteral(".GetItemFromID(") + quoted(trimmedRight(id)) + QLatin1Char(')')).left(HandleLimit);
    if (lastCallFailed())
        OBJECT.clear();
}

QString MSOUTLOOKCLASS::SAVE()
{
    if (!item())
        return {};
    SENDCOMMAND(OBJECT + QStringLiteral(".Save"));
    if (lastCallFailed())
        return {};
    return GETPROPERTY(OBJECT + QStringLiteral(".EntryID"));
}
void MSOUTLOOKCLASS::SAVEAS(const QString& path, uint8_t type)
{
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".SaveAs(") + quoted(path) + QStringLiteral(",%1)").arg(type));
}
void MSOUTLOOKCLASS::CLOSE()
{
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".Close(%1)").arg(SAVEMODE));
}
void MSOUTLOOKCLASS::DISPLAYMESSAGE()
{
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".Display"));
}
void MSOUTLOOKCLASS::SEND()
{
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".Send"));
}
void MSOUTLOOKCLASS::SEND(const QString& question, const QString& cancelled)
{
    const QString q = translated(question), title = translated(QStringLiteral("Confirmation"));
    const bool yes = vrt::message(q, title, vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO) == vrt::BUTTON_YES;
    if (yes)
        return SEND();
    const QString c = translated(cancelled), cancelledTitle = translated(QStringLiteral("Message Cancelled"));
    vrt::message(c, cancelledTitle, vrt::Icon::Information);
}
void MSOUTLOOKCLASS::DELETE(const QString& id)
{
    if (!id.trimmed().isEmpty())
        SEARCH(id);
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".Delete"));
}
void MSOUTLOOKCLASS::PRINTITEM(const QString& id)
{
    if (!id.trimmed().isEmpty())
        SEARCH(id);
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".PrintOut"));
}
void MSOUTLOOKCLASS::MARKCOMPLETE(const QString& id)
{
    if (!id.trimmed().isEmpty())
        SEARCH(id);
    if (item())
        SENDCOMMAND(OBJECT + QStringLiteral(".MarkComplete"));
}
void MSOUTLOOKCLASS::ADDATTACH(const QString& path)
{
    if (!item())
        return;
    const QString attachments = GETPROPERTY(OBJECT + QStringLiteral(".Attachments")).left(HandleLimit);
    if (!lastCallFailed())
        SENDCOMMAND(attachments + QStringLiteral(".Add(") + quoted(path) + QLatin1Char(')'));
}
void MSOUTLOOKCLASS::SETALIGNMENT(uint8_t a) { SETPROPERTY(QStringLiteral("Selection.HorizontalAlignment"), num(a)); }
uint8_t MSOUTLOOKCLASS::GETALIGNMENT() { return uint8_t(toLong(GETPROPERTY(QStringLiteral("Selection.HorizontalAlignment"))) & 0xff); }

uint8_t MSOUTLOOKCLASS::fetch(const QString& path)
{
    OBJECT = GETPROPERTY(path).left(HandleLimit);
    if (lastCallFailed() || OBJECT == QLatin1String("0") || OBJECT.trimmed().isEmpty()) {
        OBJECT.clear();
        return NoItem;
    }
    return 0;
}

#define VELMORA_OUTLOOK_FOLDER(STEM, PLURAL, FIELD)                                                                    \
    uint8_t MSOUTLOOKCLASS::FIND##STEM(const QString& filter) { return fetch(FIELD + QStringLiteral(".Find(") + quoted(filter) + QLatin1Char(')')); } \
    uint8_t MSOUTLOOKCLASS::FINDNEXT##STEM() { return fetch(FIELD + QStringLiteral(".FindNext()")); }                  \
    uint8_t MSOUTLOOKCLASS::GET##STEM(long n) { return fetch(FIELD + QStringLiteral(".Item(%1)").arg(n)); }            \
    long MSOUTLOOKCLASS::GET##PLURAL##COUNT() { return toLong(GETPROPERTY(FIELD + QStringLiteral(".Count"))); }
VELMORA_OUTLOOK_FOLDER(APPOINTMENT, CALENDAR, CALENDAR)
VELMORA_OUTLOOK_FOLDER(CONTACT, CONTACTS, CONTACTS)
VELMORA_OUTLOOK_FOLDER(JOURNAL, JOURNAL, JOURNAL)
VELMORA_OUTLOOK_FOLDER(NOTE, NOTES, NOTES)
VELMORA_OUTLOOK_FOLDER(TASK, TASKS, TASKS)
#undef VELMORA_OUTLOOK_FOLDER

// The value goes in apostrophes with its own apostrophes doubled, so it cannot end the filter.
#define VELMORA_OUTLOOK_FINDBY(NAME, FIND, FIELD)                                                                      \
    uint8_t MSOUTLOOKCLASS::NAME(const QString& v) { return FIND(QStringLiteral("[" FIELD "] = ") + office::apostrophed(v)); }
VELMORA_OUTLOOK_FINDBY(FINDAPPOINTMENTBYSUBJECT, FINDAPPOINTMENT, "Subject")
VELMORA_OUTLOOK_FINDBY(FINDCONTACTBYFULLNAME, FINDCONTACT, "FullName")
VELMORA_OUTLOOK_FINDBY(FINDCONTACTBYEMAIL, FINDCONTACT, "Email1Address")
VELMORA_OUTLOOK_FINDBY(FINDCONTACTBYCUSTOMERID, FINDCONTACT, "CustomerId")
VELMORA_OUTLOOK_FINDBY(FINDCONTACTBYCOMPANY, FINDCONTACT, "Company")
VELMORA_OUTLOOK_FINDBY(FINDJOURNALBYSUBJECT, FINDJOURNAL, "Subject")
VELMORA_OUTLOOK_FINDBY(FINDNOTEBYSUBJECT, FINDNOTE, "Subject")
VELMORA_OUTLOOK_FINDBY(FINDTASKBYSUBJECT, FINDTASK, "Subject")
VELMORA_OUTLOOK_FINDBY(FINDTASKBYSTATUS, FINDTASK, "Status")
VELMORA_OUTLOOK_FINDBY(FINDTASKBYSTARTDATE, FINDTASK, "StartDate")
VELMORA_OUTLOOK_FINDBY(FINDTASKBYDUEDATE, FINDTASK, "DueDate")
#undef VELMORA_OUTLOOK_FINDBY

long MSOUTLOOKCLASS::GETINBOXCOUNT() { return toLong(GETPROPERTY(INBOX + QStringLiteral(".Count"))); }
long MSOUTLOOKCLASS::GETOUTBOXCOUNT() { return toLong(GETPROPERTY(OUTBOX + QStringLiteral(".Count"))); }
long MSOUTLOOKCLASS::GETSENTMAILCOUNT() { return toLong(GETPROPERTY(SENTMAIL + QStringLiteral(".Count"))); }

void MSOUTLOOKCLASS::setItem(const QString& property, const QString& value)
{
    if (item())
        SETPROPERTY(OBJECT + property, value);
}
QString MSOUTLOOKCLASS::getItem(const QString& property) { return item() ? GETPROPERTY(OBJECT + property) : QString(); }

namespace {
// The member names are the client's own, letter case included.
const char* textProperty(const char* stem)
{
    static const std::pair<const char*, const char*> names[] = {
        {"SUBJECT", ".Subject"}, {"BODY", ".Body"}, {"COMPANIES", ".Companies"}, {"BILLING", ".BillingInformation"},
        {"MILEAGE", ".Mileage"}, {"TO", ".To"}, {"FROM", ".From"}, {"CC", ".CC"}, {"BCC", ".BCC"},
        {"STARTDATE", ".StartDate"}, {"DUEDATE", ".DueDate"}, {"DATECOMPLETED", ".DateCompleted"}, {"ACCOUNT", ".Account"},
        {"ANNIVERSARY", ".Anniversary"}, {"ASSISTANTNAME", ".AssistantName"}, {"ASSISTANTPHONE", ".AssistantTelephoneNumber"},
        {"BEEPER", ".CallbackTelephoneNumber"}, {"BIRTHDAY", ".Birthday"}, {"BUSINESSADDRESS", ".BusinessAddress"},
        {"BUSINESSCITY", ".BusinessAddressCity"}, {"BUSINESSCOUNTRY", ".BusinessAddressCountry"},
        {"BUSINESSFAX", ".BusinessFaxNumber"}, {"BUSINESSHOMEPAGE", ".BusinessHomePage"},
        {"BUSINESSPCODE", ".BusinessAddressPostalCode"}, {"BUSINESSPHONE", ".BusinessTelephoneNumber"},
        {"BUSINESSPHONE2", ".Business2TelephoneNumber"}, {"BUSINESSSTATE", ".BusinessAddressState"},
        {"BUSINESSSTREET", ".BusinessAddressStreet"}, {"COMPANYNAME", ".CompanyName"}, {"CUSTOMERID", ".CustomerID"},
        {"DEPARTMENT", ".Department"}, {"EMAIL1", ".EMail1Address"}, {"EMAIL2", ".Email2Address"}, {"EMAIL3", ".Email3Address"},
        {"EMAILNAME1", ".Email1DisplayName"}, {"EMAILNAME2", ".Email2DisplayName"}, {"EMAILNAME3", ".Email3DisplayName"},
        {"FTPSITE", ".FTPSite"}, {"FIRSTNAME", ".FirstName"}, {"FULLNAME", ".Fullname"}, {"HOMEADDRESS", ".HomeAddress"},
        {"HOMECITY", ".HomeAddressCity"}, {"HOMECOUNTRY", ".HomeAddressCountry"}, {"HOMEFAX", ".HomeFaxNumber"},
        {"HOMEPCODE", ".HomeAddressPostalCode"}, {"HOMEPHONE", ".HomeTelephoneNumber"}, {"HOMEPHONE2", ".Home2TelephoneNumber"},
        {"HOMESTATE", ".HomeAddressState"}, {"HOMESTREET", ".HomeAddressStreet"}, {"MOBILEPHONE", ".MobileTelephoneNumber"},
        {"SENSITIVITY", ".Sensitivity"}, {"IMPORTANCE", ".Importance"}, {"STATUS", ".Status"},
        {"PERCENTCOMPLETE", ".PercentComplete"}, {"ORDINAL", ".Ordinal"}, {"TOTALWORK", ".TotalWork"},
        {"ACTUALWORK", ".ActualWork"}, {"WIDTH", ".Width"}, {"HEIGHT", ".Height"}, {"TOP", ".Top"}, {"LEFT", ".Left"},
        {"POSTITCOLOR", ".Color"}};
    for (const auto& [s, p] : names)
        if (std::strcmp(s, stem) == 0)
            return p;
    return "";
}
} // namespace

#define VELMORA_OUTLOOK_TEXT(STEM)                                                                                     \
    void MSOUTLOOKCLASS::SET##STEM(const QString& value) { setItem(QLatin1String(textProperty(#STEM)), value); }       \
    QString MSOUTLOOKCLASS::GET##STEM() { return getItem(QLatin1String(textProperty(#STEM))); }
VELMORA_OUTLOOK_TEXTS(VELMORA_OUTLOOK_TEXT)
#undef VELMORA_OUTLOOK_TEXT
#define VELMORA_OUTLOOK_NUMBER(STEM, TYPE)                                                                             \
    void MSOUTLOOKCLASS::SET##STEM(TYPE value) { setItem(QLatin1String(textProperty(#STEM)), num(long(value))); }      \
    long MSOUTLOOKCLASS::GET##STEM() { return toLong(getItem(QLatin1String(textProperty(#STEM)))); }
VELMORA_OUTLOOK_NUMBERS(VELMORA_OUTLOOK_NUMBER)
#undef VELMORA_OUTLOOK_NUMBER

QString MSOUTLOOKCLASS::GETENTRYID() { return getItem(QStringLiteral(".EntryId")); }
QString MSOUTLOOKCLASS::GETCOMPANYANDFULLNAME() { return getItem(QStringLiteral(".CompanyAndFullName")); }
QString MSOUTLOOKCLASS::GETEMAIL1ID() { return getItem(QStringLiteral(".Email1EntryID")); }
QString MSOUTLOOKCLASS::GETEMAIL2ID() { return getItem(QStringLiteral(".Email2EntryID")); }
QString MSOUTLOOKCLASS::GETEMAIL3ID() { return getItem(QStringLiteral(".Email3EntryID")); }
QString MSOUTLOOKCLASS::GETREMINDERSOUND() { return getItem(QStringLiteral(".ReminderSoundFile")); }
QString MSOUTLOOKCLASS::GETSTART() { return getItem(QStringLiteral(".Start")); }
QString MSOUTLOOKCLASS::GETEND() { return getItem(QStringLiteral(".End")); }
void MSOUTLOOKCLASS::SETHTMLBODY(const QString& html) { setItem(QStringLiteral(".HTMLBody"), html); }
void MSOUTLOOKCLASS::SETGENDER(long g) { setItem(QStringLiteral(".Gender"), num(g)); }
QString MSOUTLOOKCLASS::GETGENDER() { return getItem(QStringLiteral(".Gender")); }
void MSOUTLOOKCLASS::SETPOSITION(long left, long top)
{
    SETLEFT(left);
    SETTOP(top);
}
void MSOUTLOOKCLASS::SETSTART(const QString& d, const QString& t) { setItem(QStringLiteral(".Start"), d + QLatin1Char(' ') + t); }
void MSOUTLOOKCLASS::SETEND(const QString& d, const QString& t) { setItem(QStringLiteral(".End"), d + QLatin1Char(' ') + t); }
void MSOUTLOOKCLASS::SETREMINDER(const QString& d, const QString& t)
{
    setItem(QStringLiteral(".ReminderSet"), QStringLiteral("1"));
    setItem(QStringLiteral(".ReminderTime"), d + QLatin1Char(' ') + t);
}
QString MSOUTLOOKCLASS::GETREMINDER()
{
    const QString set = getItem(QStringLiteral(".ReminderSet"));
    return set + QLatin1Char(',') + getItem(QStringLiteral(".ReminderTime"));
}
void MSOUTLOOKCLASS::SETREMINDERSOUND(const QString& file)
{
    setItem(QStringLiteral(".ReminderOverrideDefault"), QStringLiteral("1"));
    setItem(QStringLiteral(".ReminderPlaySound"), QStringLiteral("1"));
    setItem(QStringLiteral(".ReminderSoundFile"), file);
}
void MSOUTLOOKCLASS::SETCUSTOMFIELD(const QString& name, const QString& value)
{
    setItem(QStringLiteral(".UserProperties(") + quoted(name) + QStringLiteral(").Value"), value);
}
QString MSOUTLOOKCLASS::GETCUSTOMFIELD(const QString& name) { return getItem(QStringLiteral(".UserProperties(") + quoted(name) + QStringLiteral(").Value")); }
