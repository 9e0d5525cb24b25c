#pragma once
#include <QDialog>
#include <QStringList>

#include <functional>

class QUILVO;
class QPlainTextEdit;

namespace quilvo {

// What the stop window works with.
struct StopWindowSetup {
    QString message;  // as the program raised it; this is what a report carries
    QString shown;    // the message in the user's language
    QString folder;   // the program's folder: Kelpart, Global.ini
    QString server;   // the configured server share; empty when there is none
    std::function<bool(const QString& program, const QStringList& args)> launch;
};

// The window behind a critical error. It offers to repair the program ("Otkloni"), to report
// the error ("Prijavi") or to close ("&Zatvori"); only "&Zatvori" closes it, no key does.
class StopWindow : public QDialog {
    Q_OBJECT
public:
    explicit StopWindow(StopWindowSetup setup, QWidget* parent = nullptr);

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
    QPlainTextEdit* m_description = nullptr;
    bool m_closeChosen = false;
};

// Shows the window translated by `translator`; true when the user lets the program go on.
bool runStopWindow(QUILVO& translator, const StopWindowSetup& setup);

} // namespace quilvo
