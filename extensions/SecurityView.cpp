#include "extensions/Security.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QApplication>
#include <QShortcut>
#include <QTextEdit>

#include "runtime/Dialogs.h"

namespace HBGT {

namespace {

template <class W>
void readOnlyEntry(W* w)
{
    w->setReadOnly(true);
    w->setFocusPolicy(Qt::ClickFocus);
    QPalette p = w->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    w->setPalette(p);
}

} // namespace

void SECURITYCLASS::PREPAREVIEWWINDOW(QWidget* window, bool viewOnly, QWidget* keepButton)
{
    if (!viewOnly || !window)
        return;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (!qobject_cast<QComboBox*>(e->parentWidget()))
                readOnlyEntry(e);
        } else if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) {
            readOnlyEntry(s);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
            readOnlyEntry(t);
        } else if (auto* t2 = qobject_cast<QTextEdit*>(w)) {
            readOnlyEntry(t2);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w)) {
            w->setEnabled(false);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (w != keepButton)
                b->setEnabled(false);
        }
    }
    window->installEventFilter(new ViewWindowFilter(keepButton, window));
}

namespace {

// Takes the run-time event of one window.
class RuntimeEventFilter : public QObject {
public:
    RuntimeEventFilter(SECURITYCLASS& s, QString name, QString description, bool notAvailable, QObject* parent)
        : QObject(parent), m_s(s), m_name(std::move(name)), m_description(std::move(description)), m_notAvailable(notAvailable)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && m_s.RUNTIMEEVENT != 0 && int(event->type()) == m_s.RUNTIMEEVENT) {
            m_s.TAKERUNTIMEEVENT(m_name, m_description, m_notAvailable);
            return true;
        }
        return false;
    }

private:
    SECURITYCLASS& m_s;
    QString m_name, m_description;
    bool m_notAvailable;
};

} // namespace

void SECURITYCLASS::PREPARERUNTIMEWINDOW(QWidget* window, const QString& name, const QString& description,
                                         bool notAvailable)
{
    if (!window)
        return;
    if (RUNTIMEINVOCATION == 1 && RUNTIMEHOTKEY != 0) {
        auto* key = new QShortcut(QKeySequence(RUNTIMEHOTKEY), window);
        key->setContext(Qt::WindowShortcut);
        QObject::connect(key, &QShortcut::activated, window,
                         [this, name, description, notAvailable] { TAKERUNTIMEEVENT(name, description, notAvailable); });
    } else if (RUNTIMEINVOCATION == 2) {
        window->installEventFilter(new RuntimeEventFilter(*this, name, description, notAvailable, window));
    }
}

void SECURITYCLASS::PREPARERUNTIMEBUTTON(QWidget* button)
{
    if (button)
        button->setVisible(CHECKACCESS(RUNTIMEDOOR));
}

void SECURITYCLASS::TAKERUNTIMEEVENT(const QString& name, const QString& description, bool notAvailable, bool flag)
{
    if (notAvailable) {
        vrt::message(TRANSLATE(QStringLiteral("HBGT::NoRuntimeHere:Message")), TRANSLATE(QStringLiteral("HBGT::NoRuntimeHere:Title")),
                     vrt::Icon::Information, vrt::BUTTON_OK);
        return;
    }
    UPDATERUNTIME(name, description, flag);
}

void SECURITYCLASS::POSTRUNTIMEEVENT()
{
    if (RUNTIMEINVOCATION != 2 || RUNTIMEEVENT == 0)
        return;
    if (QWidget* w = QApplication::activeWindow())
        QCoreApplication::postEvent(w, new QEvent(QEvent::Type(RUNTIMEEVENT)));
}

bool ViewWindowFilter::eventFilter(QObject* watched, QEvent* event)
{
    // Enter would press the window's default button: nothing but the kept button acts.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && watched != m_keep)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace HBGT
