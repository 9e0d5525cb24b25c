#pragma once
#include <QPointer>
#include <QString>

#include "protocols/ZipKit.h"
#include "procedures/common/ComClient.h"

namespace VelmoraDll {

// The typed client of the zip component. Every wrapper answers E_FAIL silently while no
// component is attached, keeps the result in HR and reports a failure as
// "IZipKitClass.<name> failed (<description>)".
class IZipKitClass : public ComClientBase {
public:
    IZipKitClass();
    ~IZipKitClass() override;

    HRESULT Init() override;
    HRESULT AttachInterface(controls::ComUnknown* unknown) override;
    HRESULT Detach() override;
    QString IsRegistered() override;

    HRESULT ADD_COM(const QString& fileSpec, const QString& exclude, int32_t attributes);
    HRESULT Count(int32_t* value);
    HRESULT Extract(const QString& pattern, const QString& targetFolder);
    HRESULT SetAutoSave(int16_t value);
    HRESULT SetExtractOptions(int32_t value);
    HRESULT SetFileName(const QString& value);
    HRESULT Save();
    HRESULT SetStoreOptions(int32_t value);
    HRESULT SetExcludedPaths(const QStringList& paths);
    HRESULT AddFileAs(const QString& file, const QString& entryName);

    controls::ZipKit* IZIPKITOBJ = nullptr;

private:
    // Runs a call on the component: E_FAIL silently without one; a failure leaves its text
    // for the report and is reported once.
    template <class Call>
    HRESULT wrap(const char* name, Call&& call);
};

// The zip component's event sink as the automation interface shapes it: progress with an
// Abort answer, and the question before a file is replaced. Handlers are empty; an owner
// overrides those it needs.
class IZipKitEvents : public ComUnknownBase, public controls::ZipKitSink {
public:
    ~IZipKitEvents() override;

    // `source` is the client's GetInterface(). E_NOINTERFACE when it is no zip component.
    virtual HRESULT Connect(controls::ComUnknown* source);
    virtual HRESULT Disconnect(controls::ComUnknown* source);

    virtual void OnArchiveProgress(uint8_t progress, int16_t& abort) {}
    virtual void OnConfirmOverwrite(QString& name, int16_t& confirm) {}

    uint32_t DWCOOKIE = 0;

private:
    void archiveProgress(int percent, bool& abort) override;
    bool confirmOverwrite(const QString& name) override;

    QPointer<controls::ZipKit> m_connectedTo;
};

} // namespace VelmoraDll
