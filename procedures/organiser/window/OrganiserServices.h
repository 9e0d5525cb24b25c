#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

// What the organiser window calls outside itself: the forms, windows and reports of the other
// subsystems, the pane routines, the hosted Gantt and calendar controls, the mail transfer
// program and the frame. Each is an interface so the window's logic runs with fakes, and so
// the pieces built later plug in without touching it.
namespace organiser {

// Forms, windows and reports. Update forms take their request from GLOBALREQUEST and leave
// their answer in GLOBALRESPONSE.
class FormLauncher {
public:
    virtual ~FormLauncher() = default;
    virtual void F_Contact() = 0;
    virtual void F_TaskCategorie() = 0;
    virtual void F_Zadaci(long eventId, int flag, long partnerId, std::optional<long> categoryId,
                          const QString& text) = 0;
    virtual void F_PrihodiRashodi(long categoryId, int type) = 0;
    virtual void F_ID_Kategorija() = 0;
    virtual void F_ID_Dokumenti(std::optional<long> contactId) = 0;
    virtual void F_ID_Stavke() = 0;
    virtual void F_UD_Dokumenti(std::optional<long> contactId) = 0;
    virtual void F_UD_Kategorija() = 0;
    virtual void F_PASS_Kategorija() = 0;
    virtual void F_PASS_Password() = 0;
    virtual void F_Notes() = 0;
    virtual void F_Proizvodi() = 0;
    virtual void W_Postavke() = 0;
    virtual void W_Backup(const QString& destination) = 0;
    virtual void T_Accounti(std::optional<int> pick) = 0;
    virtual void R_Email() = 0;
    virtual void R_Task() = 0;
};

// The routines of the panes; each answers a failure flag (0 = fine).
class PaneRoutines {
public:
    virtual ~PaneRoutines() = default;
    virtual int SetMailFolderIcons() = 0;
    virtual int ReadEmailsSQL() = 0;
    virtual int InboxSelected() = 0;
    virtual int DeleteEmail() = 0;
    virtual int FillTaskPanel() = 0;
    virtual int PopulateCalendar() = 0;
    virtual int T_CategoriesColor() = 0;
    virtual int SetupGantt() = 0;
    virtual int RenumberGanttWbs() = 0;
    virtual int IndentGanttActivity() = 0;
    virtual int OutdentGanttActivity() = 0;
    virtual int MoveGanttActivityUp() = 0;
    virtual int MoveGanttActivityDown() = 0;
    virtual int ExportProjectXml() = 0;
    virtual int FillFinanceCategoryTree() = 0;
    virtual int CategorySelected() = 0;
    virtual int DrawFinanceChart() = 0;
    virtual int ShowStateChart() = 0;
    virtual int ExportExcelIncomeExpenses() = 0;
    virtual int ExportExcelInputDocument() = 0;
    virtual int ExportExcelInvoice() = 0;
    virtual int ExportExcelState() = 0;
    virtual int PrintIncomeExpenses() = 0;
    virtual int PrintInputDocument() = 0;
    virtual int PrintInvoice() = 0;
    virtual int PrintState() = 0;
};

// The Gantt chart of the planning page, by the operations the window uses. Items are handles.
class GanttApi {
public:
    virtual ~GanttApi() = default;
    virtual void beginUpdate() = 0;
    virtual void endUpdate() = 0;
    virtual void removeAllItems() = 0;
    virtual bool loadXml(const QString& path) = 0;
    virtual bool saveXml(const QString& path) = 0;
    virtual void setAllowCellValueToItemBar(bool allow) = 0;
    virtual int itemCount() = 0;
    virtual long itemByIndex(int index) = 0;
    // Binds a column to a bar property (1 start, 2 end, 258 duration).
    virtual void cellValueToItemBar(long item, int column, int barProperty) = 0;
    virtual long insertItem() = 0;
    virtual void setCellValue(long item, int column, const QVariant& value) = 0;
    virtual bool isNonworkingDate(const QDate& date) = 0;
    virtual void selectItem(long item) = 0;
    virtual void ensureVisibleItem(long item) = 0;
    virtual void addBar(long item, const QString& kind, const QDate& start, const QDate& end) = 0;
    virtual void setItemBar(long item, int property, const QVariant& value) = 0;
    virtual void setAutoEdit(bool on) = 0;
    virtual void edit() = 0;
    virtual long focusItem() = 0; // 0: none
    virtual long itemChild(long item) = 0;
    virtual void removeLinksOf(long item) = 0;
    virtual void removeItem(long item) = 0;
    virtual int paneWidth(int pane) = 0;
    virtual void setPaneWidth(int pane, int width) = 0;
    // Changes not yet saved, so starting another plan asks first.
    virtual bool isModified() { return false; }
    virtual void markSaved() {}
};

class CalendarApi {
public:
    virtual ~CalendarApi() = default;
    virtual void printPreview(int flag) = 0;
    // The ribbon's and the menu's "Osvježi": the calendar reads its events again.
    virtual int refresh() = 0;
};

// Starts programs without waiting for them.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // False when the program could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // True while the last program this launcher started still runs.
    virtual bool lastStillRunning() = 0;
};

// Notifications to the frame.
class FrameLink {
public:
    virtual ~FrameLink() = default;
    virtual void notify(int code, int number) = 0;
};

// Tables whose new records the window primes before it opens their form.
enum class Table { IDokumenti, UDokumenti, PrihodiRashodi, CON_Contacts, Passwords, ProizvodUsluga,
                   CAL_CalendarEvents };

class RecordPrimer {
public:
    virtual ~RecordPrimer() = default;
    // PrimeRecord through the table's manager; false when it failed (reported there).
    virtual bool prime(Table table) = 0;
    // After a form that did not complete: the primed row goes, if its form left it.
    virtual void release(Table table) = 0;
};

// What the window's mail list, folder tree, task panel and contact checks ask of the mail
// feature; the composition root gives the feature's own. Each reads and writes the database
// through the calling thread's table managers and reports its own failures.
class MailDesk {
public:
    virtual ~MailDesk() = default;
    // The contact whose e-mail, or else whose company e-mail, is `address`; 0 when none.
    virtual long contactByAddress(const QString& address) = 0;
    // The task form on an event (change); the form's answer, nothing when the event is gone.
    virtual std::optional<int> editTask(FormLauncher& forms, long eventId) = 0;
    // "Dodaj u zadatke" with the message's text; answers the partner passed (0: none).
    virtual long addMailToTasks(FormLauncher& forms, const QString& text, const QString& replyTo) = 0;
    // "Označi kao nepročitano"; false when the mail is gone or the write failed.
    virtual bool markMailUnread(long emailId) = 0;
    // "Označi sve pročitano": how many were written, -1 after a failed write.
    virtual int markFolderRead(long folderId) = 0;
    virtual int mailAttachmentCount(long emailId) = 0;
};

// The four commands of the address book's group tree ("Unos", "Unos podgrupe", "Izmjena",
// "Brisanje" as 1..4), the contacts feature's. `form` none: the feature's group form;
// `changed` runs after a completed form. Answers the form's response, 0 when nothing ran.
class ContactGroupDesk {
public:
    virtual ~ContactGroupDesk() = default;
    virtual int runGroupCommand(int command, std::function<long()> currentGroup,
                                std::function<int(long id, long parent)> form, std::function<void()> changed) = 0;
};

} // namespace organiser
