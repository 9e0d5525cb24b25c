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

AutomationContainer* containerOf(QWidget* window, long control)
{
    if (!window)
        return nullptr;
    const QString name = QStringLiteral("automation-container-%1").arg(control);
    if (auto* c = window->findChild<AutomationContainer*>(name, Qt::FindDirectChildrenOnly))
        return c;
    auto* c = new ComponentContainer(window);
    c->setObjectName(name);
    return c;
}

void registerOfficeComponents()
{
    vrt::ComponentRegistry& r = vrt::ComponentRegistry::instance();
    if (!r.isRegistered(QStringLiteral("Excel.Application")))
        r.registerFactory(QStringLiteral("Excel.Application"), [](QWidget*) -> QObject* { return makeExcelObject(); });
    if (!r.isRegistered(QStringLiteral("Word.Application")))
        r.registerFactory(QStringLiteral("Word.Application"), [](QWidget*) -> QObject* { return makeWordObject(); });
    if (!r.isRegistered(QStringLiteral("Outlook.Application")))
        r.registerFactory(QStringLiteral("Outlook.Application"), [](QWidget*) -> QObject* { return makeOutlookObject(); });
}

} // namespace office
