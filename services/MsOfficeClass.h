#pragma once
#include "services/OfficeAutomation.h"

#include <QPointer>
#include <cstdint>

// MSOFFICECLASS: the protocol shared by the office programs' classes. Three primitives reach
// the container (SETPROPERTY, GETPROPERTY, SENDCOMMAND, each behind the WITH prefix); the other
// operations build paths from them. Text arguments are quoted with their quotes doubled.
//
// A read of a program that is not there answers "0", as callers of the protocol expect; a
// caller that must know whether a value is real asks lastCallFailed() (the last primitive) or
// failed()/lastError() (the first failure since clearError()).
class MSOFFICECLASS {
public:
    MSOFFICECLASS();
    virtual ~MSOFFICECLASS();
    MSOFFICECLASS(const MSOFFICECLASS&) = delete;
    MSOFFICECLASS& operator=(const MSOFFICECLASS&) = delete;

    long CONTROL = 0;
    QString OBJECT;  // the last object answer kept, at most 19 characters
    QString SWITH;   // the prefix of every path, at most 255 characters
    QWidget* WINDOW = nullptr;

    virtual void ACTIVATE();
    virtual void COPY();
    virtual void CUT();
    virtual void ENDWITH();
    virtual uint8_t GETALIGNMENT();
    virtual long GETBOLD();
    virtual long GETDISPLAYALERTS();
    virtual QString GETFONT();
    virtual long GETFONTCOLOR();
    virtual long GETFONTSIZE();
    virtual long GETITALIC();
    virtual QString GETPROPERTY(const QString& name);
    virtual long GETUNDERLINE();
    virtual long GETVERSION();
    virtual long GETVISIBLE();
    virtual void INIT(QWidget* window, long control, uint8_t start, uint8_t activate, uint8_t visible);
    virtual uint8_t ISRUNNING();
    virtual void MAXIMIZE();
    virtual void MINIMIZE();
    virtual void PASTE();
    virtual void QUIT();
    virtual void RUNMACRO(const QString& macro);
    virtual void SENDCOMMAND(const QString& command);
    virtual void SETALIGNMENT(uint8_t alignment);
    virtual void SETBOLD(uint8_t on);
    virtual void SETDISPLAYALERTS(uint8_t on);
    virtual void SETFONT(const QString& name);
    virtual void SETFONTCOLOR(long colour);
    virtual void SETFONTSIZE(short size);
    virtual void SETFORMAT(const QString& font, short size, long colour, uint8_t bold, uint8_t italic, uint8_t alignment);
    virtual void SETITALIC(uint8_t on);
    virtual void SETPROPERTY(const QString& name, const QString& value);
    virtual void SETREPORTEXCEPTION(uint8_t on);
    virtual void SETSCREENUPDATING(uint8_t on);
    virtual void SETUNDERLINE(uint8_t on);
    virtual void SETVISIBLE(uint8_t on);
    virtual void START();
    virtual void WITH(const QString& prefix);

    // A typed value (office::CellNumber, QDate, a number): a text stays text.
    void SETPROPERTY(const QString& name, const QVariant& value);

    // The container to use instead of the window's (tests, a program's own host). Not owned.
    void setContainer(office::AutomationContainer* container);
    office::AutomationContainer* container() const;

    bool lastCallFailed() const { return m_lastFailed; }
    bool failed() const { return !m_error.isEmpty(); }
    QString lastError() const { return m_error; }
    void clearError();

protected:
    // What a derived class reports itself: refused arguments, an operation with no counterpart.
    void failWith(const QString& why);
    // A flag as the protocol sends it.
    static QString flag(uint8_t on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
    static QString num(long n) { return QString::number(n); }
    // Container property "program identifier": the container makes that program's object.
    void setProgramId(const QString& progId);
    // A read through the container directly, without the prefix (a handle's member).
    QString readDirect(const QString& path);

private:
    office::AutomationContainer* ensureContainer();
    void noteResult(office::AutomationContainer* c);

    QPointer<office::AutomationContainer> m_container;
    std::unique_ptr<office::AutomationContainer> m_own;
    bool m_lastFailed = false;
    QString m_error;
};
