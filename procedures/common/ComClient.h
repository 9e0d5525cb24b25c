#pragma once
#include <QString>
#include <atomic>
#include <cstdint>

#include "protocols/ComBase.h"

// The library's client side of outside components: holding one component, an identity for
// event sinks, and a typed client base with result bookkeeping and "COM Error" reports.
namespace VelmoraDll {

using controls::HRESULT;

// Holds one component interface.
class ComInterfaceHolder {
public:
    ComInterfaceHolder() = default;
    ComInterfaceHolder(const ComInterfaceHolder&) = delete;
    ComInterfaceHolder& operator=(const ComInterfaceHolder&) = delete;
    virtual ~ComInterfaceHolder();

    // Releases the held interface unless it was handed in as already created.
    virtual void Destruct();
    // 1 when an interface is held already; otherwise the component registered under
    // `progId` is created and held (REGDB_E_CLASSNOTREG when there is none).
    virtual HRESULT CreateInstance(const QString& progId);
    virtual int32_t AddRef();
    // The held interface's count after the release; the holder lets go at 0.
    virtual int32_t Release();
    // 1 (nothing changes) for a null pointer or while holding; otherwise holds it.
    virtual HRESULT Attach(controls::ComUnknown* unknown, bool preinstantiated);

    controls::ComUnknown* GetInterface() const { return IUNK; }

    controls::ComUnknown* IUNK = nullptr;
    bool FPREINSTANTIATED = false;
};

// Gives an object (an event sink) a component identity with an atomic count. The count only
// tells how many holders there are: the owner destroys the object, whatever the count.
class ComUnknownBase : public ComInterfaceHolder, public controls::ComUnknown {
public:
    ComUnknownBase();
    void Destruct() override {}
    int32_t AddRef() override;
    int32_t Release() override;

    std::atomic<int32_t> CREF{0};
};

// Component set-up of the current thread for the life of the object. Linux needs none, so it
// always succeeds; the object stays so that owners keep their shape.
class ComInitializer {
public:
    ComInitializer() : HR(controls::S_OK), FINITIALISED(1) {}
    virtual ~ComInitializer() { FINITIALISED = 0; }
    HRESULT HR;
    int FINITIALISED;
};

// The base of a typed client: creation, attaching and detaching, the last result code, and
// reports of failures in a "COM Error" message box.
class ComClientBase : public ComInterfaceHolder {
public:
    ComClientBase() = default;
    ~ComClientBase() override;

    // Creates the concrete component.
    virtual HRESULT Init() = 0;
    // Generic creation by program identifier; reports a failure as CLASSNAME + ".Init: CoCreateInstance".
    virtual HRESULT InitInstance(const QString& progId);
    virtual HRESULT AttachInterface(controls::ComUnknown* unknown) = 0;
    virtual HRESULT AttachUnknown(controls::ComUnknown* unknown);
    // Lets the component go (released unless handed in as already created).
    virtual HRESULT Detach();
    // The file that serves the component, empty when it is not available.
    virtual QString IsRegistered() = 0;
    // The description the last failing call left; false (text cleared) when there is none.
    virtual bool GetErrorDescription(QString& text);

    // Shows method + " failed (" + description or code + ")"; silent with DEBUG 0 and flag 1.
    int ReportError(const QString& method, HRESULT hr, int flag);
    // Upper-case hex without leading zeros, "" for 0; with `suffix` a leading letter gets a
    // "0" in front and "H" is appended.
    static QString HexText(uint32_t value, bool suffix = false);

    QString CLASSNAME;
    int ISINITIALIZED = 0;
    int DEBUG = 1;
    HRESULT HR = controls::S_OK;
};

} // namespace VelmoraDll
