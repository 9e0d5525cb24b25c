#include "services/OleObject.h"

#include <QApplication>
#include <QMetaObject>

#include <map>
#include <mutex>
#include <tuple>

#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"

namespace ourcom {

const Guid& IAutomationPaths::iid()
{
    static const Guid g = Guid::parse(QStringLiteral("{6C1E0F52-7A3B-4D8E-9B21-56A0F3C4E101}"));
    return g;
}

const Guid& IOleDocument::iid()
{
    static const Guid g = Guid::parse(QStringLiteral("{6C1E0F52-7A3B-4D8E-9B21-56A0F3C4E102}"));
    return g;
}

namespace {

template <class T>
T* query(IUnknownLike* object)
{
    if (!object)
        return nullptr;
    void* out = nullptr;
    if (object->QueryInterface(T::iid(), &out) != 0 || !out)
        return nullptr;
    object->Release(); // the caller holds the object already
    return static_cast<T*>(out);
}

using RegistryKey = std::tuple<const QWidget*, std::int32_t, QString>;
std::mutex g_registryLock;
std::map<RegistryKey, OLEOBJECTCLASS*> g_registry;

void fatal(const QString& text, const QString& caption)
{
    vrt::message(text, caption, vrt::Icon::Information, vrt::BUTTON_OK, vrt::BUTTON_OK);
}

QString notAvailable(const char* what)
{
    return QStringLiteral("The component has no %1.").arg(QLatin1String(what));
}

} // namespace

// ---- the hosted control ------------------------------------------------------------------

OleControl::OleControl(QWidget* window, int number) : QWidget(window), m_number(number)
{
    setObjectName(QStringLiteral("OleControl%1").arg(number));
    setGeometry(1, 1, 1, 1);
    hide();
}

OleControl::~OleControl() { endObject(); }

OleControl* OleControl::find(QWidget* window, int number)
{
    if (!window)
        return nullptr;
    for (OleControl* c : window->findChildren<OleControl*>(Qt::FindDirectChildrenOnly))
        if (c->number() == number)
            return c;
    return nullptr;
}

bool OleControl::create(const QString& progId)
{
    m_error.clear();
    if (m_object)
        return true;
    const QString id = progId.trimmed();
    if (id.isEmpty()) {
        m_error = QStringLiteral("No component is named.");
        return false;
    }
    QObject* made = vrt::ComponentRegistry::instance().create(id, this);
    // A component offering several interfaces holds more than one identity base.
    IUnknownLike* unknown = dynamic_cast<IAutomationPaths*>(made);
    if (!unknown)
        unknown = dynamic_cast<IOleDocument*>(made);
    if (!unknown)
        unknown = dynamic_cast<IUnknownLike*>(made);
    if (!unknown) {
        delete made;
        m_error = QStringLiteral("No component is registered as %1.").arg(id);
        return false;
    }
    m_object = made;
    m_unknown = unknown;
    m_reference = ourcom::objectReference(unknown);
    return true;
}

void OleControl::releaseReference(const QString& reference)
{
    if (reference != m_reference)
        ourcom::releaseReference(reference);
}

void OleControl::endObject()
{
    if (!m_object)
        return;
    ourcom::releaseReference(m_reference);
    m_reference.clear();
    m_unknown = nullptr;
    delete m_object;
    m_object = nullptr;
}

IAutomationPaths* OleControl::pathsFor(const QString& path, QString& rest)
{
    if (path.startsWith(QLatin1Char('`'))) {
        const qsizetype dot = path.indexOf(QLatin1Char('.'));
        rest = dot < 0 ? QString() : path.mid(dot + 1);
        return query<IAutomationPaths>(resolveReference(dot < 0 ? path : path.left(dot)));
    }
    rest = path;
    return query<IAutomationPaths>(m_unknown);
}

IOleDocument* OleControl::document() const { return query<IOleDocument>(m_unknown); }

QString OleControl::read(const QString& path)
{
    m_error.clear();
    QString rest;
    IAutomationPaths* paths = pathsFor(path, rest);
    if (!paths) {
        m_error = QStringLiteral("No object answers %1.").arg(path);
        return {};
    }
    return paths->read(rest);
}

bool OleControl::write(const QString& path, const QString& value)
{
    m_error.clear();
    QString rest;
    IAutomationPaths* paths = pathsFor(path, rest);
    if (!paths) {
        m_error = QStringLiteral("No object answers %1.").arg(path);
        return false;
    }
    return paths->write(rest, value);
}

QVariant OleControl::property(int number) const
{
    switch (number) {
    case PROP_CREATED: return hasObject() ? 1 : 0;
    case PROP_OBJECT: return m_reference;
    case PROP_CANPASTE:
    case PROP_CANPASTELINK: {
        IOleDocument* doc = document();
        return doc && doc->canPaste(number == PROP_CANPASTELINK) ? 1 : 0;
    }
    case PROP_BLOB: {
        IOleDocument* doc = document();
        return doc ? QVariant(doc->saveToBlob()) : QVariant();
    }
    default: {
        auto it = m_flags.find(number);
        return it == m_flags.end() ? QVariant() : it->second;
    }
    }
}

bool OleControl::setProperty(int number, const QVariant& value)
{
    m_error.clear();
    switch (number) {
    case PROP_CREATE: return create(value.toString());
    case PROP_RELEASE: releaseReference(value.toString()); return true;
    case PROP_OPEN:
    case PROP_SAVEAS:
    case PROP_DOVERB:
    case PROP_BLOB: {
        IOleDocument* doc = document();
        if (!doc) {
            m_error = notAvailable("document to open, save or act on");
            return false;
        }
        const bool ok = number == PROP_OPEN     ? doc->open(value.toString())
                        : number == PROP_SAVEAS ? doc->saveAs(value.toString())
                        : number == PROP_DOVERB ? doc->doVerb(value.toInt())
                                                : doc->readFromBlob(value.toByteArray());
        if (!ok)
            m_error = QStringLiteral("The component could not do it.");
        return ok;
    }
    default:
        m_flags[number] = value;
        return true;
    }
}

bool OleControl::action(int number)
{
    m_error.clear();
    if (number == PROP_END) {
        endObject();
        return true;
    }
    IOleDocument* doc = document();
    if (!doc) {
        m_error = notAvailable("clipboard or update operations");
        return false;
    }
    switch (number) {
    case ACTION_UPDATE: return doc->update();
    case ACTION_PASTE: return doc->paste(false);
    case ACTION_PASTELINK: return doc->paste(true);
    case ACTION_COPY: return doc->copy();
    default: return false;
    }
}

int OleControl::raiseEvent(int event)
{
    OLEOBJECTCLASS* target = OLEOBJECTCLASS::registered(parentWidget(), m_number);
    if (!target)
        return 0;
    std::int16_t e = static_cast<std::int16_t>(event);
    return target->HANDLEOLEEVENT(e);
}

// ---- the object class --------------------------------------------------------------------

OLEOBJECTCLASS::~OLEOBJECTCLASS()
{
    if (!DEAD)
        KILL();
}

OleControl* OLEOBJECTCLASS::control() const { return OleControl::find(OLEWINDOW, OLECONTROL); }

QString OLEOBJECTCLASS::readPath(const QString& member)
{
    OleControl* c = control();
    return c ? c->read(OLEDISPATCH + member) : QString();
}

void OLEOBJECTCLASS::enter()
{
    std::lock_guard<std::mutex> l(g_registryLock);
    g_registry[{OLEWINDOW.data(), OLECONTROL, OLEDISPATCH.left(20)}] = this;
}

void OLEOBJECTCLASS::leave()
{
    std::lock_guard<std::mutex> l(g_registryLock);
    for (auto it = g_registry.begin(); it != g_registry.end();)
        it = it->second == this ? g_registry.erase(it) : std::next(it);
}

OLEOBJECTCLASS* OLEOBJECTCLASS::registered(QWidget* window, std::int32_t control)
{
    std::lock_guard<std::mutex> l(g_registryLock);
    auto it = g_registry.lower_bound({window, control, QString()});
    if (it == g_registry.end() || std::get<0>(it->first) != window || std::get<1>(it->first) != control)
        return nullptr;
    return it->second;
}

#define VELMORA_OLE_FLAG(name, number)                                                                       \
    void OLEOBJECTCLASS::name(bool on)                                                                       \
    {                                                                                                        \
        if (OleControl* c = control())                                                                       \
            c->setProperty(number, on ? 1 : 0);                                                              \
    }
VELMORA_OLE_FLAG(SETCLIP, PROP_CLIP)
VELMORA_OLE_FLAG(SETSTRETCH, PROP_STRETCH)
VELMORA_OLE_FLAG(SETAUTOSIZE, PROP_AUTOSIZE)
VELMORA_OLE_FLAG(SETZOOM, PROP_ZOOM)
VELMORA_OLE_FLAG(SETREPORTEXCEPTION, PROP_REPORTEXCEPTION)
#undef VELMORA_OLE_FLAG

void OLEOBJECTCLASS::SETCOMPATIBILITY(std::int32_t value)
{
    if (OleControl* c = control())
        c->setProperty(PROP_COMPATIBILITY, value);
}

void OLEOBJECTCLASS::DOCUMENT(const QString& text)
{
    if (OleControl* c = control())
        c->setProperty(PROP_DOCUMENT, text.trimmed());
}

void OLEOBJECTCLASS::LINK(const QString& text)
{
    if (OleControl* c = control())
        c->setProperty(PROP_LINK, text.trimmed());
}

bool OLEOBJECTCLASS::OPEN(const QString& file)
{
    OleControl* c = control();
    return c && c->setProperty(PROP_OPEN, file.trimmed());
}

bool OLEOBJECTCLASS::SAVEAS(const QString& file)
{
    OleControl* c = control();
    return c && c->setProperty(PROP_SAVEAS, file.trimmed());
}

bool OLEOBJECTCLASS::DOVERB(std::int16_t verb)
{
    OleControl* c = control();
    return c && c->setProperty(PROP_DOVERB, int(verb));
}

bool OLEOBJECTCLASS::READFROMBLOB(const QByteArray& blob)
{
    OleControl* c = control();
    return c && c->setProperty(PROP_BLOB, blob);
}

bool OLEOBJECTCLASS::SAVETOBLOB(QByteArray& blob)
{
    OleControl* c = control();
    const QVariant v = c ? c->property(PROP_BLOB) : QVariant();
    if (!v.isValid())
        return false;
    blob = v.toByteArray();
    return true;
}

bool OLEOBJECTCLASS::UPDATE() { OleControl* c = control(); return c && c->action(ACTION_UPDATE); }
bool OLEOBJECTCLASS::PASTE() { OleControl* c = control(); return c && c->action(ACTION_PASTE); }
bool OLEOBJECTCLASS::PASTELINK() { OleControl* c = control(); return c && c->action(ACTION_PASTELINK); }
bool OLEOBJECTCLASS::COPY() { OleControl* c = control(); return c && c->action(ACTION_COPY); }

std::int32_t OLEOBJECTCLASS::CANPASTE()
{
    OleControl* c = control();
    return c ? c->property(PROP_CANPASTE).toInt() : 0;
}

std::int32_t OLEOBJECTCLASS::CANPASTELINK()
{
    OleControl* c = control();
    return c ? c->property(PROP_CANPASTELINK).toInt() : 0;
}

bool OLEOBJECTCLASS::INIT(QWidget* window)
{
    if (!window)
        window = QApplication::activeWindow();
    if (!window)
        return false;
    int number = 1;
    while (OleControl::find(window, number))
        ++number;
    new OleControl(window, number);
    OLEDISPATCH.clear();
    INIT(window, number);
    OLECONTROLCREATED = 1;
    return true;
}

void OLEOBJECTCLASS::INIT(QWidget* window, std::int32_t control)
{
    OLEWINDOW = window;
    OLECONTROL = control;
    OLECONTROLCREATED = 0;
}

bool OLEOBJECTCLASS::INIT(QWidget* window, std::int32_t number, const QString& progId)
{
    DEAD = 0;
    OLEWINDOW = window;
    OLECONTROL = number;
    OLECONTROLCREATED = 0;
    EVENTS.clear();
    OleControl* c = control();
    if (!c && window) {
        c = new OleControl(window, number);
        OLECONTROLCREATED = 1;
    }
    if (!c)
        return false;
    if (!c->hasObject() && c->objectReference().isEmpty()) {
        c->setProperty(PROP_CREATE, progId);
        const QString file = OLECONTROLFILENAME.trimmed();
        if (!c->hasObject() && !file.isEmpty()) {
            auto& registry = vrt::ComponentRegistry::instance();
            if (!registry.registerServer(file)) {
                fatal(QStringLiteral("Can not Register OLE Control %1 Error: %2").arg(file, registry.errorString()),
                      QStringLiteral("Fatal OLE Error"));
                // The window cannot work without its control: it closes.
                QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
            }
            c->setProperty(PROP_CREATE, progId);
            if (!c->hasObject())
                fatal(QStringLiteral("Can not Find OLE Control %1!").arg(file), QStringLiteral("Fatal OLE Error"));
        }
        if (!c->hasObject())
            return false;
        c->setProperty(PROP_REPORTEXCEPTION, 1);
        OLETYPECREATED = 1;
    }
    enter();
    ENABLEEVENTS();
    INITPROPERTIES();
    return true;
}

bool OLEOBJECTCLASS::INIT(QWidget* window, std::int32_t number, const QString& creationName,
                          const QString& dispatchName, bool autoRelease)
{
    AUTORELEASE = autoRelease ? 1 : 0;
    if (dispatchName.trimmed().isEmpty()) {
        fatal(QStringLiteral("Cannot Get OLE Object"), QStringLiteral("Error Creating OLE Object"));
        return false;
    }
    OLEDISPATCH = dispatchName.trimmed() + QLatin1Char('.');
    return INIT(window, number, creationName);
}

QString OLEOBJECTCLASS::GETOBJECT()
{
    if (!OLEDISPATCH.isEmpty())
        return OLEDISPATCH.endsWith(QLatin1Char('.')) ? OLEDISPATCH.chopped(1) : OLEDISPATCH;
    OleControl* c = control();
    return c ? c->objectReference() : QString();
}

void OLEOBJECTCLASS::CREATEFROM(OLEOBJECTCLASS& other)
{
    if (&other == this)
        return;
    leave();
    OLEWINDOW = other.OLEWINDOW;
    OLECONTROL = other.OLECONTROL;
    OLEDISPATCH = other.OLEDISPATCH;
    // What the other object would free at its end is ours now, so its end frees nothing.
    OLETYPECREATED = std::exchange(other.OLETYPECREATED, 0);
    OLECONTROLCREATED = std::exchange(other.OLECONTROLCREATED, 0);
    AUTORELEASE = std::exchange(other.AUTORELEASE, 0);
    DEAD = 0;
    if (!other.DEAD)
        other.KILL();
    enter();
}

bool OLEOBJECTCLASS::CHECKCREATEERROR(const QString& name, const QString& reference)
{
    if (reference.isEmpty() || !reference.startsWith(QLatin1Char('`'))) {
        fatal(QStringLiteral("Cannot Get %1 Object").arg(name.trimmed()), QStringLiteral("Error Creating OLE Object"));
        return false;
    }
    return true;
}

void OLEOBJECTCLASS::KILL()
{
    if (DEAD)
        return;
    OleControl* c = control();
    if (AUTORELEASE && OLEDISPATCH.startsWith(QLatin1Char('`')) && c) {
        const QString reference = OLEDISPATCH.endsWith(QLatin1Char('.')) ? OLEDISPATCH.chopped(1) : OLEDISPATCH;
        if (!reference.mid(1).contains(QLatin1Char('.')))
            c->setProperty(PROP_RELEASE, reference);
    }
    if (c && OLETYPECREATED)
        c->action(PROP_END);
    if (c && OLECONTROLCREATED)
        delete c;
    OLECONTROL = 0;
    EVENTS.clear();
    leave();
    KILLPROPERTIES();
    DEAD = 1;
}

std::int32_t OLEOBJECTCOLLECTIONCLASS::COUNT() { return readPath(QStringLiteral("Count")).trimmed().toInt(); }

std::unique_ptr<OLEOBJECTCLASS> OLEOBJECTCOLLECTIONCLASS::ITEM(std::int32_t index)
{
    const QString reference = readPath(QStringLiteral("Item(%1)").arg(index)).trimmed();
    if (reference.isEmpty() || !reference.startsWith(QLatin1Char('`'))) {
        fatal(QStringLiteral("Cannot read OleObjectClass for Item %1").arg(index), QStringLiteral("Error Creatig Ole Object"));
        return nullptr;
    }
    auto item = std::make_unique<OLEOBJECTCLASS>();
    if (!item->INIT(OLEWINDOW, OLECONTROL, QString(), reference, true))
        return nullptr;
    return item;
}

} // namespace ourcom
