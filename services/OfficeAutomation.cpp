#include "services/OfficeAutomation.h"

#include "runtime/ComponentRegistry.h"
#include "services/DocxWordObject.h"
#include "services/OutlookMailObject.h"
#include "services/XlsxExcelObject.h"

#include <QLocale>
#include <QWidget>

namespace office {

QString quoted(const QString& text)
{
    QString s = text;
    return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString apostrophed(const QString& text)
{
    QString s = text;
    return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

std::vector<PathMember> parsePath(const QString& path, bool* ok)
{
    std::vector<PathMember> out;
    out.reserve(3);
    int i = 0;
    const int n = int(path.size());
    auto fail = [&] {
        if (ok)
            *ok = false;
        return std::vector<PathMember>{};
    };
    while (i < n) {
        PathMember m;
        while (i < n && path[i] != '.' && path[i] != '(')
            m.name += path[i++];
        m.name = m.name.trimmed();
        if (i < n && path[i] == '(') {
            m.hasArgs = true;
            ++i;
            QString arg;
            bool inArg = false, wasQuoted = false;
            for (;;) {
                if (i >= n)
                    return fail();
                const QChar c = path[i];
                if (c == '"') {
                    ++i;
                    for (;;) {
                        if (i >= n)
                            return fail();
                        if (path[i] == '"') {
                            if (i + 1 < n && path[i + 1] == '"') {
                                arg += '"';
                                i += 2;
                                continue;
                            }
                            ++i;
                            break;
                        }
                        arg += path[i++];
                    }
                    inArg = wasQuoted = true;
                } else if (c == ',' || c == ')') {
                    if (inArg || c == ',' || !m.args.isEmpty()) {
                        m.args << (wasQuoted ? arg : arg.trimmed());
                        m.quotedArg.push_back(wasQuoted);
                    }
                    arg.clear();
                    inArg = wasQuoted = false;
                    ++i;
                    if (c == ')')
                        break;
                } else {
                    if (!wasQuoted)
                        arg += c;
                    inArg = inArg || !c.isSpace();
                    ++i;
                }
            }
        }
        out.push_back(m);
        if (i < n) {
            if (path[i] != '.')
                return fail();
            ++i;
        }
    }
    if (ok)
        *ok = true;
    return out;
}

bool is(const std::vector<PathMember>& m, std::initializer_list<const char*> names, size_t from)
{
    if (m.size() != names.size() + from)
        return false;
    size_t i = from;
    for (const char* n : names)
        if (m[i++].name.compare(QLatin1String(n), Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

long toLong(const QString& answer)
{
    const QString t = answer.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return -1;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || d != d || d > 2147483647.0 || d < -2147483648.0)
        return 0;
    return long(d);
}

bool toFlag(const QVariant& value)
{
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    const QString t = value.toString().trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    return toLong(t) != 0;
}

ComponentContainer::~ComponentContainer() = default;

void ComponentContainer::take(AutomationObject* object)
{
    m_object.reset(object);
    if (m_object) {
        m_object->setParent(nullptr);
        m_object->setLocale(m_locale);
    }
}

void ComponentContainer::setProgId(const QString& progId)
{
    m_error.clear();
    QObject* made = vrt::ComponentRegistry::instance().create(progId);
    auto* object = qobject_cast<AutomationObject*>(made);
    if (!object) {
        delete made;
        m_error = QStringLiteral("not available: no program answers for ") + progId;
        report();
        return;
    }
    m_progId = progId;
    take(object);
}

void ComponentContainer::setLocale(int locale)
{
    m_locale = locale;
    if (m_object)
        m_object->setLocale(locale);
}

void ComponentContainer::endObject()
{
    m_object.reset();
    m_progId.clear();
}

void ComponentContainer::report()
{
    if (m_report && !m_error.isEmpty())
        qWarning("%s", qPrintable(m_error));
}

QString ComponentContainer::read(const QString& path)
{
    if (!m_object) {
        m_error = QString::fromLatin1(NoInterface);
        return m_error;
    }
    m_object->clearError();
    const QString answer = m_object->read(path);
    m_error = m_object->lastError();
    report();
    return answer;
}

void ComponentContainer::write(const QString& path, const QVariant& value)
{
    if (!m_object) {
        m_error = QString::fromLatin1(NoInterface);
        return;
    }
    m_object->clearError();
    m_object->write(path, value);
    m_error = m_object->lastError();
    report();
}

ourcom::HRESULT AutomationObject::QueryInterface(const ourcom::Guid& iid, void** out)
{
    *out = iid == ourcom::IAutomationPaths::iid() || iid == ourcom::IID_IUnknown ? static_cast<ourcom::IAutomationPaths*>(this) : nullptr;
    return *out ? 0 : static_cast<ourcom::HRESULT>(0x80004002u);
}

bool AutomationObject::write(const QString& path, const QString& value)
{
    clearError();
    write(path, QVariant(value));
    return m_error.isEmpty();
}

HostedContainer::HostedContainer(ourcom::OleControl* control) : AutomationContainer(control), m_control(control) {}

AutomationObject* HostedContainer::object() const
{
    return m_control && m_control->hasObject()
               ? m_control->findChild<AutomationObject*>(QString(), Qt::FindDirectChildrenOnly)
               : nullptr;
}

void HostedContainer::setProgId(const QString& progId)
{
    m_error.clear();
    if (!m_control || !m_control->create(progId)) {
        m_error = QStringLiteral("not available: no program answers for ") + progId;
        if (m_report)
            qWarning("%s", qPrintable(m_error));
        return;
    }
    if (AutomationObject* o = object())
        o->setLocale(m_locale);
}

void HostedContainer::setLocale(int locale)
{
    m_locale = locale;
    if (AutomationObject* o = object())
        o->setLocale(locale);
}

void HostedContainer::setReportException(bool on)
{
    m_report = on;
    if (m_control)
        m_control->setProperty(ourcom::PROP_REPORTEXCEPTION, on ? 1 : 0);
}

void HostedContainer::endObject()
{
    if (m_control)
        m_control->endObject();
}

QString HostedContainer::read(const QString& path)
{
    m_error.clear();
    if (AutomationObject* o = object()) {
        o->clearError();
        const QString answer = o->read(path);
        m_error = o->lastError();
        if (m_report && !m_error.isEmpty())
            qWarning("%s", qPrintable(m_error));
        return answer;
    }
    if (!m_control || !m_control->hasObject()) {
        m_error = QString::fromLatin1(NoInterface);
        return m_error;
    }
    // Another kind of component: through the control's own paths.
    const QString answer = m_control->read(path);
    m_error = m_control->lastError();
    return answer;
}

void HostedContainer::write(const QString& path, const QVariant& value)
{
    m_error.clear();
    if (AutomationObject* o = object()) {
        o->clearError();
        o->write(path, value);
        m_error = o->lastError();
        if (m_report && !m_error.isEmpty())
            qWarning("%s", qPrintable(m_error));
        return;
    }
    if (!m_control || !m_control->hasObject()) {
        m_error = QString::fromLatin1(NoInterface);
        return;
    }
    if (!m_control->write(path, value.toString()))
        m_error = m_control->lastError();
}

AutomationContainer* containerOf(QWidget* window, long control)
{
    if (!window)
        return nullptr;
    ourcom::OleControl* host = ourcom::OleControl::find(window, int(control));
    if (!host)
        host = new ourcom::OleControl(window, int(control));
    if (auto* c = host->findChild<HostedContainer*>(QString(), Qt::FindDirectChildrenOnly))
        return c;
    return new HostedContainer(host);
}

namespace {
// A hosted control finds its object among its children.
QObject* hosted(AutomationObject* object, QWidget* host)
{
    object->setParent(host);
    return object;
}
} // namespace

void registerOfficeComponents()
{
    vrt::ComponentRegistry& r = vrt::ComponentRegistry::instance();
    if (!r.isRegistered(QStringLiteral("Excel.Application")))
        r.registerFactory(QStringLiteral("Excel.Application"), [](QWidget* host) -> QObject* { return hosted(makeExcelObject(), host); });
    if (!r.isRegistered(QStringLiteral("Word.Application")))
        r.registerFactory(QStringLiteral("Word.Application"), [](QWidget* host) -> QObject* { return hosted(makeWordObject(), host); });
    if (!r.isRegistered(QStringLiteral("Outlook.Application")))
        r.registerFactory(QStringLiteral("Outlook.Application"), [](QWidget* host) -> QObject* { return hosted(makeOutlookObject(), host); });
}

} // namespace office
