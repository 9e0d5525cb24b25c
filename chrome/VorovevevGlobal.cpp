#include "chrome/VorovevevGlobal.h"

#include "chrome/VorovevevClass.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTime>

#include <algorithm>

VOROVEVEVGLOBALCLASS AppToolbar;

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;

std::function<QWidget*()>& activeHook()
{
    static std::function<QWidget*()> hook;
    return hook;
}
} // namespace

VOROVEVEVGLOBALCLASS::~VOROVEVEVGLOBALCLASS()
{
    // The toolbar must not call back into a facade that is gone.
    Lock lock(m_crit);
    if (m_toolbar)
        m_toolbar->SETGLOBAL(nullptr);
}

QWidget* VOROVEVEVGLOBALCLASS::activeContext()
{
    if (activeHook())
        return activeHook()();
    return QApplication::activeWindow();
}

void VOROVEVEVGLOBALCLASS::setActiveContextHook(std::function<QWidget*()> hook) { activeHook() = std::move(hook); }

void VOROVEVEVGLOBALCLASS::INIT(VOROVEVEVCLASS* toolbar)
{
    Lock lock(m_crit);
    if (m_toolbar && m_toolbar != toolbar)
        m_toolbar->SETGLOBAL(nullptr);
    m_toolbar = toolbar;
    if (toolbar)
        toolbar->SETGLOBAL(this);
}

void VOROVEVEVGLOBALCLASS::toolbarGone(ptb::Model* toolbar)
{
    Lock lock(m_crit);
    if (m_toolbar && static_cast<ptb::Model*>(m_toolbar.data()) == toolbar)
        m_toolbar = nullptr;
}

bool VOROVEVEVGLOBALCLASS::bound() const
{
    Lock lock(m_crit);
    return !m_toolbar.isNull();
}

// The change runs on the toolbar's thread, after the changes asked for before it.
template <class F> void VOROVEVEVGLOBALCLASS::post(F&& change)
{
    Lock lock(m_crit);
    if (!m_toolbar)
        return;
    QPointer<VOROVEVEVCLASS> tb = m_toolbar;
    QMetaObject::invokeMethod(
        m_toolbar.data(),
        [tb, change = std::forward<F>(change)] {
            if (tb)
                change(*tb);
        },
        Qt::QueuedConnection);
}

QString VOROVEVEVGLOBALCLASS::GETTEXT(long id)
{
    Lock lock(m_crit);
    if (!m_toolbar)
        return {};
    std::lock_guard<std::recursive_mutex> tbLock(m_toolbar->CRIT());
    return m_toolbar->ptb::Model::GETTEXT(id);
}

void VOROVEVEVGLOBALCLASS::SETTEXT(long id, const QString& text)
{
    Lock lock(m_crit);
    if (!m_toolbar)
        return;
    // The text waits in the toolbar's string queue under the clock's hundredths; two texts of
    // the same tick are taken in the order they came.
    const long key = QTime::currentTime().msecsSinceStartOfDay() / 10;
    m_toolbar->PUSHSTRING(key, text, 0);
    post([id, key](VOROVEVEVCLASS& tb) { tb.SETTEXT(id, tb.POPSTRING(key)); });
}

bool VOROVEVEVGLOBALCLASS::GETCHECKED(long id)
{
    Lock lock(m_crit);
    return m_toolbar && m_toolbar->GETCHECKED(id);
}

bool VOROVEVEVGLOBALCLASS::GETVISIBLE(long id)
{
    Lock lock(m_crit);
    return m_toolbar && m_toolbar->GETVISIBLE(id);
}

bool VOROVEVEVGLOBALCLASS::GETENABLED(long id)
{
    Lock lock(m_crit);
    return m_toolbar && m_toolbar->GETENABLED(id);
}

bool VOROVEVEVGLOBALCLASS::GETBANDVISIBLE(long band)
{
    Lock lock(m_crit);
    return m_toolbar && m_toolbar->GETBANDVISIBLE(band);
}

void VOROVEVEVGLOBALCLASS::SETCHECKED(long id, bool on)
{
    post([id, on](VOROVEVEVCLASS& tb) { tb.SETCHECKED(id, on); });
}

void VOROVEVEVGLOBALCLASS::SETVISIBLE(long id, bool on)
{
    post([id, on](VOROVEVEVCLASS& tb) { tb.SETVISIBLE(id, on); });
}

void VOROVEVEVGLOBALCLASS::SETENABLED(long id, bool on)
{
    post([id, on](VOROVEVEVCLASS& tb) { tb.SETENABLED(id, on); });
}

void VOROVEVEVGLOBALCLASS::SETBANDVISIBLE(long band, bool on)
{
    post([band, on](VOROVEVEVCLASS& tb) { tb.SETBANDVISIBLE(band, on); });
}

void VOROVEVEVGLOBALCLASS::SETBANDCONTROLSENABLED(long band, bool on)
{
    post([band, on](VOROVEVEVCLASS& tb) { tb.SETBANDCONTROLSENABLED(band, on); });
}

