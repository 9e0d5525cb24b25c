#pragma once
#include <QString>

class QEvent;
class QObject;
class QWidget;
namespace vrt {
class UpdateFormController;
}

// What the mail-people windows share: texts through the library's translator, the stop
// texts of failed writes, the data folder.
namespace mailpeople {

QString tx(const QString& text);
// "<where> :" + code + " : " + text, the form of every stop of these windows.
QString failure(const QString& where, int code, const QString& text);
QString dataFolder();

// Ctrl+H in an entry named "?PRE:FIELD": the field's value from the last record the form
// saved. True when the key was taken.
bool restoreFromHistory(const vrt::UpdateFormController& controller, QObject* watched, QEvent* event);

// A window's place and size, kept by the settings object under the window's name.
void restorePlace(QWidget& window, const QString& name);
void savePlace(const QWidget& window, const QString& name);

} // namespace mailpeople
