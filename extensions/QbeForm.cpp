#include "extensions/QbeForm.h"

#include "extensions/QbeGlobal.h"
#include "extensions/QbeWindows.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace DTRV {

SearchTaskButtons beginSearchButtons(int supportEdit, bool marked)
{
    SearchTaskButtons b;
    if (supportEdit == 1)
        b.order.push_back(TASK_EDIT);
    b.order.push_back(TASK_SELECT);
    if (marked)
        b.order.push_back(TASK_UNSELECT);
    if (supportEdit == 2)
        b.order.push_back(TASK_EDIT);
    b.order.push_back(TASK_CANCEL);
    b.focus = supportEdit == 1 ? TASK_EDIT : TASK_SELECT;
    return b;
}

// ---------------------------------------------------------------------------------------------

QbeProgress::QbeProgress(SEARCHCLASS& search, QbeReader& reader, bool mark, QWidget* parent)
    : QDialog(parent), m_search(search), m_reader(reader), m_mark(mark)
{
    const auto tr = [&](const char* key) {
        return search.GLOBAL ? search.GLOBAL->TRANSLATE(QLatin1String(key)) : QString::fromLatin1(key);
    };
    setWindowTitle(tr("DTRV::Progress:Title"));
    m_label = new QLabel(this);
    m_label->setMinimumWidth(260);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("DTRV::Button:Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(buttons);
    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &QbeProgress::tick);
    connect(this, &QDialog::finished, m_timer, &QTimer::stop);
}

bool QbeProgress::start()
{
    QElapsedTimer clock;
    clock.start();
    const int day = vrt::today();
    if (!m_reader.first(m_search.FILTER))
        return false;
    // A slow first read means slow reads: one match a tick keeps the window answering.
    m_perTick = clock.elapsed() > 100 || vrt::today() != day ? 1 : 25;
    m_search.STREAMFILE();
    m_timer->start();
    return true;
}

void QbeProgress::tick()
{
    static const char* const bar[] = {"|", "/", "--", "\\"};
    for (int i = 0; i < m_perTick; ++i) {
        if (m_mark)
            m_search.SETTAG();
        else
            m_search.CLRTAG();
        ++m_found;
        if (!m_reader.next()) {
            m_timer->stop();
            m_search.FLUSHFILE();
            accept();
            return;
        }
    }
    const QString found = m_search.GLOBAL ? m_search.GLOBAL->TRANSLATE(QStringLiteral("DTRV::Progress:Found"))
                                          : QStringLiteral("Found");
    m_label->setText(QStringLiteral("%1 %2   %3").arg(m_found).arg(found, QLatin1String(bar[m_turn++ % 4])));
}

// ---------------------------------------------------------------------------------------------

namespace {

QString valueOf(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QCheckBox*>(w))
        return c->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        return t->toPlainText();
    return {};
}

void setValue(QWidget* w, const QString& v)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(v);
    else if (auto* c = qobject_cast<QCheckBox*>(w))
        c->setChecked(v.trimmed() == QLatin1String("1"));
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setCurrentIndex(v.isEmpty() ? -1 : c->findText(v));
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        t->setPlainText(v);
}

void setReadOnly(QWidget* w, bool readOnly)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setReadOnly(readOnly);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        t->setReadOnly(readOnly);
    else
        w->setEnabled(!readOnly);
}

} // namespace

QString FORMCLASS::text(const QString& key)
{
    return GLOBAL ? GLOBAL->TRANSLATE(key) : key;
}

void FORMCLASS::ADDFIELD(const QString& file, const QString& prefix, const QString& name, const QString& display,
                         int type, const QString& picture, const QString& prompt, bool useMatch, QWidget* control)
{
    SEARCHCLASS::ADDFIELD(file, prefix, name, display, type, picture, prompt, useMatch);
    if (control)
        m_controls.push_back({control, file.trimmed(), name.trimmed(), nullptr, nullptr});
}

FORMCLASS::Control* FORMCLASS::controlOf(QObject* widget)
{
    for (Control& c : m_controls)
        if (c.FEQ == widget || c.FLAG == widget)
            return &c;
    return nullptr;
}

