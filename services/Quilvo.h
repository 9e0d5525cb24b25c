#pragma once
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <mutex>
#include <vector>

#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"

// The run-time translator. Every window text and message passes through QVSTR; with language
// 1 (Croatian, the language the texts are written in) nothing is looked up. Each program and
// library holds its own object.
class QUILVO {
public:
    QUILVO() = default;
    virtual ~QUILVO() = default;

    // The framework part of the translator.
    void INIT();
    void KILL();

    // Language 0 or above 28 becomes 1; file names are kept up to 254 characters.
    void QVINIT(const QString& translationFile, int language, const QString& substitutionFile,
                int noEffect, int silent);
    void QVDLC(const QString& translationFile, int language);
    void QVKILL();

    // Installs `proc` in runtime slot `hook` (1 colour .. 7 stop), keeping what was there.
    void INITHOOK(int hook, vrt::HookProc proc);

    virtual QString QVSTR(const QString& text) const;
    virtual QString QVSUB(const QString& text) const;
    void QVFRQ(QWidget* frame);
    void TRANSLATEWINDOW(QWidget* window);
    void ADDERRORS(const std::vector<vrt::ErrorEntry>& entries);

    // The translated replacements of the runtime operations.
    bool COLORDIALOG(const QString& title, QColor& colour);
    bool FILEDIALOG(vrt::FileDialogArgs& args);
    bool FONTDIALOG(const QString& title, QFont& font);
    bool PRINTERDIALOG(const QString& title);
    void HALT(int code, const QString& text);
    int MESSAGE(const vrt::MessageArgs& args);
    void STOP(const QString& text);

    QString translationFile() const { return m_translationFile; }
    QString substitutionFile() const { return m_substitutionFile; }
    bool isInitialised() const { return m_initialised; }
    bool isStarted() const { return m_started; }

    // Fields callers set and read.
    QString EXTRACTTEXT;
    bool SILENCE = false;
    bool USEQUEUE = false;
    bool NOFILEUPDATE = false;
    bool REPOSPROMPTS = false;
    bool ENTRY2TEXT = false;
    bool REVERSEFORMAT = false;
    bool FRAMEFLAG = false;
    int TRANSLANG = 1;
    QPointer<QWidget> FRAMEWINDOW;
    std::vector<vrt::ErrorEntry> ERRORSQ;
    std::vector<vrt::ErrorEntry> ERRORSQ2;

private:
    QString m_translationFile;
    QString m_substitutionFile;
    bool m_initialised = false;
    bool m_started = false;
    std::array<vrt::HookProc, 7> m_previous{};
};

// The seven hook forwarders, bound to one translator object (numbers 1..7 in order).
vrt::HookProc HOOKCOLORDIALOG(QUILVO& t);
vrt::HookProc HOOKFILEDIALOG(QUILVO& t);
vrt::HookProc HOOKFONTDIALOG(QUILVO& t);
vrt::HookProc HOOKPRINTERDIALOG(QUILVO& t);
vrt::HookProc HOOKHALT(QUILVO& t);
vrt::HookProc HOOKMESSAGE(QUILVO& t);
vrt::HookProc HOOKSTOP(QUILVO& t);

// INITHOOK 1..7 with the forwarders above.
void installTranslatorHooks(QUILVO& t);
