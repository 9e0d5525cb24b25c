#pragma once
#include "extensions/QbeSearch.h"

#include <QDialog>
#include <QIcon>


class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

namespace DTRV {

// The picture of a match type in lists and buttons; MATCHTYPE_COUNT stands for several criteria.
QIcon matchTypeIcon(int matchType);
// The match types offered for a field type, in the order the window shows them.
std::vector<int> offeredMatchTypes(int fieldType);

// "Enter Search Value" / "Enter Range Limits": the value (or both limits) of one criterion.
class ValueWindow : public QDialog {
    Q_OBJECT
public:
    ValueWindow(SEARCHCLASS& search, const SEARCHCLASS::Field& field, QbeCriterion& criterion,
                QWidget* parent = nullptr);
    QLineEdit* lower() const { return m_lower; }
    QLineEdit* upper() const { return m_upper; }
    QCheckBox* check() const { return m_check; }
    void accept() override;

signals:
    // A value or range was refused (the system beep sounds as well).
    void beep();

private:
    const SEARCHCLASS::Field& m_field;
    QbeCriterion& m_criterion;
    QCheckBox* m_check = nullptr;
    QLineEdit* m_lower = nullptr;
    QLineEdit* m_upper = nullptr;
    bool m_numeric = false;
};

// "Specify Match Type": the criteria of the search's current field.
class MatchTypeWindow : public QDialog {
    Q_OBJECT
public:
    MatchTypeWindow(SEARCHCLASS& search, QWidget* parent = nullptr);
    // -1 cancelled (criteria as they were), -2 a set was loaded, 0 no criteria left, the match
    // type of the only criterion, or 100 for several.
    int run();
    int result() const { return m_result; }

    QRadioButton* radio(int matchType) const { return m_radios[size_t(matchType)]; }
    QTreeWidget* criteria() const { return m_list; }
    QPushButton* button(const QString& key) const; // "Insert", "Change", "Delete", "OK", ...

    void insert();
    void change();
    void remove();
    void accept() override;
    void reject() override;

protected:
    // Runs the value window for a criterion of `field`; tests override it.
    virtual bool askValue(const SEARCHCLASS::Field& field, QbeCriterion& criterion);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCriteria(int current);
    void setType(int matchType);
    int currentRow() const;

    SEARCHCLASS& m_search;
    SEARCHCLASS::Field& m_field;
    std::vector<SEARCHCLASS::Criterion> m_saved;
    std::vector<QRadioButton*> m_radios;
    QTreeWidget* m_list;
    std::map<QString, QPushButton*> m_buttons;
    int m_result = -1;
};

// The five-step query wizard.
class QueryWizard : public QDialog {
    Q_OBJECT
public:
    QueryWizard(SEARCHCLASS& search, QWidget* parent = nullptr);
    int page() const; // 1..5
    void setPage(int page);
    QPushButton* button(const QString& key) const; // "Previous", "Next", "Finish", "Cancel", "Change"
    QTreeWidget* fieldList() const { return m_fields; }
    QTreeWidget* criteriaList() const { return m_criteria; }
    void change();

protected:
    // Runs the match-type window of the current field; tests override it.
    virtual int matchTypeWindow();

private:
    void showFields();
    void showCriteria();

    SEARCHCLASS& m_search;
    QStackedWidget* m_pages;
    QLabel* m_step;
    QLabel* m_heading;
    QTreeWidget* m_fields;
    QTreeWidget* m_criteria;
    std::map<QString, QPushButton*> m_buttons;
};

} // namespace DTRV
