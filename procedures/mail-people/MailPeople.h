#pragma once
#include <QString>

// What the mail-people windows share: texts through the library's translator, the stop
// texts of failed writes, the data folder.
namespace mailpeople {

QString tx(const QString& text);
// "<where> :" + code + " : " + text, the form of every stop of these windows.
QString failure(const QString& where, int code, const QString& text);
QString dataFolder();

} // namespace mailpeople
