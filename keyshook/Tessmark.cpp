#include "runtime/ComponentRegistry.h"

#include <QEvent>
#include <QKeyEvent>
#include <QTextEdit>
#include <QWidget>

namespace {

// The editing keys of the host's text editors, each done once by the editor itself: the key
// is taken before a window shortcut or the editor's own handling could act on it a second time.
// Delete deletes one character with or without Ctrl.
class KeysHook : public QObject {
public:
    explicit KeysHook(QWidget* host) : QObject(host)
    {
        setObjectName(QStringLiteral("CKeysHook"));
        if (!host)
            return;
        for (QTextEdit* edit : host->findChildren<QTextEdit*>())
            edit->installEventFilter(this);
        if (auto* edit = qobject_cast<QTextEdit*>(host))
            edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* edit = qobject_cast<QTextEdit*>(watched);
        if (!edit || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() == Qt::ControlModifier;
        const int k = key->key();
        const bool editing = (ctrl && (k == Qt::Key_A || k == Qt::Key_C || k == Qt::Key_V || k == Qt::Key_X || k == Qt::Key_Z
                                       || k == Qt::Key_Y))
                             || ((key->modifiers() == Qt::NoModifier || ctrl) && k == Qt::Key_Delete);
        if (!editing)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            // No window shortcut gets the key; it comes back as a key press.
            event->accept();
            return true;
        }
        if (k == Qt::Key_Delete) {
            edit->textCursor().deleteChar();
        } else if (k == Qt::Key_A) {
            edit->selectAll();
        } else if (k == Qt::Key_C) {
            edit->copy();
        } else if (edit->isReadOnly()) {
            return true;
        } else if (k == Qt::Key_V) {
            edit->paste();
        } else if (k == Qt::Key_X) {
            edit->cut();
        } else if (k == Qt::Key_Z) {
            edit->undo();
        } else {
            edit->redo();
        }
        return true;
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) int vrt_register_server(vrt::ComponentRegistry* registry)
{
    if (!registry)
        return 1;
    registry->registerFactory(QStringLiteral("Tessmark.CKeysHook.1"), [](QWidget* host) { return new KeysHook(host); });
    return 0;
}
