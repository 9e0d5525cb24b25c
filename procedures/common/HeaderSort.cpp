#include "procedures/common/HeaderSort.h"

#include "runtime/IniFile.h"
#include "runtime/RegionalTexts.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"

#include <QSettings>
#include <cstdlib>

namespace VelmoraDll {

namespace {

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT",  "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS",         "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                  "HKEY_DYN_DATA"};

// The user's settings store stands in for the registry keys the state was kept under.
QSettings registrySettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                     QStringLiteral("Registry"));
}

} // namespace

std::vector<OrderTerm> parseOrderText(const QString& order)
{
    std::vector<OrderTerm> terms;
    for (QString part : order.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        part = part.trimmed();
        OrderTerm t;
        if (part.startsWith(QLatin1Char('+')) || part.startsWith(QLatin1Char('-'))) {
            t.descending = part.startsWith(QLatin1Char('-'));
            part = part.mid(1).trimmed();
        }
        if (part.startsWith(QLatin1String("UPPER("), Qt::CaseInsensitive) && part.endsWith(QLatin1Char(')'))) {
            t.caseless = true;
            part = part.mid(6, part.size() - 7).trimmed();
        }
        t.field = part;
        if (!t.field.isEmpty())
            terms.push_back(t);
    }
    return terms;
}

int compareSortValues(const QVariant& a, const QVariant& b, bool caseless)
{
    bool okA = false, okB = false;
    const double na = a.toString().trimmed().toDouble(&okA);
    const double nb = b.toString().trimmed().toDouble(&okB);
    if (okA && okB)
        return na < nb ? -1 : (na > nb ? 1 : 0);
    const QString ta = caseless ? a.toString().toUpper() : a.toString();
    const QString tb = caseless ? b.toString().toUpper() : b.toString();
    return vrt::regionalTexts().compare(ta, tb);
}

void HeaderSortManager::Init(SortableList* list, int listControl, std::vector<SortKeyComponent> key,
                             std::optional<QStringList> viewFields, bool viewOverSql,
                             const QString& section, const QString& location)
{
    if (m_list || !list)
        return;
    m_list = list;
    LISTCONTROL = listControl;
    FORCECHANGESIGNORDER = false;
    LASTKEYCODE = ClickPlain;
    NOCASE = true;
    USEPICTUREFORCASE = false;
    DISABLENONVIEWCOLUMNS = true;
    m_view = std::move(viewFields);
    if (m_view && viewOverSql)
        NOCASE = false;
    m_key = std::move(key);
    PREVSORTORDER = 0;
    SORTORDER = 0;
    m_sortQueue.clear();
    m_headers.clear();
    for (int c = 1; c <= m_list->columnCount(); ++c)
        m_headers.push_back({m_list->headerText(c), m_list->fieldName(c)});
    MULTIPLECOLUMNS = true;
    if (!section.trimmed().isEmpty() && !location.trimmed().isEmpty()) {
        SetStorage(section, location);
        RestoreSortState();
    }
}

void HeaderSortManager::Kill()
{
    if (!m_list)
        return;
    SaveSortState();
    ClearSort();
    m_headers.clear();
    m_list = nullptr;
}

bool HeaderSortManager::columnExists(int column) const
{
    return m_list && column >= 1 && column <= m_list->columnCount();
}

// Columns are matched to what Init read by the field they show, so two columns showing one
// field share the first one's text.
const HeaderSortManager::HeaderRow* HeaderSortManager::headerRowOf(int column) const
{
    if (!columnExists(column))
        return nullptr;
    const QString field = m_list->fieldName(column);
    for (const HeaderRow& h : m_headers)
        if (h.field == field)
            return &h;
    return nullptr;
}

QString HeaderSortManager::ColumnFieldName(int column) const
{
    const HeaderRow* h = headerRowOf(column);
    return h ? h->field.toUpper() : QString();
}

QString HeaderSortManager::ColumnHeaderText(int column) const
{
    const HeaderRow* h = headerRowOf(column);
    return h ? vrt::clipTrailing(h->text) : QString();
}

void HeaderSortManager::RestoreHeaders()
{
    if (!m_list)
        return;
    for (int c = 1; c <= m_list->columnCount(); ++c)
        if (const HeaderRow* h = headerRowOf(c))
            m_list->setHeaderText(c, h->text);
}

