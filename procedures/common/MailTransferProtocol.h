#pragma once
#include <QString>
#include <QStringList>

// What velmora and korbelsteen agree on: the command line the organiser starts the mail
// program with, and the Standard.ini key a receive marks its run in. Both programs take them
// from here, so one side cannot change without the other.
namespace mailtransfer {

// The argument, anywhere on the command line, that starts a receive.
inline QString receiveSwitch() { return QStringLiteral("/SR"); }

// The editor's mode, the second of the four arguments the organiser writes.
enum Mode : int { NewToAddress = 0, NewMessage = 1, Reply = 2, ReplyAll = 3, Forward = 4 };

// A mode as written on the command line, without its leading "/".
inline QString modeArgument(Mode mode) { return QString::number(int(mode)); }

// Whether a mode argument answers a stored message (reply, reply to all, forward).
inline bool answersMessage(const QString& argument)
{
    return argument == modeArgument(Reply) || argument == modeArgument(ReplyAll) || argument == modeArgument(Forward);
}

// Standard.ini's "SR"/"START": 1 while a receive runs, 2 when it has finished; velmora puts 0
// back once it has taken the finished receive in.
inline QString startSection() { return QStringLiteral("SR"); }
inline QString startKey() { return QStringLiteral("START"); }

// The lock a receive holds in the data folder while it runs; it writes "SR"/"START" 1 and 2
// only while it holds it.
QString receiveLockPath(const QString& dataFolder);
// Whether a receive holds that lock. A receive that was killed leaves its lock file behind:
// with the file gone, or its process gone (or its number now another program's), the receive
// is over. A lock taken on another machine, or one whose owner cannot be told, counts as held.
bool receiveHolderAlive(const QString& dataFolder);

} // namespace mailtransfer
