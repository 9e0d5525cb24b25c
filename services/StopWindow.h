#pragma once
#include <QDialog>
#include <QStringList>

class QUILVO;
class QPlainTextEdit;

namespace quilvo {

// What the stop window works with.
struct StopWindowSetup {
    QString message;  // as the program raised it; this is what a report carries
    QString shown;    // the message in the user's language
    QString folder;   // the program's folder: Kelpart, Global.ini
    QString server;   // the configured server share; empty when there is none
};

// What a stop may start and end: the repair helper and the program.
class StopActions {
public:
    virtual ~StopActions() = default;
    // Starts `program` without waiting; false when it could not be.
    virtual bool launch(const QString& program, const QStringList& args) = 0;
    // Ends the program after the stop window's "close".
    virtual void endProgram(int code) = 0;
    // Detached processes and an orderly quit.
    static StopActions& program();
};

// The window behind a critical error. It offers to repair the program ("Otkloni"), to report
// the error ("Prijavi") or to close ("&Zatvori"); only "&Zatvori" closes it, no key does.
class StopWindow : public QDialog {
    Q_OBJECT
public:
    StopWindow(StopWindowSetup setup, StopActions& actions, QWidget* parent = nullptr);

    void repair();
    void report();
    void closeProgram();
    bool closeChosen() const { return m_closeChosen; }

    // A text as one line for an INI value: every line break becomes one space.
    static QString oneLine(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void markServer(const QString& value);
    void launchHelper(const QString& argument);

    StopWindowSetup m_setup;
    StopActions& m_actions;
    QPlainTextEdit* m_description = nullptr;
    bool m_closeChosen = false;
};

// Shows the window translated by `translator`; true when the user lets the program go on.
bool runStopWindow(QUILVO& translator, const StopWindowSetup& setup, StopActions& actions);

} // namespace quilvo
