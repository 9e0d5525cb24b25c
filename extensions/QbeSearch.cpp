#include "extensions/QbeSearch.h"

#include "runtime/Browse.h"

#include "extensions/QbeGlobal.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/Text.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <tuple>

namespace DTRV {

void SEARCHCLASS::INIT(GLOBALCLASS& global, const QString& source, const QString& interfaceCode, int defString,
                       int defNumber, int defPicture, int defDate, int defOption, int defCheck, int defText)
{
    GLOBAL = &global;
    SOURCE = source.left(50);
    INTERFACE = interfaceCode.left(1);
    DEFAULTMATCH_STRING = defString;
    DEFAULTMATCH_NUMBER = defNumber;
    DEFAULTMATCH_PICTURE = defPicture;
    DEFAULTMATCH_DATE = defDate;
    DEFAULTMATCH_OPTION = defOption;
    DEFAULTMATCH_CHECK = defCheck;
    DEFAULTMATCH_TEXT = defText;
    m_views.clear();
    m_fields.clear();
    m_current = -1;
    FIELDINDEX = 0;
    WIZARDPAGE = 1;
    LASTSORTCHAR = QStringLiteral("~");
}

void SEARCHCLASS::KILL()
{
    CLOSEVIEW();
    m_fields.clear();
    m_views.clear();
    m_current = -1;
}

void QbeBrowseFilter::setFilter(const QString& filter)
{
    m_browse.setFilter(filter);
}

int SEARCHCLASS::ADDVIEW(QbeView& view)
{
    m_views.push_back(&view);
    return int(m_views.size());
}

void SEARCHCLASS::ADDFIELD(const QString& file, const QString& prefix, const QString& name, const QString& display,
                           int type, const QString& picture, const QString& prompt, bool useMatch)
{
    Field f;
    f.FILE = file.trimmed().left(49);
    f.PREFIX = prefix.trimmed().left(49);
    f.NAME = name.trimmed().left(49);
    f.DISPLAY = display.trimmed().left(80);
    f.TYPE = type;
    f.PICTURE = picture.trimmed().left(29);
    f.PROMPT = prompt.trimmed().left(79);
    f.USEMATCH = useMatch;
    f.VIEWID = int(m_views.size());
    // Zero values stay visible in criteria: a picture blank when zero loses its "B".
    if (type != FIELD_CHECK && f.PICTURE.size() > 2 && f.PICTURE.endsWith(QLatin1Char('B'), Qt::CaseInsensitive))
        f.PICTURE[f.PICTURE.size() - 1] = QLatin1Char(' ');
    const auto at = std::upper_bound(m_fields.begin(), m_fields.end(), f, [](const Field& a, const Field& b) {
        return std::tie(a.FILE, a.NAME) < std::tie(b.FILE, b.NAME);
    });
    m_current = int(at - m_fields.begin());
    m_fields.insert(at, std::move(f));
}

int SEARCHCLASS::SETFIELD(const QString& file, const QString& name)
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].FILE == file.trimmed() && m_fields[i].NAME == name.trimmed()) {
            m_current = int(i);
            return 0;
        }
    return 5;
}

int SEARCHCLASS::NEXTFIELD()
{
    if (FIELDINDEX <= 0 || FIELDINDEX > int(m_fields.size())) {
        FIELDINDEX = 0;
        return 5;
    }
    m_current = FIELDINDEX - 1;
    ++FIELDINDEX;
    return 0;
}

SEARCHCLASS::Field* SEARCHCLASS::currentField()
{
    return m_current >= 0 && m_current < int(m_fields.size()) ? &m_fields[size_t(m_current)] : nullptr;
}

int SEARCHCLASS::defaultMatch(int fieldType) const
{
    switch (fieldType) {
    case FIELD_STRING: return DEFAULTMATCH_STRING;
    case FIELD_NUMBER:
    case FIELD_OTHER: return DEFAULTMATCH_NUMBER;
    case FIELD_PICTURE: return DEFAULTMATCH_PICTURE;
    case FIELD_DATE: return DEFAULTMATCH_DATE;
    case FIELD_TEXT: return DEFAULTMATCH_TEXT;
    case FIELD_CHECK: return DEFAULTMATCH_CHECK;
    case FIELD_OPTION: return DEFAULTMATCH_OPTION;
    default: return DEFAULTMATCH_NUMBER;
    }
}

QString SEARCHCLASS::formatValue(const Field& field, const QString& value)
{
    if (field.TYPE == FIELD_DATE) {
        const QDate d = vrt::dateFromDay(value.trimmed().toInt());
        return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    }
    return value.trimmed();
}