void FORMCLASS::PREPAREQBEWINDOW(QWidget* window, QAbstractButton* help, QPushButton* work, QPushButton* ok,
                                 QAbstractButton* cancel, QLabel* actionMessage)
{
    m_window = window;
    m_help = help;
    m_work = work;
    m_ok = ok;
    m_cancel = cancel;
    m_action = actionMessage;
    m_current = nullptr;
    if (work) {
        work->setDefault(true);
        connect(work, &QAbstractButton::clicked, this, &FORMCLASS::workPressed);
    }
    if (ok) {
        ok->setDefault(false);
        ok->hide();
    }
    if (help)
        connect(help, &QAbstractButton::clicked, this, &FORMCLASS::helpPressed);
    if (cancel) {
        // The form's own Cancel leaves the preview first; the query itself closes the form.
        cancel->installEventFilter(this);
    }
    for (Control& c : m_controls) {
        if (!c.FEQ)
            continue;
        setValue(c.FEQ, {});
        c.FEQ->installEventFilter(this);
        if (auto* e = qobject_cast<QLineEdit*>(c.FEQ.data()))
            connect(e, &QLineEdit::editingFinished, this, [this, w = c.FEQ] {
                if (Control* k = controlOf(w); k && !m_preview)
                    accepted(*k);
            });
        else if (auto* b = qobject_cast<QCheckBox*>(c.FEQ.data()))
            connect(b, &QCheckBox::clicked, this, [this, w = c.FEQ] {
                if (Control* k = controlOf(w); k && !m_preview)
                    accepted(*k);
            });
        // The match-type button: inside an entry at its end, otherwise a small button left of
        // the control (kept there as the layout moves it).
        if (auto* e = qobject_cast<QLineEdit*>(c.FEQ.data())) {
            QAction* a = e->addAction(matchTypeIcon(MATCHTYPE_IGNOREFIELD), QLineEdit::TrailingPosition);
            connect(a, &QAction::triggered, this, [this, w = c.FEQ] { askMatchType(w); });
            c.ACTION = a;
        } else {
            auto* flag = new QToolButton(c.FEQ->parentWidget());
            flag->setFocusPolicy(Qt::NoFocus); // skipped by Tab
            flag->setAutoRaise(true);
            flag->setFixedSize(18, 16);
            flag->installEventFilter(this);
            connect(flag, &QToolButton::clicked, this, [this, w = c.FEQ] { askMatchType(w); });
            c.FLAG = flag;
            placeFlag(c);
            flag->show();
        }
    }
    setAction(QStringLiteral("DTRV::EnterCriteria:Message"));
    RESPONSE = 2;
    UPDATEQBEWINDOW();
}

void FORMCLASS::placeFlag(Control& c)
{
    if (!c.FLAG || !c.FEQ)
        return;
    const QRect r = c.FEQ->geometry();
    c.FLAG->move(std::max(0, r.left() - 20), r.top() + (r.height() - 16) / 2);
}

void FORMCLASS::setAction(const QString& key)
{
    const QString t = text(key);
    if (m_action)
        m_action->setText(t);
    else if (m_window)
        m_window->setWindowTitle(t);
}

QString FORMCLASS::actionText() const
{
    if (m_action)
        return m_action->text();
    return m_window ? m_window->windowTitle() : QString();
}

void FORMCLASS::updateFlag(Control& c)
{
    if ((!c.FLAG && !c.ACTION) || SETFIELD(c.FILE, c.FIELD) != 0)
        return;
    const Field& f = *currentField();
    const int n = f.CRITERIACOUNT();
    const QIcon icon = matchTypeIcon(n == 0 ? MATCHTYPE_IGNOREFIELD : n == 1 ? f.CRITERION[0].type : MATCHTYPE_COUNT);
    const QString tip = n == 1 ? f.CRITERION[0].DISPLAY : QString();
    if (c.FLAG) {
        c.FLAG->setIcon(icon);
        c.FLAG->setToolTip(tip);
    }
    if (c.ACTION) {
        c.ACTION->setIcon(icon);
        c.ACTION->setToolTip(tip);
    }
}

void FORMCLASS::UPDATEQBEWINDOW()
{
    for (Control& c : m_controls) {
        if (!c.FEQ || SETFIELD(c.FILE, c.FIELD) != 0)
            continue;
        const Field& f = *currentField();
        const bool has = f.CRITERIACOUNT() > 0;
        setValue(c.FEQ, has ? (f.TYPE == FIELD_DATE ? SEARCHCLASS::formatValue(f, f.CRITERION[0].value)
                                                    : f.CRITERION[0].value)
                            : QString());
        updateFlag(c);
    }
    QWidget* focus = m_current ? m_current : (m_controls.empty() ? nullptr : m_controls.front().FEQ.data());
    if (focus)
        focus->setFocus();
}

