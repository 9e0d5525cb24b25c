#include "extensions/QuickFilter.h"
#include "extensions/QuickFilterStore.h"

#include "runtime/Browse.h"

#include <QDir>

#include <algorithm>

namespace ext {

namespace {

const QString kFilterId = QStringLiteral("7xqf");

// The object's own translation group: every text stays as it is except the prompt below.
const char* const kGroup[] = {
    "Traženi pojam (dio)", "WildCard", "Od-do filter", "Sakrij napredne opcije [F9]",
    "Pokaži napredne opcije [F9]", "Najmanje :", "Najveće :", "Upiši tekst:", "Potvrdi", "Prekid",
    "Jednako", "Dio teksta", "Korisnik", "Izbor", "Poništi filter", "Poništi zadnji Filter",
    "Poništi sve filtere", "Traženi podaci nisu nađeni", "Učitaj filter", "Spremi Filter",
    "Naziv filtera", "Lista filtera (F2 postavlja filter kao standardni)",
    "Poništi sve prethodne filtere prije učitavanja", "Potvrdi s trenutnim filterom sa ILI", "&Učitaj",
    "&Spremi", "&Prekid", "&Brisanje", "Obrisati filter?", "Koristi ovaj filter kod otvaranja prozora",
    "Naziv filtera:", "Tekst filtera:", "WildCard", "Ništa"};

QString clip(const QString& s)
{
    int n = int(s.size());
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

// A bound typed as a number, written back as one ("1", "2.5", "-3").
bool numberText(const QString& text, QString& out)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        return false;
    out = QString::number(v, 'g', 15);
    return true;
}

} // namespace

// ---- the browse adapter -------------------------------------------------------------------

BrowseQuickFilterAdapter::BrowseQuickFilterAdapter(vrt::Browse& browse) : m_browse(browse), m_own(browse.filter()) {}

QString BrowseQuickFilterAdapter::combined() const
{
    QStringList parts;
    if (!m_own.trimmed().isEmpty())
        parts << m_own;
    for (const auto& [id, text] : m_filters)
        if (!text.trimmed().isEmpty())
            parts << text;
    if (parts.size() == 1)
        return parts.front();
    QStringList wrapped;
    for (const QString& p : parts)
        wrapped << QLatin1Char('(') + p + QLatin1Char(')');
    return wrapped.join(QStringLiteral(" AND "));
}

void BrowseQuickFilterAdapter::SETFILTER(const QString& filter, const QString& id)
{
    m_filters[id] = filter;
}

void BrowseQuickFilterAdapter::RESETSORT(int)
{
    m_browse.setFilter(combined());
}

void BrowseQuickFilterAdapter::SETSORT(int order)
{
    m_browse.setOrder(order - 1);
}

int BrowseQuickFilterAdapter::records()
{
    m_browse.flush();
    return m_browse.model().rowCount();
}

// ---- the quick filter ---------------------------------------------------------------------

XQUICKFILTERCLASS::XQUICKFILTERCLASS()
{
    for (const char* text : kGroup)
        m_group.emplace(QString::fromUtf8(text), QString());
    m_group[QStringLiteral("Upiši tekst:")] = QStringLiteral("Search:");
}

XQUICKFILTERCLASS::~XQUICKFILTERCLASS() = default;

QString XQUICKFILTERCLASS::TRN(const QString& text) const
{
    const auto it = m_group.find(text);
    const QString own = it != m_group.end() && !it->second.isEmpty() ? it->second : text;
    return m_side ? m_side->translate(own) : own;
}

void XQUICKFILTERCLASS::setSide(QuickFilterSide* side)
{
    m_side = side;
}

void XQUICKFILTERCLASS::INIT(int instance, QuickFilterBrowse& browse, const Keys& keys, const QString& enabledText,
                             const QString& disabledText, bool, bool, bool, bool, QString* globalFilter)
{
    INSTANCE = instance;
    m_browse = &browse;
    KEYS = keys;
    ENABLEQFSTAT = enabledText;
    DISABLEQFSTAT = disabledText;
    m_globalFilter = globalFilter;
    ENABLEGLOBALFILTER = true;
    HIDESTATUS = true;
    USEUPPER = true;
    USESQL = true;
    ADDFILTERLEVEL = false;
    FILTERNUM = 0;
    LASTFILTER = 0;
    SORTGROUPS = 1;
    setStatus(DISABLEQFSTAT);
}

void XQUICKFILTERCLASS::setStatus(const QString& text)
{
    STATUSTEXT = text;
    if (m_side)
        m_side->showStatus(text);
}

int XQUICKFILTERCLASS::fieldTypeOf(const QString& picture)
{
    const QChar c = picture.size() > 1 ? picture.at(1).toUpper() : QChar();
    if (c == QLatin1Char('D'))
        return 1;
    if (c == QLatin1Char('T'))
        return 2;
    if (c == QLatin1Char('N'))
        return 3;
    if (c == QLatin1Char('S') || c == QLatin1Char('P'))
        return 5;
    return 4;
}

void XQUICKFILTERCLASS::sortByNumber()
{
    std::stable_sort(XFILTER.begin(), XFILTER.end(),
                     [](const XFILTERENTRY& a, const XFILTERENTRY& b) { return a.FIELDNUMBER < b.FIELDNUMBER; });
}

bool XQUICKFILTERCLASS::ADDFIELD(std::function<QString()> field, int fieldNumber, const QString& filterName,
                                 const QString& description, const QString& picture, int control,
                                 const QString& group, int dblKey)
{
    XFILTERENTRY e(std::move(field));
    e.FILTERNAME = filterName;
    e.FIELDDESC = description;
    e.FIELDNUMBER = fieldNumber;
    e.FIELDPICTURE = picture;
    if (control) {
        // A wide number: control 30 and control 286 stay two fields.
        e.FIELDCONTROL = control;
        e.FIELDREGION = control;
        e.FIELDNUMBER = control + 100;
        e.FIELDGROUP = clip(group);
    }
    e.FIELDTYPE = fieldTypeOf(picture);
    e.FIELDDBLKEY = dblKey;
    if (entry(e.FIELDNUMBER))
        return false;
    XFILTER.push_back(std::move(e));
    sortByNumber();
    m_popupBuilt = false;
    return true;
}

XFILTERENTRY* XQUICKFILTERCLASS::entry(int fieldNumber)
{
    for (auto& e : XFILTER)
        if (e.FIELDNUMBER == fieldNumber)
            return &e;
    return nullptr;
}

XFILTERENTRY* XQUICKFILTERCLASS::entryOfRegion(int control)
{
    for (auto& e : XFILTER)
        if (e.FIELDREGION != 0 && e.FIELDREGION == control)
            return &e;
    return nullptr;
}

QString XQUICKFILTERCLASS::REPLACE(const QString& value) const
{
    QString out = clip(value);
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QString XQUICKFILTERCLASS::conditionText(const XFILTERENTRY& e, Kind kind, int type, const QString& v) const
{
    const QString n = clip(e.FILTERNAME);
    const QString p = clip(e.FIELDPICTURE);
    const bool region = e.FIELDREGION != 0;
    switch (kind) {
    case Kind::Equal:
        if (USESQL || !USEUPPER)
            return n + " = '" + v + "'";
        return "UPPER(" + n + ") = UPPER('" + v + "')";
    case Kind::Instring:
        if (e.FIELDTYPE == 1 || e.FIELDTYPE == 2)
            return "FORMAT('" + v + "'," + p + ") = FORMAT(" + n + "," + p + ")";
        if (!USESQL && USEUPPER)
            return "INSTRING(UPPER('" + v + "'), UPPER(" + n + "), 1, 1)";
        return "INSTRING('" + v + "', " + n + ", 1, 1)";
    case Kind::Typed:
        if (type == 4)
            return "INRANGE(" + n + "," + e.FIELDSTRLOW + "," + e.FIELDSTRHIGH + ")";
        if (USESQL)
            return "INSTRING('" + v + "', " + n + ", 1, 1)";
        if (USEUPPER && e.FIELDTYPE == 5)
            return "INSTRING(UPPER('" + v + "'), UPPER(" + n + "), 1, 1)";
        if (USEUPPER)
            return "INSTRING(UPPER('" + v + "'), UPPER(FORMAT(" + n + "," + p + ")), 1, 1)";
        return "INSTRING('" + v + "', FORMAT(" + n + "," + p + "), 1, 1)";
    case Kind::Wildcard:
        if (region) {
            if (USESQL)
                return "MATCH('" + v + "', " + n + ", 1)";
            if (USEUPPER && e.FIELDTYPE == 5)
                return "MATCH(UPPER('" + v + "'), UPPER(" + n + "), 1)";
            if (USEUPPER)
                return "MATCH(UPPER('" + v + "'), UPPER(FORMAT(" + n + "," + p + ")), 1)";
            return "MATCH('" + v + "', FORMAT(" + n + "," + p + "), 1)";
        }
        if (USESQL)
            return "MATCH(" + n + ",'" + v + "', 1)";
        if (USEUPPER && e.FIELDTYPE == 5)
            return "MATCH(UPPER(" + n + "), UPPER('" + v + "'), 1)";
        if (USEUPPER)
            return "MATCH(UPPER(FORMAT(" + n + "," + p + ")),UPPER('" + v + "'), 1)";
        return "MATCH(FORMAT(" + n + "," + p + "),'" + v + "', 1)";
    }
    return {};
}

void XQUICKFILTERCLASS::INPUTSTR(bool wildcard)
{
    INPUTSTRRES = 2;
    const XFILTERENTRY* e = nullptr;
    for (const auto& x : XFILTER)
        if (x.FIELDNUMBER == m_inputField)
            e = &x;
    if (!m_side || !e)
        return;
    QString low = INSTRINGSTRLOW, high = INSTRINGSTRHIGH;
    INPUTSTRRES = m_side->inputWindow(wildcard, *e, low, high);
    INSTRINGSTRLOW = low;
    INSTRINGSTRHIGH = high;
}

bool XQUICKFILTERCLASS::askInput(bool wildcard, const XFILTERENTRY& e)
{
    m_inputField = e.FIELDNUMBER;
    for (;;) {
        INPUTSTR(wildcard);
        if (INPUTSTRRES == 2)
            return false;
        if (INPUTSTRRES != 1 || wildcard)
            return true;
        // A range takes numbers only: anything else is asked again rather than read as 0.
        QString low, high;
        if (numberText(INSTRINGSTRLOW, low) && numberText(INSTRINGSTRHIGH, high)) {
            INSTRINGSTRLOW = low;
            INSTRINGSTRHIGH = high;
            return true;
        }
        if (!m_side)
            return false;
        m_side->inform(TRN(QStringLiteral("Min and Max must be numbers.")), TRN(QStringLiteral("Numbers")));
    }
}

bool XQUICKFILTERCLASS::addLevel(int fieldNumber, Kind kind)
{
    XFILTERENTRY* current = entry(fieldNumber);
    if (!current || current->FILTERON)
        return false;
    int type = current->FILTERTYPE;
    QString value;
    switch (kind) {
    case Kind::Equal:
        type = 1;
        value = current->FIELD();
        break;
    case Kind::Instring:
        type = 2;
        value = current->FIELD();
        break;
    case Kind::Typed:
    case Kind::Wildcard:
        if (!askInput(kind == Kind::Wildcard, *current))
            return false;
        current = entry(fieldNumber); // the window may have run the event loop
        if (!current || current->FILTERON)
            return false;
        if (kind == Kind::Typed)
            type = INPUTSTRRES == 1 ? 4 : 3;
        value = INSTRINGSTRLOW;
        break;
    }
    const QString v = REPLACE(value);

    std::vector<XFILTERENTRY*> targets;
    if (current->FIELDCONTROL != 0 && !current->FIELDGROUP.isEmpty()) {
        for (auto& e : XFILTER)
            if (e.FIELDCONTROL != 0 && e.FIELDGROUP == current->FIELDGROUP)
                targets.push_back(&e);
    } else {
        targets.push_back(current);
    }
    for (XFILTERENTRY* e : targets) {
        e->FILTERON = true;
        e->FILTERINSTRING = kind != Kind::Equal;
        e->FILTERTYPE = type;
        if (kind == Kind::Typed || kind == Kind::Wildcard) {
            e->FIELDSTRLOW = INSTRINGSTRLOW;
            e->FIELDSTRHIGH = INSTRINGSTRHIGH;
        }
        e->LASTFILTER = LASTFILTER;
        e->FILTERTOFILTER = conditionText(*e, kind, type, v);
        LASTFILTER = e->FIELDNUMBER;
    }
    ++FILTERNUM;
    SETFILTER();
    if (m_browse)
        m_browse->RESETSORT(1);
    return true;
}

bool XQUICKFILTERCLASS::addEqual(int n) { return addLevel(n, Kind::Equal); }
bool XQUICKFILTERCLASS::addInstring(int n) { return addLevel(n, Kind::Instring); }
bool XQUICKFILTERCLASS::addTyped(int n) { return addLevel(n, Kind::Typed); }
bool XQUICKFILTERCLASS::addWildcard(int n) { return addLevel(n, Kind::Wildcard); }

void XQUICKFILTERCLASS::resetEntry(XFILTERENTRY& e)
{
    e.FILTERON = false;
    LASTFILTER = e.LASTFILTER;
    if (LASTFILTER == 0 && !FILTERLOADED)
        setStatus(DISABLEQFSTAT);
}

bool XQUICKFILTERCLASS::cancelLast()
{
    if (FILTERNUM == 0)
        return false;
    XFILTERENTRY* last = entry(LASTFILTER);
    if (!last)
        return false;
    if (!last->FIELDGROUP.isEmpty()) {
        const QString group = last->FIELDGROUP;
        for (auto it = XFILTER.rbegin(); it != XFILTER.rend(); ++it)
            if (it->FIELDGROUP == group && it->FILTERON)
                resetEntry(*it);
    } else {
        resetEntry(*last);
    }
    --FILTERNUM;
    afterChange();
    return true;
}

void XQUICKFILTERCLASS::afterChange()
{
    SETFILTER();
    if (m_browse)
        m_browse->RESETSORT(1);
}

void XQUICKFILTERCLASS::cancelAllLevels()
{
    if (FILTERNUM == 0 || KEYS.disableAll == 0)
        return;
    for (auto& e : XFILTER) {
        e.FILTERON = false;
        e.LASTFILTER = 0;
    }
    LASTFILTER = 0;
    FILTERNUM = 0;
    setStatus(DISABLEQFSTAT);
    afterChange();
}

void XQUICKFILTERCLASS::CANCELALL()
{
    CANCELLOADED();
    cancelAllLevels();
}

void XQUICKFILTERCLASS::CANCELLOADED()
{
    FILTERLOADED = false;
    LOADEDFNAME.clear();
    GLOBALFILTERSTRINGL.clear();
    afterChange();
}

void XQUICKFILTERCLASS::SETFILTER(int)
{
    QString a;
    if (FILTERNUM > 0) {
        for (const auto& e : XFILTER)
            if (e.FIELDGROUP.isEmpty() && e.FILTERON)
                a += (a.isEmpty() ? QString() : QStringLiteral(" AND ")) + e.FILTERTOFILTER;
        std::stable_sort(XFILTER.begin(), XFILTER.end(),
                         [](const XFILTERENTRY& x, const XFILTERENTRY& y) { return x.FIELDGROUP < y.FIELDGROUP; });
        QString g, groupName;
        const auto flush = [&] {
            if (g.isEmpty())
                return;
            a = a.isEmpty() ? "(" + g + ")" : a + " AND (" + g + ")";
            g.clear();
        };
        for (const auto& e : XFILTER) {
            if (e.FIELDGROUP.isEmpty() || !e.FILTERON)
                continue;
            if (e.FIELDGROUP != groupName) {
                flush();
                groupName = e.FIELDGROUP;
            }
            g += (g.isEmpty() ? QString() : QStringLiteral(" OR ")) + e.FILTERTOFILTER;
        }
        flush();
    }
    if (FILTERNUM > 0)
        setStatus(ENABLEQFSTAT + (ADDFILTERLEVEL ? QStringLiteral(" (%1)").arg(FILTERNUM) : QString()));
    else if (FILTERLOADED)
        setStatus(ENABLEQFSTAT + (ADDFILTERLEVEL ? QStringLiteral(" (1)") : QString()));
    else
        setStatus(DISABLEQFSTAT);

    const QString l = GLOBALFILTERSTRINGL;
    if (!clip(a).isEmpty() && !clip(l).isEmpty())
        a = a + " " + (ADDWITHOR ? "OR" : "AND") + "(" + l + ")";
    else if (!clip(l).isEmpty())
        a = l;
    else
        a = clip(a);
    GLOBALFILTERSTRING = a;
    if (m_browse) {
        if (SORTGROUPS <= 1) {
            m_browse->SETFILTER(a, kFilterId);
        } else {
            SAVEDCURRENTSORT = CURRENTSORT;
            INSORTPROCESS = true;
            for (CURRENTSORTGROUP = 1; CURRENTSORTGROUP <= SORTGROUPS; ++CURRENTSORTGROUP) {
                m_browse->SETSORT(CURRENTSORTGROUP);
                m_browse->SETFILTER(GLOBALFILTERSTRING, kFilterId);
            }
            m_browse->SETSORT(SAVEDCURRENTSORT);
            INSORTPROCESS = false;
        }
    }
    if (ENABLEGLOBALFILTER && m_globalFilter)
        *m_globalFilter = a;
}

void XQUICKFILTERCLASS::ISBACKONLEVEL()
{
    if (!m_browse || m_browse->records() > 0 || !FILTERED())
        return;
    if (m_side)
        m_side->inform(TRN(QStringLiteral("No more records!")), {});
    cancelLast();
}

// ---- keys and the popup -------------------------------------------------------------------

bool XQUICKFILTERCLASS::takeFilterKey(int key)
{
    if (key == KEYS.global)
        EXECUTEGLOBALKEY();
    else if (key == CANCELLOADEDKEY)
        CANCELLOADED();
    else if (key == LOADFILTERKEY)
        LOADFILTER();
    else if (key == SAVEFILTERKEY && FILTERED())
        SAVEFILTER();
    else
        return key == SAVEFILTERKEY;
    return true;
}

bool XQUICKFILTERCLASS::TAKEKEY(int key, int column)
{
    if (key == 0)
        return false;
    if (key == KEYS.disable)
        return !cancelLast();
    if (key == KEYS.disableAll) {
        CANCELALL();
        return true;
    }
    if (takeFilterKey(key))
        return true;
    const XFILTERENTRY* e = entry(column);
    if (!e || e->FIELDCONTROL != 0)
        return false; // no field on this column: nothing happens
    if (key == KEYS.enable)
        return addEqual(column);
    if (key == KEYS.enableInstring)
        return addInstring(column);
    if (key == KEYS.enableInstringString)
        return addTyped(column);
    if (key == KEYS.enableWildcard)
        return addWildcard(column);
    return false;
}

bool XQUICKFILTERCLASS::TAKEREGIONKEY(int key, int control)
{
    if (VORNISET || key == 0)
        return false;
    TAKEDOUBLE(1);
    if (takeFilterKey(key))
        return true;
    const XFILTERENTRY* e = entryOfRegion(control);
    if (!e)
        return true;
    const int n = e->FIELDNUMBER;
    if (key == KEYS.enable)
        addEqual(n);
    else if (key == KEYS.enableInstring)
        addInstring(n);
    else if (key == KEYS.enableInstringString)
        addTyped(n);
    else if (key == KEYS.enableWildcard)
        addWildcard(n);
    return true;
}

bool XQUICKFILTERCLASS::TAKEREGIONCLICK(int control)
{
    if (!VORNISET)
        return false;
    const XFILTERENTRY* e = entryOfRegion(control);
    if (!e || !m_side)
        return true;
    const int n = e->FIELDNUMBER;
    switch (m_side->regionPopup({TRN(QStringLiteral("Equate")), TRN(QStringLiteral("Instring")), TRN(QStringLiteral("User")),
                         TRN(QStringLiteral("WildCard"))})) {
    case 1: addEqual(n); break;
    case 2: addInstring(n); break;
    case 3: addTyped(n); break;
    case 4: addWildcard(n); break;
    default: break;
    }
    return true;
}

void XQUICKFILTERCLASS::SETOPTIONS(int cancelLoadedKey, int loadKey, int saveKey)
{
    CANCELLOADEDKEY = cancelLoadedKey;
    LOADFILTERKEY = loadKey;
    SAVEFILTERKEY = saveKey;
}

QString XQUICKFILTERCLASS::popupText(const XFILTERENTRY& e) const
{
    QString text = e.FIELDDESC;
    if (ISREMOVEPREFIX && !PREFIXDELIMITER.isEmpty()) {
        const int at = int(text.indexOf(PREFIXDELIMITER));
        if (at >= 0)
            text = clip(text.mid(at + 1));
    }
    return text;
}

void XQUICKFILTERCLASS::GENERATEPOPUP()
{
    GPOPUP.clear();
    for (const auto& e : XFILTER) {
        const QString n = QString::number(e.FIELDNUMBER);
        const int menu = GPOPUP.addSubmenu(popupText(e), "M" + n);
        GPOPUP.addItem(TRN(QStringLiteral("Equate")), "E" + n, {}, menu);
        GPOPUP.addItem(TRN(QStringLiteral("Instring")), "I" + n, {}, menu);
        GPOPUP.addItem(TRN(QStringLiteral("User")), "U" + n, {}, menu);
        GPOPUP.addItem(TRN(QStringLiteral("WildCard")), "W" + n, {}, menu);
        if (e.FIELDDBLKEY)
            GPOPUP.addItem(TRN(QStringLiteral("Select")), "S" + n, {}, menu);
    }
    GPOPUP.item(GPOPUP.addSeparator())->name = QStringLiteral("Separator1");
    if (SAVELOADFILTERS) {
        GPOPUP.addItem(TRN(QStringLiteral("Load Filter")), QStringLiteral("L"));
        GPOPUP.addItem(TRN(QStringLiteral("Save Filter")), QStringLiteral("S"));
        GPOPUP.item(GPOPUP.addSeparator())->name = QStringLiteral("Separator2");
    }
    GPOPUP.addItem(TRN(QStringLiteral("Cancel Loaded Filter")), QStringLiteral("Y"));
    GPOPUP.addItem(TRN(QStringLiteral("Cancel Last Filter")), QStringLiteral("Z"));
    GPOPUP.addItem(TRN(QStringLiteral("Cancel All Filters")), QStringLiteral("X"));
    m_popupBuilt = true;
}

void XQUICKFILTERCLASS::enablePopup()
{
    if (!m_popupBuilt)
        GENERATEPOPUP();
    const auto set = [this](const QString& name, bool on) {
        if (const int id = GPOPUP.idOf(name))
            GPOPUP.setEnabled(id, on);
    };
    set(QStringLiteral("L"), true);
    set(QStringLiteral("Y"), FILTERLOADED);
    set(QStringLiteral("S"), FILTERED());
    set(QStringLiteral("Z"), FILTERNUM > 0);
    set(QStringLiteral("X"), FILTERED());
    for (const auto& e : XFILTER) {
        const QString m = "M" + QString::number(e.FIELDNUMBER);
        set(m, !e.FILTERON);
        if (DESCFROMLISTBOX && e.FIELDCONTROL == 0) {
            const QString header = m_side ? m_side->columnHeader(e.FIELDNUMBER) : QString();
            if (const int id = GPOPUP.idOf(m))
                GPOPUP.setText(id, header.isEmpty() ? popupText(e) : header);
        }
    }
}

void XQUICKFILTERCLASS::EXECUTEGLOBALKEY(const QString& choose)
{
    enablePopup();
    QString name = choose;
    if (name.isEmpty() && m_side)
        name = m_side->showPopup(GPOPUP);
    const int id = GPOPUP.idOf(name);
    if (!id || !GPOPUP.item(id)->enabled)
        return;
    for (const auto& item : GPOPUP.items()) // an item in a disabled submenu cannot be chosen
        if (item.id == GPOPUP.item(id)->parent && !item.enabled)
            return;
    runPopupItem(name);
}

void XQUICKFILTERCLASS::runPopupItem(const QString& name)
{
    if (name == QLatin1String("Z")) {
        cancelLast();
    } else if (name == QLatin1String("X")) {
        CANCELALL();
    } else if (name == QLatin1String("S")) {
        SAVEFILTER();
    } else if (name == QLatin1String("L")) {
        LOADFILTER();
    } else if (name == QLatin1String("Y")) {
        CANCELLOADED();
    } else if (name.size() > 1) {
        bool ok = false;
        const int n = name.mid(1, 7).toInt(&ok);
        const XFILTERENTRY* e = ok ? entry(n) : nullptr;
        if (!e)
            return;
        switch (name.at(0).unicode()) {
        case 'E': addEqual(n); break;
        case 'I': addInstring(n); break;
        case 'U': addTyped(n); break;
        case 'W': addWildcard(n); break;
        case 'S':
            if (e->FIELDCONTROL != 0 || e->FIELDDBLKEY)
                TAKEDOUBLE(0);
            break;
        default: break;
        }
    }
}

// ---- saved filters ------------------------------------------------------------------------

void XQUICKFILTERCLASS::SETFILTERFILENAME(bool saveLoad, const QString& procedureName, const QString& folder,
                                          bool showBody)
{
    SAVELOADFILTERS = saveLoad;
    PROCEDURENAME = procedureName;
    FILTERFILENAME = QDir::current().filePath(QStringLiteral("Datoteke/") + folder);
    SHOWBODY = showBody;
    m_store = std::make_unique<QuickFilterStore>(FILTERFILENAME);
}

void XQUICKFILTERCLASS::FILLQUEUE()
{
    FF.clear();
    FL.clear();
    FL.push_back({TRN(QStringLiteral("none")), QString()});
    if (!m_store || !m_store->open())
        return;
    DEF = {};
    DEF.ADD = true;
    if (const auto id = m_store->defaultId(PROCEDURENAME, INSTANCE)) {
        DEF.ID = *id;
        DEF.PROCEDURENAME = PROCEDURENAME;
        DEF.INSTANCE = INSTANCE;
        DEF.ADD = false;
    }
    for (const auto& s : m_store->list(PROCEDURENAME, INSTANCE)) {
        const int style = s.id == DEF.ID ? 2 : 1;
        FF.push_back({s.id, s.name, style, style, s.instance});
        FL.push_back({s.name, s.id});
    }
}

bool XQUICKFILTERCLASS::saveCurrent(const QString& name, bool makeDefault)
{
    if (clip(name).isEmpty() || !m_store)
        return false;
    QuickFilterStore::Saved s;
    s.procedure = PROCEDURENAME;
    s.instance = INSTANCE;
    s.name = name;
    s.filter = GLOBALFILTERSTRING;
    bool ok = m_store->add(s);
    if (ok && makeDefault)
        ok = m_store->setDefault(PROCEDURENAME, INSTANCE, s.id);
    if (!ok && m_side)
        m_side->inform(m_store->lastError(), {});
    FILLQUEUE();
    return ok;
}

bool XQUICKFILTERCLASS::loadSaved(const QString& id, bool clearAll, bool withOr)
{
    const auto s = m_store ? m_store->find(id) : std::nullopt;
    if (!s) {
        if (m_side)
            m_side->inform(m_store ? m_store->lastError() : TRN(QStringLiteral("Saved filters are not available.")), {});
        return false;
    }
    if (clearAll)
        CANCELALL();
    FILTERLOADED = true;
    LOADEDFNAME = s->name;
    GLOBALFILTERSTRINGL = s->filter;
    ADDWITHOR = withOr;
    SETFILTER();
    if (m_browse)
        m_browse->RESETSORT(0);
    return true;
}

bool XQUICKFILTERCLASS::toggleDefault(const QString& id)
{
    if (!m_store)
        return false;
    const auto current = m_store->defaultId(PROCEDURENAME, INSTANCE);
    const bool ok = m_store->setDefault(PROCEDURENAME, INSTANCE, current && *current == id ? QString() : id);
    if (!ok && m_side)
        m_side->inform(m_store->lastError(), {});
    FILLQUEUE();
    return ok;
}

bool XQUICKFILTERCLASS::deleteSaved(const QString& id)
{
    if (!m_store)
        return false;
    const bool ok = m_store->remove(id);
    if (!ok && m_side)
        m_side->inform(m_store->lastError(), {});
    FILLQUEUE();
    return ok;
}

int XQUICKFILTERCLASS::SETQUICKLIST()
{
    FILLQUEUE();
    if (FL.size() <= 1 || LOADEDFNAME.isEmpty())
        return 0;
    for (size_t i = 0; i < FL.size(); ++i)
        if (!FL[i].FILTERID.isEmpty() && FL[i].FILTERID == DEF.ID)
            return int(i);
    return int(FL.size()) - 1;
}

void XQUICKFILTERCLASS::takeQuickList(int index)
{
    if (index < 0 || index >= int(FL.size()))
        return;
    if (FL[size_t(index)].FILTERID.isEmpty())
        CANCELLOADED();
    else
        loadSaved(FL[size_t(index)].FILTERID, false, false);
}

void XQUICKFILTERCLASS::SAVEFILTER()
{
    if (m_side)
        m_side->saveWindow();
    FILLQUEUE();
}

void XQUICKFILTERCLASS::LOADFILTER()
{
    if (m_side)
        m_side->loadWindow();
}

void XQUICKFILTERCLASS::LOADDEFFILTER()
{
    if (!SAVELOADFILTERS || !m_store || !m_store->open())
        return;
    const auto id = m_store->defaultId(PROCEDURENAME, INSTANCE);
    const auto s = id ? m_store->find(*id) : std::nullopt;
    if (!s)
        return;
    FILTERLOADED = true;
    LOADEDFNAME = s->name;
    GLOBALFILTERSTRINGL = s->filter;
    ADDWITHOR = false;
    SETFILTER();
    if (m_browse)
        m_browse->RESETSORT(1);
}

} // namespace ext
