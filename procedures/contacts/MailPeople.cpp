#include "procedures/contacts/MailPeople.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/UpdateForm.h"
#include "services/Quilvo.h"

namespace mailpeople {

QString tx(const QString& text) { return VelmoraDll::translator().QVSTR(text); }

QString failure(const QString& where, int code, const QString& text)
{
    return where + QString::number(code) + QStringLiteral(" : ") + text;
}

QString dataFolder() { return corvalde::dataFolder(); }

bool restoreFromHistory(const vrt::UpdateFormController& controller, QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !controller.editable())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || key->key() != Qt::Key_H || key->modifiers() != Qt::ControlModifier)
        return false;
    const auto value = controller.history(edit->objectName().section(QLatin1Char(':'), 1));
    if (!value)
        return false;
    edit->setText(*value);
    return true;
}

void restorePlace(QWidget& window, const QString& name)
{
    if (vrt::IniClass* settings = VelmoraDll::LibrarySettings(); settings && settings->isInitialised()) {
        const QByteArray saved = QByteArray::fromBase64(settings->fetch(name, QStringLiteral("Geometry")).toLatin1());
        if (!saved.isEmpty())
            window.restoreGeometry(saved);
    }
}

void savePlace(const QWidget& window, const QString& name)
{
    if (vrt::IniClass* settings = VelmoraDll::LibrarySettings(); settings && settings->isInitialised())
        settings->update(name, QStringLiteral("Geometry"), QString::fromLatin1(window.saveGeometry().toBase64()));
}

} // namespace mailpeople
