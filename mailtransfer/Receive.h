#pragma once
#include <QString>

#include "mailtransfer/ReceiveController.h"

namespace korbelsteen {

// Receives the mail of every account with its (hidden) window, unless another receive of the
// same data folder is running: the organiser starts one on every interval, and two would
// fetch the same messages. Returns 0, also when it left the receive to the other run.
int receiveOnce(ReceiveController::Options options);

// The job of "/SR": the same over the data folder's database.
int receiveIntoDatabase(const QString& dataFolder);

} // namespace korbelsteen
