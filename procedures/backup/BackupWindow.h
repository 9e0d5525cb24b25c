#pragma once
#include "procedures/common/FormSupport.h"

#include <QDateTime>
#include <functional>

namespace notespass {

// The backup window: the folders to archive (the data folder always among them), the
// destination, the choice to back up after start, and "Backup sada". A non-blank
// `destination` starts the backup as soon as the window opens (the stored destination is
// the one written to).
void W_Backup(const FormEnv& env, const QString& destination, std::function<QDateTime()> clock = {});
// The update form of one folder of the list.
int F_Backup(const FormEnv& env);

// Puts the data folder on the list unless a row names it exactly; false when the row could
// not be added (the program is stopped with the reason).
bool ensureDataFolderRow(const QString& dataFolder);
// A folder path as it is stored: one trailing separator removed (not from "/").
QString storedBackupPath(const QString& typed);

} // namespace notespass