void HeaderSortManager::TakeHeaderClick(int column, int keyCode)
{
    if (!m_list || column == 0 || !columnExists(column) || m_list->width(column) == 0)
        return;
    const QString name = ColumnFieldName(column);
    if (!IsKeyField(name))
        return;
    if (!CheckSortColumn(name)) {
        if (m_sortQueue.size() <= 1 && column == std::abs(PREVSORTORDER))
            return;
        if (m_sortQueue.size() > 1 && keyCode == ClickCtrl)
            for (const SortRow& r : m_sortQueue)
                if (r.LISTSORTCOLUMN == column)
                    return;
    }
    LASTKEYCODE = keyCode;
    SORTORDER = column;
    FORCECHANGESIGNORDER = true;
    UpdateSortQueue();
    BuildAndApplyOrder();
    if (std::abs(PREVSORTORDER) != SORTORDER)
        PREVSORTORDER = SORTORDER;
}

void HeaderSortManager::UpdateSortQueue()
{
    int code = LASTKEYCODE;
    if (code == ClickCtrl && !MULTIPLECOLUMNS)
        code = ClickPlain;
    switch (code) {
    case ClickPlain:
        if (std::abs(PREVSORTORDER) == SORTORDER && FORCECHANGESIGNORDER)
            PREVSORTORDER = -PREVSORTORDER;
        else
            PREVSORTORDER = std::abs(SORTORDER);
        m_sortQueue = {{SORTORDER, PREVSORTORDER}};
        break;
    case ClickCtrl: {
        auto it = std::find_if(m_sortQueue.begin(), m_sortQueue.end(),
                               [&](const SortRow& r) { return r.LISTSORTCOLUMN == SORTORDER; });
        if (it == m_sortQueue.end())
            m_sortQueue.push_back({SORTORDER, SORTORDER});
        else if (FORCECHANGESIGNORDER)
            it->PREVLISTSORTCOLUMN = -it->PREVLISTSORTCOLUMN;
        break;
    }
    case ClickShift:
        ResetSort();
        break;
    default:
        break;
    }
}

void HeaderSortManager::BuildAndApplyOrder()
{
    if (SORTORDER == 0)
        return;
    if (!columnExists(SORTORDER) || m_list->width(SORTORDER) == 0) {
        SORTORDER = std::abs(PREVSORTORDER);
        return;
    }
    RestoreHeaders();
    QString order;
    QStringList used;
    const size_t n = m_sortQueue.size();
    for (size_t i = 0; i < n; ++i) {
        const SortRow& r = m_sortQueue[i];
        if (!columnExists(r.LISTSORTCOLUMN))
            continue;
        const QString sign = r.descending() ? QStringLiteral("-") : QStringLiteral("+");
        m_list->setHeaderText(r.LISTSORTCOLUMN, ColumnHeaderText(r.LISTSORTCOLUMN) + QLatin1Char('[') + sign
                                                     + (n > 1 ? QString::number(i + 1) : QString()) + QLatin1Char(']'));
        const QString element = SortExpression(sign, m_list->fieldName(r.LISTSORTCOLUMN),
                                               m_list->picture(r.LISTSORTCOLUMN).left(10));
        used << element.toUpper();
        order += (order.isEmpty() ? QString() : QStringLiteral(",")) + element;
    }
    for (const SortKeyComponent& k : m_key) {
        const QString label = k.label.toUpper();
        const bool covered = used.contains(QLatin1Char('+') + label) || used.contains(QLatin1Char('-') + label)
                             || used.contains(QStringLiteral("+UPPER(") + label + QLatin1Char(')'))
                             || used.contains(QStringLiteral("-UPPER(") + label + QLatin1Char(')'));
        if (!covered)
            order += (order.isEmpty() ? QString() : QStringLiteral(",")) + (k.ascending ? QLatin1Char('+') : QLatin1Char('-')) + label;
    }
    ApplySort(order);
    if (!m_view)
        m_list->sortRows(order);
    FORCECHANGESIGNORDER = false;
}

QString HeaderSortManager::SortExpression(const QString& sign, const QString& name, const QString& picture)
{
    const QChar t = (picture + QStringLiteral("@S")).at(1).toUpper();
    if (t == QLatin1Char('N') || t == QLatin1Char('T') || t == QLatin1Char('D') || t == QLatin1Char('E'))
        return sign + name;
    if (NOCASE || (USEPICTUREFORCASE && t == QLatin1Char('S')))
        return sign + QStringLiteral("UPPER(") + name + QLatin1Char(')');
    return sign + name;
}

