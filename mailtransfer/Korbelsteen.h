#pragma once
#include <QStringList>

namespace korbelsteen {

enum class Mode { Refuse, Receive, Editor };

// What the command line asks for: "/SR" receives; four arguments with the fourth exactly "/"
// (or the first three "/0" and a fourth) run the mail editor; nothing at all is refused.
Mode modeOf(const QStringList& args);

// The program body after QApplication exists; returns the exit code.
int run(const QStringList& args);

} // namespace korbelsteen
