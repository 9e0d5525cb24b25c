#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace korbelsteen {

enum class Mode { Refuse, Receive, Editor, Nothing };

// Splits a command line the way the organiser writes it: at blanks, each argument keeping its
// leading "/", a double-quoted stretch inside an argument belonging to it without the quotes.
QStringList splitCommandLine(const QString& line);

// The one job a command line names, checked in order: "/SR" anywhere receives; arguments 1-3
// not empty with argument 4 exactly "/", or arguments 1-3 each "/0" with a fourth, open the
// editor; no first argument is refused with a message; anything else does nothing.
Mode modeOf(const QStringList& args);

// The jobs a run can do; tests put recorders here so no window opens.
struct Jobs {
    std::function<int()> receive;
    std::function<int(const QStringList& four)> editor;
};

// Runs at most one job and returns the exit code.
int dispatch(const QStringList& args, const Jobs& jobs);

// The exit code of a run refused because the data folder or its database cannot be used.
constexpr int DataRefused = 3;

// The program body after QApplication exists; returns the exit code.
int run(const QStringList& args);

} // namespace korbelsteen