bool HeaderSortManager::IsKeyField(const QString& name)
{
    if (name.isEmpty())
        return false;
    if (!m_view || !DISABLENONVIEWCOLUMNS)
        return true;
    for (const QString& label : *m_view)
        if (label.toUpper() == name.toUpper())
            return true;
    return false;
}

void HeaderSortManager::ClearSort()
{
    RestoreHeaders();
    PREVSORTORDER = 0;
    m_sortQueue.clear();
}

void HeaderSortManager::ResetSort()
{
    ClearSort();
    ApplySort(QString());
}

QString HeaderSortManager::SortStateText() const
{
    QStringList parts;
    for (const SortRow& r : m_sortQueue)
        parts << (r.descending() ? QStringLiteral("-") : QString()) + ColumnFieldName(r.LISTSORTCOLUMN);
    return parts.join(QLatin1Char(','));
}

void HeaderSortManager::SetSortFromText(const QString& text)
{
    SORTORDER = 0;
    PREVSORTORDER = 0;
    m_sortQueue.clear();
    if (text.trimmed().isEmpty()) {
        RestoreHeaders();
        return;
    }
    for (QString token : text.split(QLatin1Char(','))) {
        token = token.trimmed();
        bool descending = false;
        if (token.startsWith(QLatin1Char('+')) || token.startsWith(QLatin1Char('-'))) {
            descending = token.startsWith(QLatin1Char('-'));
            token = token.mid(1).trimmed();
        }
        token = token.toUpper();
        if (token.isEmpty())
            continue;
        int column = 0;
        for (int c = 1; m_list && c <= m_list->columnCount() && !column; ++c)
            if (m_list->width(c) != 0 && m_list->fieldName(c).toUpper() == token)
                column = c;
        if (!column || !IsKeyField(token))
            continue;
        if (!CheckSortColumn(token))
            descending = false;
        SORTORDER = column;
        PREVSORTORDER = descending ? -column : column;
        m_sortQueue.push_back({column, PREVSORTORDER});
        if (!MULTIPLECOLUMNS)
            break;
    }
    BuildAndApplyOrder();
}

void HeaderSortManager::SetStorage(const QString& section, const QString& location)
{
    INIFILENAME = location;
    PROCEDURENAME = section;
}

std::optional<unsigned> HeaderSortManager::registryRoot() const
{
    bool ok = false;
    const long long v = INIFILENAME.trimmed().toLongLong(&ok);
    // Root handles are written as signed 32-bit values: HKEY_CURRENT_USER is -2147483647.
    if (!ok || v < -2147483648LL || v > -2147483642LL)
        return std::nullopt;
    return static_cast<unsigned>(v + 2147483648LL);
}

QString HeaderSortManager::stateKey() const
{
    return QStringLiteral("SortHeader_") + QString::number(LISTCONTROL);
}

QString HeaderSortManager::registryPath(unsigned root) const
{
    return QLatin1String(kRootNames[root]) + QLatin1Char('/') + vrt::normalizePath(vrt::clipTrailing(PROCEDURENAME))
           + QLatin1Char('/') + stateKey();
}

bool HeaderSortManager::hasStorage() const
{
    return !vrt::clipTrailing(INIFILENAME).isEmpty() && !vrt::clipTrailing(PROCEDURENAME).isEmpty();
}

void HeaderSortManager::SaveSortState()
{
    if (!hasStorage())
        return;
    if (const auto root = registryRoot())
        registrySettings().setValue(registryPath(*root), SortStateText());
    else
        vrt::IniFile(vrt::clipTrailing(INIFILENAME)).put(vrt::clipTrailing(PROCEDURENAME), stateKey(), SortStateText());
}

void HeaderSortManager::RestoreSortState()
{
    if (!hasStorage())
        return;
    if (const auto root = registryRoot())
        SetSortFromText(registrySettings().value(registryPath(*root)).toString());
    else
        SetSortFromText(vrt::IniFile(vrt::clipTrailing(INIFILENAME)).get(vrt::clipTrailing(PROCEDURENAME), stateKey()));
}

} // namespace VelmoraDll
