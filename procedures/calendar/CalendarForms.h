#pragma once
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "runtime/UpdateForm.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace organiser {
class OrganiserWindow;
class OrganiserPanes;
}
namespace vrt {
class Report;
}

// The windows of calendar events and their categories: the task form (F_Zadaci), the category
// list (T_TaskKategorija) and form (F_TaskCategorie), the task report (R_Task), and the pick
// list of contacts the task form and the calendar ask a partner from.
namespace mailpeople {

using Translate = std::function<QString(const QString&)>;

// A contact chosen from a list of all contacts (surname, first name, company); none when
// the user cancelled.
std::optional<long> pickContact(QWidget* parent, long current, const Translate& tr);

// The category list; with `pick`, "Izbor" answers the chosen category. Refuses the
// pseudo-category of all categories.
std::optional<long> T_TaskKategorija(QWidget* parent, bool pick, long current, const Translate& tr, const QString& dataFolder);

// The category form for GLOBALREQUEST (1 insert, 2 change, 3 delete) on the CALC: record;
// leaves GLOBALRESPONSE.
void F_TaskCategorie(QWidget* parent, const Translate& tr);

// The task form's parameters, as its callers pass them.
struct TaskFormArgs {
    long eventId = 0;
    int flag = 0;       // 1: an insert takes the selection's times of day too
    long partnerId = 0; // 0 or no contact: the partner is asked for at once
    std::optional<long> categoryId;
    QString text;
};

// A record manager's table as the target of an update form.
class TableTarget : public vrt::FormTarget {
public:
    explicit TableTarget(int table) : m_table(table) {}
    bool primed() const override;
    bool prime() override;
    bool save() override;
    bool remove() override;
    bool cancelAutoInc() override;
    QString lastError() const override { return m_error; }

private:
    int m_table;
    bool m_insert = false;
    QString m_error;
};

// The task form "Zadaci" on the CAL: record.
class TaskForm : public QDialog {
    Q_OBJECT
public:
    TaskForm(const TaskFormArgs& args, int request, const Translate& tr, const QString& dataFolder, QWidget* parent = nullptr);
    // Prepares (SrediProzor) and runs the form; answers GLOBALRESPONSE.
    int run();
    // The contact picker the form uses (the contact list unless a test says otherwise).
    std::function<std::optional<long>(long current)> pickPartner;
    std::function<std::optional<long>(long current)> pickCategory;

    void accept() override;
    void reject() override;

    QLineEdit* subject() const { return m_subject; }
    QLineEdit* location() const { return m_location; }
    QPlainTextEdit* body() const { return m_body; }
    QDateEdit* startDate() const { return m_startDate; }
    QTimeEdit* startTime() const { return m_startTime; }
    QDateEdit* endDate() const { return m_endDate; }
    QTimeEdit* endTime() const { return m_endTime; }
    QLineEdit* partner() const { return m_partner; }
    QLabel* partnerName() const { return m_partnerName; }
    QLabel* categoryName() const { return m_categoryName; }
    QListWidget* status() const { return m_status; }
    QListWidget* importance() const { return m_importance; }
    QLabel* titleLabel() const { return m_title; }
    bool prepared() const { return m_prepared; }

private:
    bool SrediProzor();
    void ShowLookups();
    void showPartner();
    void showCategory();
    void askPartner();
    void askCategory();
    void toRecord();
    void fromRecord();
    QString tr(const QString& t) const { return m_tr ? m_tr(t) : t; }

    TaskFormArgs m_args;
    int m_request;
    Translate m_tr;
    QString m_dataFolder;
    TableTarget m_target;
    vrt::UpdateFormController m_controller;
    bool m_prepared = false;
    QLabel* m_title;
    QLineEdit* m_partner;
    QLabel* m_partnerName;
    QLabel* m_company;
    QDateEdit* m_startDate;
    QTimeEdit* m_startTime;
    QDateEdit* m_endDate;
    QTimeEdit* m_endTime;
    QLineEdit* m_subject;
    QLineEdit* m_location;
    QPlainTextEdit* m_body;
    QListWidget* m_status;
    QListWidget* m_importance;
    QLabel* m_statusIcon;
    QLabel* m_importanceIcon;
    QLineEdit* m_category;
    QLabel* m_categoryName;
};

// F_Zadaci: the task form for GLOBALREQUEST; leaves GLOBALRESPONSE and the stored row in CAL:.
void F_Zadaci(QWidget* parent, const TaskFormArgs& args, const Translate& tr, const QString& dataFolder);

// The task report of one event with its partner; an identifier that names no row gives an
// empty report.
void buildTaskReport(vrt::Report& report, long eventId, const Translate& tr);
void R_Task(long eventId, const Translate& tr);

// The forms replace their stand-ins in the organiser window.
void attachCalendarForms(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes);

} // namespace mailpeople
