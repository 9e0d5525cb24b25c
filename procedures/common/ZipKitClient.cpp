#include "procedures/common/ZipKitClient.h"

#include "runtime/ComponentRegistry.h"

namespace VelmoraDll {

using namespace controls;

IZipKitClass::IZipKitClass()
{
    CLASSNAME = QStringLiteral("IZipKitClass");
    DEBUG = 1;
}

IZipKitClass::~IZipKitClass()
{
    if (ISINITIALIZED)
        IZipKitClass::Detach();
}

HRESULT IZipKitClass::Init()
{
    // CLASSNAME makes the creation report read "IZipKitClass.Init: CoCreateInstance".
    return InitInstance(ZipKit::progId());
}

HRESULT IZipKitClass::AttachInterface(ComUnknown* unknown)
{
    auto* kit = dynamic_cast<ZipKit*>(unknown);
    if (unknown && !kit)
        return HR = E_NOINTERFACE;
    if (AttachUnknown(unknown) == S_OK)
        IZIPKITOBJ = kit;
    return HR;
}

HRESULT IZipKitClass::Detach()
{
    if (ComClientBase::Detach() == S_OK)
        IZIPKITOBJ = nullptr;
    return HR;
}

QString IZipKitClass::IsRegistered()
{
    return vrt::ComponentRegistry::instance().isRegistered(ZipKit::progId()) ? ZipKit::serverFile()
                                                                            : QString();
}

template <class Call>
HRESULT IZipKitClass::wrap(const char* name, Call&& call)
{
    if (!ISINITIALIZED || !IZIPKITOBJ)
        return HR = E_FAIL;
    HR = call(*IZIPKITOBJ);
    if (HR < 0)
        ReportError(QStringLiteral("IZipKitClass.") + QLatin1String(name), HR, 1);
    return HR;
}

HRESULT IZipKitClass::ADD_COM(const QString& fileSpec, const QString& exclude, int32_t attributes)
{
    return wrap("ADD_COM", [&](ZipKit& k) { return k.ADD_COM(fileSpec, exclude, attributes); });
}

HRESULT IZipKitClass::Count(int32_t* value)
{
    return wrap("Count", [&](ZipKit& k) { return k.Count(value); });
}

HRESULT IZipKitClass::Extract(const QString& pattern, const QString& targetFolder)
{
    return wrap("Extract", [&](ZipKit& k) { return k.Extract(pattern, targetFolder); });
}

HRESULT IZipKitClass::SetAutoSave(int16_t value)
{
    return wrap("SetAutoSave", [&](ZipKit& k) { return k.SetAutoSave(value); });
}

HRESULT IZipKitClass::SetExtractOptions(int32_t value)
{
    return wrap("SetExtractOptions", [&](ZipKit& k) { return k.SetExtractOptions(value); });
}

HRESULT IZipKitClass::SetFileName(const QString& value)
{
    return wrap("SetFileName", [&](ZipKit& k) { return k.SetFileName(value); });
}

HRESULT IZipKitClass::Save()
{
    return wrap("Save", [](ZipKit& k) { return k.Save(); });
}

HRESULT IZipKitClass::SetStoreOptions(int32_t value)
{
    return wrap("SetStoreOptions", [&](ZipKit& k) { return k.SetStoreOptions(value); });
}

HRESULT IZipKitClass::SetExcludedPaths(const QStringList& paths)
{
    return wrap("SetExcludedPaths", [&](ZipKit& k) { return k.SetExcludedPaths(paths); });
}

HRESULT IZipKitClass::AddFileAs(const QString& file, const QString& entryName)
{
    return wrap("AddFileAs", [&](ZipKit& k) { return k.AddFileAs(file, entryName); });
}

IZipKitEvents::~IZipKitEvents()
{
    // The component must not call a sink that is gone.
    if (m_connectedTo)
        m_connectedTo->Unadvise(DWCOOKIE);
}

HRESULT IZipKitEvents::Connect(ComUnknown* source)
{
    auto* kit = dynamic_cast<ZipKit*>(source);
    if (!kit)
        return E_NOINTERFACE;
    const HRESULT hr = kit->Advise(this, &DWCOOKIE);
    if (hr == S_OK)
        m_connectedTo = kit;
    return hr;
}

HRESULT IZipKitEvents::Disconnect(ComUnknown* source)
{
    auto* kit = dynamic_cast<ZipKit*>(source);
    if (!kit)
        return E_NOINTERFACE;
    const HRESULT hr = kit->Unadvise(DWCOOKIE);
    if (hr == S_OK && m_connectedTo == kit)
        m_connectedTo.clear();
    return hr;
}

} // namespace VelmoraDll
