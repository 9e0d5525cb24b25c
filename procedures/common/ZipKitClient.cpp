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

namespace {

// The component's typed answer as a result code, its text left for the caller's report.
HRESULT answer(const ZipKit& kit, bool ok)
{
    if (ok)
        return S_OK;
    setErrorInfo(kit.errorText());
    return kit.cancelled() ? E_ABORT : E_FAIL;
}

} // namespace

template <class Call>
HRESULT IZipKitClass::wrap(const char* name, Call&& call)
{
    if (!ISINITIALIZED || !IZIPKITOBJ)
        return HR = E_FAIL;
    clearErrorInfo();
    HR = call(*IZIPKITOBJ);
    if (HR < 0)
        ReportError(QStringLiteral("IZipKitClass.") + QLatin1String(name), HR, 1);
    return HR;
}

HRESULT IZipKitClass::ADD_COM(const QString& fileSpec, const QString& exclude, int32_t attributes)
{
    return wrap("ADD_COM", [&](ZipKit& k) {
        if (attributes != 0) {
            setErrorInfo(QStringLiteral("Unsupported attributes: %1").arg(attributes));
            return E_INVALIDARG;
        }
        return answer(k, k.add(fileSpec, exclude));
    });
}

HRESULT IZipKitClass::Count(int32_t* value)
{
    return wrap("Count", [&](ZipKit& k) {
        if (!value)
            return E_INVALIDARG;
        const std::optional<int> n = k.count();
        *value = n.value_or(0);
        return answer(k, n.has_value());
    });
}

HRESULT IZipKitClass::Extract(const QString& pattern, const QString& targetFolder)
{
    return wrap("Extract", [&](ZipKit& k) { return answer(k, k.extract(pattern, targetFolder)); });
}

HRESULT IZipKitClass::SetAutoSave(int16_t value)
{
    return wrap("SetAutoSave", [&](ZipKit& k) {
        k.setAutoSave(value != 0);
        return S_OK;
    });
}

HRESULT IZipKitClass::SetExtractOptions(int32_t value)
{
    return wrap("SetExtractOptions", [&](ZipKit& k) {
        k.setExtractOptions(value);
        return S_OK;
    });
}

HRESULT IZipKitClass::SetFileName(const QString& value)
{
    return wrap("SetFileName", [&](ZipKit& k) {
        k.setFileName(value);
        return S_OK;
    });
}

HRESULT IZipKitClass::Save()
{
    // Nothing added is no failure, but the caller can tell it from a written archive.
    return wrap("Save", [](ZipKit& k) {
        return !k.fileName().isEmpty() && !k.hasPending() ? S_FALSE : answer(k, k.save());
    });
}

HRESULT IZipKitClass::SetStoreOptions(int32_t value)
{
    return wrap("SetStoreOptions", [&](ZipKit& k) {
        k.setStoreOptions(value);
        return S_OK;
    });
}

HRESULT IZipKitClass::SetExcludedPaths(const QStringList& paths)
{
    return wrap("SetExcludedPaths", [&](ZipKit& k) {
        k.setExcludedPaths(paths);
        return S_OK;
    });
}

HRESULT IZipKitClass::AddFileAs(const QString& file, const QString& entryName)
{
    return wrap("AddFileAs", [&](ZipKit& k) { return answer(k, k.addFileAs(file, entryName)); });
}

IZipKitEvents::~IZipKitEvents()
{
    // The component must not call a sink that is gone.
    if (m_connectedTo)
        m_connectedTo->unadvise(DWCOOKIE);
}

HRESULT IZipKitEvents::Connect(ComUnknown* source)
{
    auto* kit = dynamic_cast<ZipKit*>(source);
    if (!kit)
        return E_NOINTERFACE;
    DWCOOKIE = kit->advise(this);
    m_connectedTo = kit;
    return S_OK;
}

HRESULT IZipKitEvents::Disconnect(ComUnknown* source)
{
    auto* kit = dynamic_cast<ZipKit*>(source);
    if (!kit)
        return E_NOINTERFACE;
    if (!kit->unadvise(DWCOOKIE))
        return CONNECT_E_NOCONNECTION;
    if (m_connectedTo == kit)
        m_connectedTo.clear();
    return S_OK;
}

void IZipKitEvents::archiveProgress(int percent, bool& abort)
{
    int16_t answer = 0;
    OnArchiveProgress(static_cast<uint8_t>(percent), answer);
    abort = answer != 0;
}

bool IZipKitEvents::confirmOverwrite(const QString& name)
{
    QString n = name;
    int16_t confirm = 0;
    OnConfirmOverwrite(n, confirm);
    return confirm != 0;
}

} // namespace VelmoraDll