void FORMCLASS::accepted(Control& c)
{
    if (SETFIELD(c.FILE, c.FIELD) != 0)
        return;
    Field& f = *currentField();
    QString v = valueOf(c.FEQ);
    if (f.TYPE == FIELD_DATE && !v.trimmed().isEmpty())
        v = QString::number(vrt::dayFromDate(QDate::fromString(v.trimmed(), QStringLiteral("d.M.yyyy"))));
    if (f.CRITERIACOUNT() > 0) {
        QbeCriterion k = f.CRITERION[0];
        k.value = v;
        PUTCRITERION(0, k);
    } else if (!v.trimmed().isEmpty()) {
        ADDCRITERION(defaultMatch(f.TYPE), v);
    }
    updateFlag(c);
}

void FORMCLASS::askMatchType(QWidget* control)
{
    Control* c = controlOf(control);
    if (!c || m_preview || SETFIELD(c->FILE, c->FIELD) != 0)
        return;
    m_current = c->FEQ;
    // What is typed but not yet taken counts first.
    if (currentField()->CRITERIACOUNT() == 0 && !valueOf(c->FEQ).trimmed().isEmpty())
        accepted(*c);
    SETFIELD(c->FILE, c->FIELD);
    // Whatever it answers (a set loaded, criteria changed, cancelled), the window shows the
    // criteria as they now are.
    matchTypeWindow();
    UPDATEQBEWINDOW();
}

void FORMCLASS::helpPressed()
{
    if (m_preview) {
        // Edit This: the form closes and reopens for a change of the found record.
        m_reader.close();
        RESPONSE = 10;
        emit closeForm(10);
        return;
    }
    if (m_current) {
        askMatchType(m_current);
        return;
    }
    vrt::message(text(QStringLiteral("DTRV::SelectFieldFirst:Message")), text(QStringLiteral("DTRV::SelectFieldFirst:Title")),
                 vrt::Icon::Information, vrt::BUTTON_OK);
}

void FORMCLASS::workPressed()
{
    if (m_preview) {
        if (WORK(true) == 2)
            SETQBEWINDOW();
        else
            emit showRecord();
        return;
    }
    // A value typed but not yet taken (the field was not left) is a criterion too.
    for (Control& c : m_controls) {
        // A check box always has a value: it counts only when clicked.
        if (!c.FEQ || qobject_cast<QCheckBox*>(c.FEQ.data()) || SETFIELD(c.FILE, c.FIELD) != 0)
            continue;
        const Field& f = *currentField();
        const QString shown = f.CRITERIACOUNT() == 0 ? QString()
                              : f.TYPE == FIELD_DATE ? SEARCHCLASS::formatValue(f, f.CRITERION[0].value)
                                                     : f.CRITERION[0].value;
        if (valueOf(c.FEQ) != shown)
            accepted(c);
    }
    const int r = WORK(false);
    if (r == 10) {
        SETPREVIEWWINDOW();
    } else if (r == 11 || r == 12) {
        RESPONSE = r;
        emit closeForm(r);
    } else {
        UPDATEQBEWINDOW();
    }
}

void FORMCLASS::cancelPressed()
{
    if (m_preview) {
        m_reader.close();
        SETQBEWINDOW();
        return;
    }
    emit closeForm(2);
}

bool FORMCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_cancel && event->type() == QEvent::MouseButtonRelease) {
        auto* b = static_cast<QAbstractButton*>(watched);
        if (b->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            b->setDown(false);
            cancelPressed();
            return true;
        }
    }
    if (Control* c = controlOf(watched)) {
        if (event->type() == QEvent::FocusIn && watched == c->FEQ)
            m_current = c->FEQ;
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched == c->FEQ)
            placeFlag(*c);
        if (event->type() == QEvent::ContextMenu && !m_preview) {
            askMatchType(c->FEQ);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

int FORMCLASS::beginSearch(const SearchTaskButtons& buttons)
{
    QDialog d(m_window);
    d.setWindowTitle(text(QStringLiteral("DTRV::SearchTask:Title")));
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(new QLabel(text(QStringLiteral("DTRV::SearchTask:Question")), &d));
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    static const char* const keys[] = {"", "DTRV::Button:Select", "DTRV::Button:Unselect", "DTRV::Button:Edit",
                                       "DTRV::Button:Cancel"};
    // Closing the window without a choice is a cancel.
    int chosen = TASK_CANCEL;
    for (int task : buttons.order) {
        auto* b = new QPushButton(text(QLatin1String(keys[task])), &d);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, &d, [&d, &chosen, task] {
            chosen = task;
            d.accept();
        });
        if (task == buttons.focus) {
            b->setDefault(true);
            b->setFocus();
        }
    }
    d.exec();
    return chosen;
}

