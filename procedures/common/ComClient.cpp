#include "procedures/common/ComClient.h"

#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"

#include <QObject>

namespace VelmoraDll {

using namespace controls;

ComInterfaceHolder::~ComInterfaceHolder() { ComInterfaceHolder::Destruct(); }

void ComInterfaceHolder::Destruct()
{
    if (!FPREINSTANTIATED)
        ComInterfaceHolder::Release();
}

HRESULT ComInterfaceHolder::CreateInstance(const QString& progId)
{
    if (IUNK)
        return 1;
    QObject* object = vrt::ComponentRegistry::instance().create(progId);
    auto* unknown = dynamic_cast<ComUnknown*>(object);
    if (!unknown) {
        delete object;
        return REGDB_E_CLASSNOTREG;
    }
    IUNK = unknown;
    return S_OK;
}

int32_t ComInterfaceHolder::AddRef() { return IUNK ? IUNK->AddRef() : 0; }

int32_t ComInterfaceHolder::Release()
{
    if (!IUNK)
        return 0;
    const int32_t n = IUNK->Release();
    if (n == 0)
        IUNK = nullptr;
    return n;
}

HRESULT ComInterfaceHolder::Attach(ComUnknown* unknown, bool preinstantiated)
{
    if (!unknown || IUNK)
        return 1;
    IUNK = unknown;
    FPREINSTANTIATED = preinstantiated;
    return S_OK;
}

ComUnknownBase::ComUnknownBase()
{
    IUNK = this;
    FPREINSTANTIATED = true; // its own identity is never released by the holder part
    AddRef();
}

int32_t ComUnknownBase::AddRef() { return ++CREF; }

int32_t ComUnknownBase::Release() { return --CREF; }

ComClientBase::~ComClientBase()
{
    if (ISINITIALIZED)
        ComClientBase::Detach();
}

HRESULT ComClientBase::InitInstance(const QString& progId)
{
    HR = CreateInstance(progId);
    if (HR == S_OK) {
        ComUnknown* created = IUNK;
        IUNK = nullptr; // AttachInterface takes it over
        HR = AttachInterface(created);
        if (HR == S_OK)
            ISINITIALIZED = 1;
        else
            created->Release();
        return HR;
    }
    if (HR < 0) {
        ISINITIALIZED = 0;
        ReportError(CLASSNAME + QStringLiteral(".Init: CoCreateInstance"), HR, 1);
    }
    return HR;
}

HRESULT ComClientBase::AttachUnknown(ComUnknown* unknown)
{
    if (!unknown)
        return HR = E_NOINTERFACE;
    IUNK = unknown;
    ISINITIALIZED = 1;
    return HR = S_OK;
}

HRESULT ComClientBase::Detach()
{
    if (!ISINITIALIZED)
        return HR = E_NOINTERFACE;
    // Forgetting without releasing would keep the component alive for good.
    if (IUNK && !FPREINSTANTIATED)
        IUNK->Release();
    IUNK = nullptr;
    ISINITIALIZED = 0;
    return HR = S_OK;
}

bool ComClientBase::GetErrorDescription(QString& text)
{
    text.clear();
    return takeErrorInfo(&text);
}

int ComClientBase::ReportError(const QString& method, HRESULT hr, int flag)
{
    if (DEBUG == 0 && flag == 1)
        return 0;
    // HR keeps the failure: reading the description must not make it look like success.
    QString description;
    if (!GetErrorDescription(description) || description.trimmed().isEmpty())
        description = HexText(static_cast<uint32_t>(hr));
    vrt::message(method + QStringLiteral(" failed (") + description.trimmed() + QStringLiteral(")"),
                 QStringLiteral("COM Error"), vrt::Icon::Information, vrt::BUTTON_OK);
    return 0;
}

QString ComClientBase::HexText(uint32_t value, bool suffix)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    for (; value != 0; value /= 16)
        text.prepend(QLatin1Char(digits[value % 16]));
    if (suffix && !text.isEmpty()) {
        if (text[0].isLetter())
            text.prepend(QLatin1Char('0'));
        text.append(QLatin1Char('H'));
    }
    return text;
}

} // namespace VelmoraDll
