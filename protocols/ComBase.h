#pragma once
#include <QString>
#include <cstdint>

// What the outside components of the old platform shared: result codes and a reference-counted
// identity. Linux has no COM; components built into this library keep the same contract so
// their clients can hold, release and report on them the same way.
namespace controls {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);

// A component object's identity. The object ends its own life when the last reference goes.
class ComUnknown {
public:
    virtual int32_t AddRef() = 0;
    virtual int32_t Release() = 0;

protected:
    virtual ~ComUnknown() = default;
};

// The description a failing call leaves for its caller on the same thread. A component clears
// it when a call starts, so a report never shows the text of an older failure.
void setErrorInfo(const QString& description);
void clearErrorInfo();
// Takes the description (and clears it); false when the last call left none.
bool takeErrorInfo(QString* description);

} // namespace controls