int FORMCLASS::matchTypeWindow()
{
    MatchTypeWindow w(*this, m_window);
    return w.run();
}

int FORMCLASS::askTask(const SearchTaskButtons& buttons)
{
    return beginSearch(buttons);
}

bool FORMCLASS::runProgress(QbeProgress& progress)
{
    return progress.exec() == QDialog::Accepted;
}

int FORMCLASS::WORK(bool findNext)
{
    if (findNext) {
        if (m_reader.next())
            return 10;
        vrt::message(text(QStringLiteral("DTRV::NoMoreMatches:Message")), {}, vrt::Icon::Information, vrt::BUTTON_OK);
        WIZARDPAGE = 3;
        return 2;
    }
    if (!CHECKCRITERIONENTERED()) {
        vrt::message(text(QStringLiteral("DTRV::CriterionReq:Message")), {}, vrt::Icon::Exclamation, vrt::BUTTON_OK);
        return 2;
    }
    CLEANALLCRITERIA();
    FORMATFILTER(FILTER);
    int task = TASK_EDIT;
    if (SUPPORTSELECT) {
        const bool marked = !FSTTAG().isEmpty();
        if (SKIPSELECTCANCEL && SUPPORTEDIT == 0 && !(SUPPORTUNSELECT && marked)) {
            task = TASK_SELECT;
        } else {
            SearchTaskButtons buttons = beginSearchButtons(SUPPORTEDIT, SUPPORTUNSELECT && marked);
            if (SUPPORTEDIT == 0)
                std::erase(buttons.order, TASK_EDIT);
            task = askTask(buttons);
        }
        if (task == TASK_CANCEL) {
            WIZARDPAGE = 5;
            return 2;
        }
        if (task == TASK_SELECT && marked) {
            if (ALWAYSCLEARTAGS ||
                vrt::message(text(QStringLiteral("DTRV::ClearOldFirst:Message")), {}, vrt::Icon::Question,
                             vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES) == vrt::BUTTON_YES)
                NEWTAG();
        }
    }
    if (task == TASK_EDIT) {
        if (m_reader.first(FILTER))
            return 10;
        vrt::message(text(QStringLiteral("DTRV::NoMatches:Message")), {}, vrt::Icon::Information, vrt::BUTTON_OK);
        return 2;
    }
    QbeProgress progress(*this, m_reader, task == TASK_SELECT, m_window);
    if (!progress.start()) {
        vrt::message(text(QStringLiteral("DTRV::NoMatches:Message")), {}, vrt::Icon::Information, vrt::BUTTON_OK);
        return 2;
    }
    const bool done = runProgress(progress);
    m_reader.close();
    return done ? 11 : 2;
}

void FORMCLASS::SETPREVIEWWINDOW()
{
    m_preview = true;
    if (m_help) {
        m_oldHelpText = m_help->text();
        m_help->setText(text(QStringLiteral("DTRV::Button:EditThis")));
    }
    if (m_work) {
        m_oldWorkText = m_work->text();
        m_work->setText(text(QStringLiteral("DTRV::Button:FindNext")));
    }
    setAction(QStringLiteral("DTRV::AskEdit:Message"));
    for (Control& c : m_controls)
        if (c.FEQ)
            setReadOnly(c.FEQ, true);
    emit showRecord();
}

void FORMCLASS::SETQBEWINDOW()
{
    m_preview = false;
    if (m_help && !m_oldHelpText.isNull())
        m_help->setText(m_oldHelpText);
    if (m_work && !m_oldWorkText.isNull())
        m_work->setText(m_oldWorkText);
    for (Control& c : m_controls)
        if (c.FEQ)
            setReadOnly(c.FEQ, false);
    setAction(QStringLiteral("DTRV::EnterCriteria:Message"));
    UPDATEQBEWINDOW();
}

} // namespace DTRV
