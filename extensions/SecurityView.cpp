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
#include <QTextEdit>

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
