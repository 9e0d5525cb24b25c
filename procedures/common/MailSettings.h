#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace controls { class MailManager; }

// The mail settings of the whole system, kept in one file: the data folder's
// Standard.ini. The accounts window writes them; the organiser window's timer reads the check
// interval and sending reads the charset, all through these functions with the same defaults.
namespace mailpeople {

inline constexpr int kDefaultCheckHundredths = 30000; // 5 minutes
inline constexpr int kHundredthsPerMinute = 6000;

QString standardIni(const QString& dataFolder);

// The 76 charset names the accounts window offers, in its order.
const QStringList& charsetNames();

// "Email"/"Check" as stored, when it is there and a number.
std::optional<long long> storedCheck(const QString& dataFolder);
// The interval in hundredths of a second; the default when nothing usable is stored.
int mailCheckHundredths(const QString& dataFolder);
// The outgoing charset; "utf-8" when none is stored.
QString outgoingCharset(const QString& dataFolder);

// A minute count typed into the window: 0 or less becomes 1, more than 60 becomes 60.
int clampAcceptedMinutes(int minutes);
// What the window stores when it closes: 0 minutes become 2.
int minutesOnClose(int minutes);
// Writes both settings; false when the file could not be written.
bool storeMailSettings(const QString& dataFolder, const QString& charset, int minutes);

// The bounds of every mail transfer, under "Email": "Stall" seconds without progress or an
// owed answer (60), "MaxMessageKB" for one message (64 MB) and "MaxLineKB" for one line
// (1 MB). Nothing usable stored, or a value out of range, means the default.
struct TransferLimits {
    int stallSeconds = 60;
    qint64 maxMessageBytes = qint64(64) << 20;
    qint64 maxLineBytes = qint64(1) << 20;
};
TransferLimits transferLimits(const QString& dataFolder);
void applyTransferLimits(controls::MailManager& mail, const QString& dataFolder);

} // namespace mailpeople