void VOROVEVEVGLOBALCLASS::ADDMIMICCLASS(long id, VOROVEVEVMIMICCLASS* mimic)
{
    Lock lock(m_crit);
    auto at = std::upper_bound(m_mimics.begin(), m_mimics.end(), id,
                               [](long v, const Binding& b) { return v < b.CONTROLID; });
    m_mimics.insert(at, Binding{id, mimic->context, mimic->NMODE, mimic});
}

void VOROVEVEVGLOBALCLASS::DELETEMIMICCLASS(VOROVEVEVMIMICCLASS* mimic)
{
    Lock lock(m_crit);
    for (auto it = m_mimics.rbegin(); it != m_mimics.rend(); ++it)
        if (it->PCLASS == mimic) {
            m_mimics.erase(std::next(it).base());
            return;
        }
}

void VOROVEVEVGLOBALCLASS::TRYEXECUTEMIMIC(long id)
{
    Lock lock(m_crit);
    QWidget* active = activeContext();
    VOROVEVEVMIMICCLASS* chosen = nullptr;
    for (const Binding& b : m_mimics)
        if (b.CONTROLID == id && b.MODE == 0 && b.context && b.context == active) {
            chosen = b.PCLASS;
            break;
        }
    if (!chosen)
        for (const Binding& b : m_mimics)
            if (b.CONTROLID == id && b.MODE == 1) {
                chosen = b.PCLASS;
                break;
            }
    if (chosen)
        chosen->EXECUTEMIMIC();
}

size_t VOROVEVEVGLOBALCLASS::bindingCount() const
{
    Lock lock(m_crit);
    return m_mimics.size();
}

// ---------------------------------------------------------------- one bound button

VOROVEVEVMIMICCLASS::~VOROVEVEVMIMICCLASS()
{
    if (m_registered)
        KILL();
}

void VOROVEVEVMIMICCLASS::INIT(long id, QAbstractButton* b, long mode, VOROVEVEVGLOBALCLASS* global,
                               VOROVEVEVMIMICPARENT*)
{
    NCONTROLID = id;
    NMODE = mode;
    button = b;
    context = b ? b->window() : nullptr;
    m_global = global;
    if (!global || !b)
        return;
    b->installEventFilter(this);
    // The window closing takes the binding with it.
    connect(b, &QObject::destroyed, this, [this] { KILL(); });
    global->ADDMIMICCLASS(id, this);
    m_registered = true;
}

bool VOROVEVEVMIMICCLASS::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == button && e->type() == QEvent::EnabledChange)
        TAKEENABLED(button->isEnabled());
    return false;
}

void VOROVEVEVMIMICCLASS::TAKEENABLED(bool enabled)
{
    if (!m_global)
        return;
    if (NMODE == 1 || (context && context == VOROVEVEVGLOBALCLASS::activeContext()))
        m_global->SETENABLED(NCONTROLID, enabled);
}

void VOROVEVEVMIMICCLASS::TAKEFOCUS(bool focused)
{
    if (!m_global || NMODE != 0)
        return;
    m_global->SETENABLED(NCONTROLID, focused && button && button->isEnabled());
}

void VOROVEVEVMIMICCLASS::EXECUTEMIMIC()
{
    if (button)
        QMetaObject::invokeMethod(button.data(), "click", Qt::QueuedConnection);
}

void VOROVEVEVMIMICCLASS::KILL()
{
    if (m_global)
        m_global->SETENABLED(NCONTROLID, false);
    if (m_registered && m_global)
        m_global->DELETEMIMICCLASS(this);
    m_registered = false;
    if (button)
        button->removeEventFilter(this);
}

// ---------------------------------------------------------------- a window's bindings

VOROVEVEVMIMICPARENT::~VOROVEVEVMIMICPARENT() { KILL(); }

void VOROVEVEVMIMICPARENT::ADDMIMIC(long id, QAbstractButton* button, long mode)
{
    Lock lock(m_crit);
    if (!m_global)
        return;
    auto mimic = std::make_unique<VOROVEVEVMIMICCLASS>();
    mimic->INIT(id, button, mode, m_global, this);
    m_mimics.push_back(std::move(mimic));
}

void VOROVEVEVMIMICPARENT::TAKEFOCUS(bool focused)
{
    Lock lock(m_crit);
    for (auto& m : m_mimics)
        if (m)
            m->TAKEFOCUS(focused);
}

void VOROVEVEVMIMICPARENT::KILL()
{
    Lock lock(m_crit);
    std::vector<std::unique_ptr<VOROVEVEVMIMICCLASS>> mimics = std::move(m_mimics);
    m_mimics.clear();
    for (auto& m : mimics)
        if (m)
            m->KILL();
}

size_t VOROVEVEVMIMICPARENT::count() const
{
    Lock lock(m_crit);
    return m_mimics.size();
}
