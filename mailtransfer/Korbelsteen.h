#pragma once
#include <QString>
#include <QStringList>

namespace korbelsteen {

enum class Mode { Refuse, Receive, Editor, Nothing };

// Splits a command line the way the organiser writes it: at blanks, each argument keeping its
// leading "/", a double-quoted stretch inside an argument belonging to it without the quotes.
QStringList splitCommandLine(const QString& line);

// The one job a command line names, checked in order: "/SR" anywhere receives; arguments 1-3
// not empty with argument 4 exactly "/", or arguments 1-3 each "/0" with a fourth, open the
// editor; no first argument is refused with a message; anything else does nothing.
Mode modeOf(const QStringList& args);

// The jobs a run can do; each returns the exit code.
class Jobs {
public:
    virtual ~Jobs() = default;
    virtual int receive() = 0;
    // `four`: the command line's first four arguments.
    virtual int editor(const QStringList& four) = 0;
};

// Runs at most one job and returns the exit code.
int dispatch(const QStringList& args, Jobs& jobs);

// The exit code of a run refused because the data folder or its database cannot be used.
constexpr int DataRefused = 3;

// The program body after QApplication exists; returns the exit code.
int run(const QStringList& args);

} // namespace korbelsteen
