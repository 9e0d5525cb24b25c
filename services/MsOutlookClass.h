#pragma once
#include "services/MsOfficeClass.h"

#include <functional>

// MSOUTLOOKCLASS: the mail client ("Outlook.Application") by automation paths. Velmora's own
// object behind the name makes new messages of this system's mail (recipients, subject, body,
// attachments) and keeps them as drafts in the data folder; folders of other programs'
// calendars, contacts, tasks, notes and journals have no counterpart and say "not available".
//
// Item operations act on the current item (OBJECT) and refuse to run without one; a get or
// find that finds nothing, or reaches no program, answers 5.
class MSOUTLOOKCLASS : public MSOFFICECLASS {
public:
    QString CALENDAR, CONTACTS, INBOX, JOURNAL, NAMESPACE, NOTES, OUTBOX;
    uint8_t SAVEMODE = 0;
    QString SENTMAIL, TASKS;

    uint8_t GETALIGNMENT() override;
    void INIT(QWidget* window, long control, uint8_t start, uint8_t activate, uint8_t visible) override;
    void SETALIGNMENT(uint8_t alignment) override;
    void START() override;

    virtual void ADDATTACH(const QString& path);
    virtual void CLOSE();
    virtual void CREATEITEM(const QString& type);
    virtual void DELETE(const QString& id);
    virtual void DISPLAYMESSAGE();
    virtual void MARKCOMPLETE(const QString& id);
    virtual void PRINTITEM(const QString& id);
    virtual QString SAVE();
    virtual void SAVEAS(const QString& path, uint8_t type);
    virtual void SEARCH(const QString& id);
    virtual void SEND();
    virtual void SEND(const QString& question, const QString& cancelled);

#define VELMORA_OUTLOOK_FOLDER(STEM, PLURAL)                                                                           \
    virtual uint8_t FIND##STEM(const QString& filter);                                                                 \
    virtual uint8_t FINDNEXT##STEM();                                                                                  \
    virtual uint8_t GET##STEM(long n);                                                                                 \
    virtual long GET##PLURAL##COUNT();
    VELMORA_OUTLOOK_FOLDER(APPOINTMENT, CALENDAR)
    VELMORA_OUTLOOK_FOLDER(CONTACT, CONTACTS)
    VELMORA_OUTLOOK_FOLDER(JOURNAL, JOURNAL)
    VELMORA_OUTLOOK_FOLDER(NOTE, NOTES)
    VELMORA_OUTLOOK_FOLDER(TASK, TASKS)
#undef VELMORA_OUTLOOK_FOLDER
    virtual uint8_t FINDAPPOINTMENTBYSUBJECT(const QString& v);
    virtual uint8_t FINDCONTACTBYCOMPANY(const QString& v);
    virtual uint8_t FINDCONTACTBYCUSTOMERID(const QString& v);
    virtual uint8_t FINDCONTACTBYEMAIL(const QString& v);
    virtual uint8_t FINDCONTACTBYFULLNAME(const QString& v);
    virtual uint8_t FINDJOURNALBYSUBJECT(const QString& v);
    virtual uint8_t FINDNOTEBYSUBJECT(const QString& v);
    virtual uint8_t FINDTASKBYDUEDATE(const QString& v);
    virtual uint8_t FINDTASKBYSTARTDATE(const QString& v);
    virtual uint8_t FINDTASKBYSTATUS(const QString& v);
    virtual uint8_t FINDTASKBYSUBJECT(const QString& v);
    virtual long GETINBOXCOUNT();
    virtual long GETOUTBOXCOUNT();
    virtual long GETSENTMAILCOUNT();

// Text properties of the current item: SETx(value) and GETx().
#define VELMORA_OUTLOOK_TEXT(STEM)                                                                                     \
    virtual void SET##STEM(const QString& value);                                                                      \
    virtual QString GET##STEM();
#define VELMORA_OUTLOOK_TEXTS(X)                                                                                       \
    X(SUBJECT) X(BODY) X(COMPANIES) X(BILLING) X(MILEAGE) X(TO) X(FROM) X(CC) X(BCC) X(STARTDATE) X(DUEDATE)          \
    X(DATECOMPLETED) X(ACCOUNT) X(ANNIVERSARY) X(ASSISTANTNAME) X(ASSISTANTPHONE) X(BEEPER) X(BIRTHDAY)               \
    X(BUSINESSADDRESS) X(BUSINESSCITY) X(BUSINESSCOUNTRY) X(BUSINESSFAX) X(BUSINESSHOMEPAGE) X(BUSINESSPCODE)          \
    X(BUSINESSPHONE) X(BUSINESSPHONE2) X(BUSINESSSTATE) X(BUSINESSSTREET) X(COMPANYNAME) X(CUSTOMERID) X(DEPARTMENT)  \
    X(EMAIL1) X(EMAIL2) X(EMAIL3) X(EMAILNAME1) X(EMAILNAME2) X(EMAILNAME3) X(FTPSITE) X(FIRSTNAME) X(FULLNAME)         \
    X(HOMEADDRESS) X(HOMECITY) X(HOMECOUNTRY) X(HOMEFAX) X(HOMEPCODE) X(HOMEPHONE) X(HOMEPHONE2) X(HOMESTATE)          \
    X(HOMESTREET) X(MOBILEPHONE)
    VELMORA_OUTLOOK_TEXTS(VELMORA_OUTLOOK_TEXT)
#undef VELMORA_OUTLOOK_TEXT

// Number properties: SETx(value) and GETx() returning LONG.
#define VELMORA_OUTLOOK_NUMBER(STEM, TYPE)                                                                             \
    virtual void SET##STEM(TYPE value);                                                                                \
    virtual long GET##STEM();
#define VELMORA_OUTLOOK_NUMBERS(X)                                                                                     \
    X(SENSITIVITY, uint8_t) X(IMPORTANCE, uint8_t) X(STATUS, uint8_t) X(PERCENTCOMPLETE, short) X(ORDINAL, short)       \
    X(TOTALWORK, long) X(ACTUALWORK, long) X(WIDTH, long) X(HEIGHT, long) X(TOP, long) X(LEFT, long)                    \
    X(POSTITCOLOR, uint8_t)
    VELMORA_OUTLOOK_NUMBERS(VELMORA_OUTLOOK_NUMBER)
#undef VELMORA_OUTLOOK_NUMBER

    virtual QString GETENTRYID();
    virtual QString GETCOMPANYANDFULLNAME();
    virtual QString GETEMAIL1ID();
    virtual QString GETEMAIL2ID();
    virtual QString GETEMAIL3ID();
    virtual QString GETREMINDERSOUND();
    virtual QString GETSTART();
    virtual QString GETEND();
    virtual void SETHTMLBODY(const QString& html);
    virtual void SETGENDER(long gender);
    virtual QString GETGENDER();
    virtual void SETPOSITION(long left, long top);
    virtual void SETSTART(const QString& date, const QString& time);
    virtual void SETEND(const QString& date, const QString& time);
    virtual void SETREMINDER(const QString& date, const QString& time);
    virtual QString GETREMINDER();
    virtual void SETREMINDERSOUND(const QString& file);
    virtual void SETCUSTOMFIELD(const QString& name, const QString& value);
    virtual QString GETCUSTOMFIELD(const QString& name);

private:
    bool item(); // there is a current item; else a failure is noted
    void setItem(const QString& property, const QString& value);
    QString getItem(const QString& property);
    uint8_t fetch(const QString& path);
    QString folder(int number);
};