QString SEARCHCLASS::describe(const Field& field, const QbeCriterion& c) const
{
    if (c.type == MATCHTYPE_IGNOREFIELD)
        return {};
    const QString blank = GLOBAL ? GLOBAL->TRANSLATE(QStringLiteral("DTRV::BlankString")) : QStringLiteral("[blank]");
    const bool plain = isStringType(field.TYPE);
    auto side = [&](const QString& v) {
        if (plain)
            return v.trimmed().isEmpty() ? blank : v.trimmed();
        return formatValue(field, v);
    };
    if (c.type == MATCHTYPE_INSIDERANGE || c.type == MATCHTYPE_OUTSIDERANGE)
        return side(c.value) + QStringLiteral(" ... ") + side(c.limit);
    if (field.TYPE == FIELD_CHECK) {
        bool isTrue;
        if (!field.PICTURE.isEmpty())
            isTrue = c.value.left(15) == field.PICTURE.section(QLatin1Char('|'), 0, 0).left(15);
        else
            isTrue = c.value.trimmed() == QLatin1String("1");
        const QString key = isTrue ? QStringLiteral("DTRV::TrueString") : QStringLiteral("DTRV::FalseString");
        return GLOBAL ? GLOBAL->TRANSLATE(key) : key;
    }
    return side(c.value);
}

SEARCHCLASS::Criterion SEARCHCLASS::prepared(const Field& field, QbeCriterion c) const
{
    c.value = c.value.left(99);
    c.limit = c.limit.left(99);
    if (c.type != MATCHTYPE_IGNOREFIELD && isNumberType(field.TYPE)) {
        if (c.value.isEmpty())
            c.value = QStringLiteral("0");
        if ((c.type == MATCHTYPE_INSIDERANGE || c.type == MATCHTYPE_OUTSIDERANGE) && c.limit.isEmpty())
            c.limit = QStringLiteral("0");
    }
    if (c.type == MATCHTYPE_BEGINSWITH && field.TYPE == FIELD_PICTURE)
        c.limit = beginsWithDivisor(c.value);
    Criterion out;
    static_cast<QbeCriterion&>(out) = c;
    out.DISPLAY = describe(field, c).left(250);
    return out;
}

void SEARCHCLASS::ADDCRITERION(std::optional<int> type, std::optional<QString> value, std::optional<QString> limit)
{
    Field* f = currentField();
    if (!f)
        return;
    QbeCriterion c;
    if (type)
        c.type = *type;
    if (value)
        c.value = vrt::clipTrailing(*value);
    if (limit)
        c.limit = vrt::clipTrailing(*limit);
    f->CRITERION.push_back(prepared(*f, c));
}

void SEARCHCLASS::PUTCRITERION(int index, const QbeCriterion& criterion)
{
    Field* f = currentField();
    if (!f || index < 0 || index >= f->CRITERIACOUNT())
        return;
    QbeCriterion c = criterion;
    c.value = vrt::clipTrailing(c.value);
    c.limit = vrt::clipTrailing(c.limit);
    f->CRITERION[size_t(index)] = prepared(*f, c);
}

void SEARCHCLASS::CLEANALLCRITERIA()
{
    for (Field& f : m_fields)
        std::erase_if(f.CRITERION, [](const Criterion& c) { return c.type == MATCHTYPE_IGNOREFIELD; });
}

void SEARCHCLASS::EMPTYALLCRITERIA()
{
    for (Field& f : m_fields)
        f.CRITERION.clear();
}

int SEARCHCLASS::CHECKCRITERIONENTERED()
{
    for (const Field& f : m_fields)
        for (const Criterion& c : f.CRITERION)
            if (c.type != MATCHTYPE_IGNOREFIELD)
                return 1;
    return 0;
}

void SEARCHCLASS::OPENVIEW()
{
    APPLYFILTER();
    if (!m_views.empty())
        m_views.back()->reset();
}

void SEARCHCLASS::CLOSEVIEW()
{
    if (!m_views.empty())
        m_views.back()->close();
}

void SEARCHCLASS::APPLYFILTER()
{
    FORMATFILTER(FILTER);
    if (!m_views.empty())
        m_views.back()->setFilter(FILTER);
}

void SEARCHCLASS::FORMATFILTER(QString& filter)
{
    SUMMARIZECRITERIA();
    std::vector<QString> parts;
    for (const Field& f : m_fields) {
        std::vector<QbeCriterion> criteria(f.CRITERION.begin(), f.CRITERION.end());
        parts.push_back(fieldFilter(f.filterField(), criteria, LASTSORTCHAR));
    }
    filter = joinFieldFilters(parts).left(4999);
    if (SETTINGSFILE.isEmpty())
        return;
    const vrt::IniFile settings(SETTINGSFILE);
    if (settings.getInt(QStringLiteral("Dentravo"), QStringLiteral("ShowFilter"), 0) != 0)
        vrt::message(filter, QStringLiteral("Filter"), vrt::Icon::None, vrt::BUTTON_OK);
    if (settings.getInt(QStringLiteral("Dentravo"), QStringLiteral("CopyFilter"), 0) != 0 && QGuiApplication::clipboard())
        QGuiApplication::clipboard()->setText(filter);
}

int SEARCHCLASS::LOAD(int)
{
    return 1;
}

int SEARCHCLASS::SAVE(int)
{
    return 1;
}

} // namespace DTRV
