#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "procedures/common/MailTransferProtocol.h"
#include "procedures/organiser/window/OrganiserServices.h"

// How the organiser window starts the mail transfer program: its argument lists (always a
// list, never one command string, so nothing in an address or a message id can add an
// argument) and the body files a reply or forward hands it.
namespace organiser::korbelsteen {

using mailtransfer::Mode;
using enum mailtransfer::Mode;

QStringList receiveArgs();
QStringList newMessageArgs();
QStringList replyArgs(const QString& bodyPath, int mode, long long emailId);
QStringList toAddressArgs(const QString& address);

// The stored body of a message ("Email/<id>.html") and the copy a reply hands the editor
// ("<id>.html" in the data folder). A message id comes from a mail header: it is made into
// a safe file name, so the paths never leave their folders. Empty for an empty id.
QString bodyFile(const QString& dataFolder, const QString& messageId);
QString bodyCopy(const QString& dataFolder, const QString& messageId);
// Copies the body over an older copy; answers the copy's path (the copy's result does not
// stop the reply: the mail program reports a missing file itself).
QString copyBody(const QString& dataFolder, const QString& messageId);

// Told when the program cannot be started (through `translate`, the translator's QVSTR).
void reportStartFailure(const std::function<QString(const QString&)>& translate);

// The program: "korbelsteen" beside this program, else on PATH, else in the data folder.
QString programPath(const QString& dataFolder);

// The receive's lock, as the mail program takes it.
using mailtransfer::receiveHolderAlive;
using mailtransfer::receiveLockPath;

// QProcess::startDetached, remembering the started process so a second receive can wait.
class DetachedLauncher : public ProcessLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
    bool lastStillRunning() override;

private:
    qint64 m_pid = 0;
};

} // namespace organiser::korbelsteen
