#pragma once
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "runtime/UpdateForm.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;
class QToolButton;
class QVBoxLayout;

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}
namespace vrt {
class Report;
}

// The windows of calendar events and their categories: the task form (F_Zadaci), the category
// list (T_TaskKategorija) and form (F_TaskCategorie) and the task report (R_Task). Partners
// are picked in the contact browse (T_Kontakti in pick mode).
namespace mailpeople {

using Translate = std::function<QString(const QString&)>;

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
    long partnerId = 0; // 0 or no contact: none yet (OK asks for one only when a number names no contact)
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

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public:

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
    QTableWidget* status() const { return m_status; }
    QTableWidget* importance() const { return m_importance; }
    QLabel* titleLabel() const { return m_title; }
    bool prepared() const { return m_prepared; }

private:
    // The constructor's steps, in the order the widgets are made (which is the tab order).
    void addTitle(QVBoxLayout* box);
    QToolButton* addPartnerRows(QVBoxLayout* box);
    void addTimes(QVBoxLayout* box);
    void addTexts(QVBoxLayout* box);
    void addLists(QVBoxLayout* box);
    QToolButton* addCategoryRow(QVBoxLayout* box);
    void addButtons(QVBoxLayout* box);
    void fillLists();
    void showChosenIcons();
    void connectLookups(QToolButton* partnerButton, QToolButton* categoryButton);

    bool SrediProzor();
    void ShowLookups();
    void showPartner();
    void showCategory();
    void askPartner();
    void askCategory();
    void watchHistory();
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
    QTableWidget* m_status;
    QTableWidget* m_importance;
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
void attachCalendarForms(organiser::FeatureHost& host);

} // namespace mailpeople
