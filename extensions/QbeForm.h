#pragma once
#include "extensions/QbeSearch.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;

namespace DTRV {

// The tasks of the "Begin Search" window.
enum SearchTask : int { TASK_SELECT = 1, TASK_UNSELECT, TASK_EDIT, TASK_CANCEL };
struct SearchTaskButtons {
    std::vector<int> order; // left to right
    int focus = 0;
};
// The buttons the window shows for SUPPORTEDIT (0, 1, 2) and whether records are marked.
SearchTaskButtons beginSearchButtons(int supportEdit, bool marked);

// How a form reads the records a filter matches into its record buffer.
class QbeReader {
public:
    virtual ~QbeReader() = default;
    virtual bool first(const QString& filter) = 0; // opens the view, reads the first match
    virtual bool next() = 0;
    virtual void close() = 0;
};

// "Searching for Matching Records": marks or unmarks every match, a few per timer tick, with
// the number found and a turning bar; Cancel stops.
class QbeProgress : public QDialog {
    Q_OBJECT
public:
    QbeProgress(SEARCHCLASS& search, QbeReader& reader, bool mark, QWidget* parent = nullptr);
    // Reads the first match; false when there is none.
    bool start();
    int found() const { return m_found; }
    QLabel* label() const { return m_label; }
    // Matches taken per tick: 25, or 1 when the first read was slow.
    int perTick() const { return m_perTick; }

private:
    void tick();
    SEARCHCLASS& m_search;
    QbeReader& m_reader;
    bool m_mark;
    int m_found = 0;
    int m_perTick = 25;
    int m_turn = 0;
    QLabel* m_label;
    QTimer* m_timer;
};

// An update form that doubles as the search window: opened for a query, its fields start
// empty, typed values become criteria (a small button beside each field sets the match
// type), and the work button finds the first match to edit, marks or unmarks all matches, or
// only builds the filter.
class FORMCLASS : public QObject, public SEARCHCLASS {
    Q_OBJECT
public:
    // `reader` reads the matches into the record buffer; it must outlive the form.
    explicit FORMCLASS(QbeReader& reader) : m_reader(reader) {}

    struct Control {
        QPointer<QWidget> FEQ;
        QString FILE, FIELD;
        QPointer<QToolButton> FLAG; // beside controls other than entries
        QPointer<QAction> ACTION;   // inside an entry, at its end
    };

    using SEARCHCLASS::ADDFIELD;
    void ADDFIELD(const QString& file, const QString& prefix, const QString& name, const QString& display, int type,
                  const QString& picture, const QString& prompt, bool useMatch, QWidget* control);
    std::vector<Control>& controls() { return m_controls; }

    // Query mode: controls emptied, their match-type buttons beside them, the work button the
    // default one, OK hidden.
    void PREPAREQBEWINDOW(QWidget* window, QAbstractButton* help, QPushButton* work, QPushButton* ok,
                          QAbstractButton* cancel, QLabel* actionMessage = nullptr);
    // 2 nothing to report, 10 found (preview), 11 marking done, 12 filter built.
    int WORK(bool findNext);
    void UPDATEQBEWINDOW();
    void SETQBEWINDOW();
    void SETPREVIEWWINDOW();
    // The preview belongs to this form alone.
    bool preview() const { return m_preview; }
    QString actionText() const;
    // The match-type window for `control`'s field.
    void askMatchType(QWidget* control);

    int SUPPORTEDIT = 0;
    bool SKIPSELECTCANCEL = false;
    int RESPONSE = 0;
    QbeReader& reader() { return m_reader; }

signals:
    // The form's controls are to show the record buffer (the preview shows the match).
    void showRecord();
    // The form is to close with a response: 10 edit the found record, 11 marking done, 12 filter.
    void closeForm(int response);

protected:
    // Windows the form opens, modal; tests override them. The match-type window for the
    // current field (its answer as MatchTypeWindow::run gives it).
    virtual int matchTypeWindow();
    // "Begin Search": the task chosen.
    virtual int askTask(const SearchTaskButtons& buttons);
    // The marking progress: true when it ran to its end.
    virtual bool runProgress(QbeProgress& progress);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Control* controlOf(QObject* widget);
    void accepted(Control& c);
    void updateFlag(Control& c);
    void placeFlag(Control& c);
    void setAction(const QString& key);
    void helpPressed();
    void workPressed();
    void cancelPressed();
    int beginSearch(const SearchTaskButtons& buttons);
    QString text(const QString& key);

    QbeReader& m_reader;
    std::vector<Control> m_controls;
    QPointer<QWidget> m_window;
    QPointer<QAbstractButton> m_help, m_cancel;
    QPointer<QPushButton> m_work, m_ok;
    QPointer<QLabel> m_action;
    QWidget* m_current = nullptr;
    QString m_oldHelpText, m_oldWorkText;
    bool m_preview = false;
};

} // namespace DTRV
