#pragma once
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "services/OleObject.h"

class QWidget;

// Office programs are driven by text paths ("Workbooks.Open(""x"")", "Selection.Font.Bold").
// The paths go to a container, which holds the automation object made by program identifier
// through the component registry. Velmora's own objects stand behind "Excel.Application"
// (.xlsx), "Word.Application" (.docx) and "Outlook.Application" (drafts of our own mail).
namespace office {

// The container's answer when it holds no automation object.
inline const char* const NoInterface = "No ole automation interface";

// An amount for a number cell, kept as exact decimal text.
struct CellNumber {
    QString decimal;
};

// A text argument in double quotes, inner quotes doubled: nothing a caller passes can end the
// argument early or add members to the path.
QString quoted(const QString& text);
// A filter value in apostrophes, inner apostrophes doubled.
QString apostrophed(const QString& text);

// One member of a path: its name and arguments as written (texts unquoted).
struct PathMember {
    QString name;
    QStringList args;
    std::vector<bool> quotedArg; // one for each argument: was it a quoted text
    bool hasArgs = false;
    bool isText(qsizetype i) const { return i < qsizetype(quotedArg.size()) && quotedArg[size_t(i)]; }
    QString arg(qsizetype i) const { return i < args.size() ? args[i] : QString(); }
};
// Splits "Range(""A1"").Select" into members; an empty list and *ok false for a malformed path.
std::vector<PathMember> parsePath(const QString& path, bool* ok = nullptr);
// Member names compared without regard to case: is(m, {"ActiveCell", "Value"}).
bool is(const std::vector<PathMember>& m, std::initializer_list<const char*> names, size_t from = 0);
// An answer as a number ("16.0" -> 16); 0 for text that holds none.
long toLong(const QString& answer);
// A value written to a path read as a flag ("1", "True", "-1").
bool toFlag(const QVariant& value);

// The automation object of one program: answers paths. A path it cannot honour leaves a
// reason in lastError(); paths with no counterpart here say "not available: ...". A window's
// hosted control (ourcom::OleControl) can hold one as it holds any component.
class AutomationObject : public QObject, public ourcom::IAutomationPaths {
    Q_OBJECT
public:
    using QObject::QObject;
    QString read(const QString& path) override = 0;
    virtual void write(const QString& path, const QVariant& value) = 0;
    virtual void setLocale(int) {}
    QString lastError() const { return m_error; }
    void clearError() { m_error.clear(); }

    // The component identity: its host ends its life, so the count is only kept.
    ourcom::HRESULT QueryInterface(const ourcom::Guid& iid, void** out) override;
    std::int32_t AddRef() override { return ++m_references; }
    std::int32_t Release() override { return --m_references; }
    bool write(const QString& path, const QString& value) override;

protected:
    void fail(const QString& why) { m_error = why; }
    QString m_error;

private:
    std::int32_t m_references = 1;
};

// What the office classes talk to: the numbered container properties and the paths.
class AutomationContainer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void setProgId(const QString& progId) = 0; // makes the object
    virtual void setLocale(int locale) = 0;
    virtual void setReportException(bool on) = 0;
    virtual void endObject() = 0;
    // The answer; NoInterface when no object is held.
    virtual QString read(const QString& path) = 0;
    virtual void write(const QString& path, const QVariant& value) = 0;
    // The last call did nothing it was asked to; lastError() says why.
    bool lastCallFailed() const { return !m_error.isEmpty(); }
    QString lastError() const { return m_error; }

protected:
    QString m_error;
};

// The container of the system: the object comes from the component registry.
class ComponentContainer : public AutomationContainer {
    Q_OBJECT
public:
    using AutomationContainer::AutomationContainer;
    ~ComponentContainer() override;
    void setProgId(const QString& progId) override;
    void setLocale(int locale) override;
    void setReportException(bool on) override { m_report = on; }
    void endObject() override;
    QString read(const QString& path) override;
    void write(const QString& path, const QVariant& value) override;
    AutomationObject* object() const { return m_object.get(); }
    QString progId() const { return m_progId; }

private:
    void take(AutomationObject* object);
    void report();
    std::unique_ptr<AutomationObject> m_object;
    QString m_progId;
    int m_locale = 1033;
    bool m_report = false;
};

// The container over a window's hosted control: the control holds the object (and ends it),
// our objects are reached directly so values keep their types and failures their reasons.
class HostedContainer : public AutomationContainer {
    Q_OBJECT
public:
    explicit HostedContainer(ourcom::OleControl* control);
    void setProgId(const QString& progId) override;
    void setLocale(int locale) override;
    void setReportException(bool on) override;
    void endObject() override;
    QString read(const QString& path) override;
    void write(const QString& path, const QVariant& value) override;

private:
    AutomationObject* object() const;
    QPointer<ourcom::OleControl> m_control;
    int m_locale = 1033;
    bool m_report = false;
};

// The container of a window's hosted control numbered `control` (made on first use), so the
// object it holds lives as long as the window. Without a window, nullptr.
AutomationContainer* containerOf(QWidget* window, long control);

// Registers Velmora's own office objects with the component registry (once).
void registerOfficeComponents();

} // namespace office

Q_DECLARE_METATYPE(office::CellNumber)
