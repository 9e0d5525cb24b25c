#include "procedures/organiser/panes/PaneLayout.h"

#include <algorithm>

#include "runtime/IniFile.h"

namespace organiser {

MH::ResizeControl anchorRecord(const AnchorRow& r)
{
    const double x = r.leftFixed ? 0 : 1, y = r.topFixed ? 0 : 1;
    return {r.control, r.remembered, x, y, (r.rightFixed ? 0 : 1) - x, (r.bottomFixed ? 0 : 1) - y};
}

QRect applyAnchor(const AnchorRow& r, QSize initial, QSize now)
{
    return MH::layoutControl(anchorRecord(r), r.remembered, now.width() - initial.width(),
                             now.height() - initial.height());
}

std::vector<AnchorRow> controlAnchorTable()
{
    // control, then left, top, right, bottom: 1 fixed, 0 follows.
    static const int rows[][5] = {
        {6, 1, 1, 0, 0},   {8, 1, 1, 1, 0},   {14, 1, 1, 0, 0},  {10, 1, 0, 0, 0},  {24, 1, 1, 1, 0},
        {21, 1, 1, 1, 0},  {23, 1, 1, 0, 0},  {22, 1, 1, 1, 0},  {119, 1, 1, 1, 0}, {120, 1, 1, 0, 0},
        {25, 1, 1, 0, 1},  {128, 1, 0, 1, 0}, {129, 1, 0, 1, 0}, {130, 1, 0, 1, 0}, {131, 1, 0, 1, 0},
        {132, 1, 1, 1, 0}, {27, 1, 0, 1, 0},  {28, 1, 0, 1, 0},  {29, 1, 0, 1, 0},  {30, 1, 0, 1, 0},
        {9, 1, 1, 1, 0},   {36, 1, 1, 1, 0},  {37, 1, 1, 0, 0},  {43, 1, 1, 0, 0},  {44, 0, 1, 0, 0},
        {53, 1, 1, 1, 0},  {54, 1, 0, 1, 0},  {55, 1, 0, 1, 0},  {56, 1, 0, 1, 0},  {57, 1, 0, 1, 0},
        {58, 1, 1, 0, 0},  {64, 1, 1, 1, 0},  {65, 1, 1, 0, 0},  {74, 1, 1, 1, 0},  {75, 1, 1, 0, 0},
        {82, 1, 0, 0, 0},  {41, 1, 1, 1, 0},  {62, 1, 1, 1, 0},  {66, 1, 1, 1, 0},  {31, 1, 1, 1, 0},
        {87, 1, 0, 0, 0},  {86, 1, 1, 1, 0},  {46, 1, 1, 0, 0},  {47, 0, 1, 0, 0},  {133, 1, 0, 0, 0},
        {151, 1, 0, 0, 0}, {135, 1, 0, 0, 0}, {137, 1, 0, 0, 0}, {142, 1, 0, 0, 0}, {147, 1, 0, 0, 0},
        {113, 1, 1, 1, 0}, {117, 1, 1, 0, 0}, {112, 1, 1, 1, 0}, {13, 1, 0, 0, 0},  {18, 1, 1, 0, 1},
        {19, 1, 0, 0, 0},  {89, 1, 1, 1, 1},  {96, 1, 1, 1, 1},  {103, 1, 1, 0, 0}, {104, 1, 1, 1, 0},
        {105, 1, 1, 1, 1}};
    std::vector<AnchorRow> out;
    for (const auto& r : rows)
        out.push_back({r[0], r[1] == 1, r[2] == 1, r[3] == 1, r[4] == 1, {}});
    return out;
}

namespace {

const AnchorRow* anchorRow(int control)
{
    static const std::vector<AnchorRow> table = controlAnchorTable();
    const auto it = std::find_if(table.begin(), table.end(), [control](const AnchorRow& r) { return r.control == control; });
    return it == table.end() ? nullptr : &*it;
}

} // namespace

bool keepsWidth(int control)
{
    const AnchorRow* r = anchorRow(control);
    return !r || r->leftFixed == r->rightFixed;
}

bool keepsHeight(int control)
{
    const AnchorRow* r = anchorRow(control);
    return !r || r->topFixed == r->bottomFixed;
}

const std::vector<ListButton>& listButtons()
{
    // The buttons sit above their list in the order insert, change, delete.
    static const std::vector<ListButton> buttons = [] {
        std::vector<ListButton> out;
        const int sets[][4] = {
            // list, insert, change, delete
            {14, 16, 15, 17},    {36, 33, 34, 35},    {37, 38, 39, 40},    {58, 59, 60, 61},
            {65, 67, 68, 69},    {64, 70, 71, 72},    {74, 76, 77, 78},    {75, 79, 80, 81},
            {82, 83, 84, 85},    {113, 109, 110, 111}, {117, 114, 115, 116}, {120, 125, 126, 127},
            {137, 139, 138, 140}, {142, 144, 143, 145}, {147, 149, 148, 150}};
        for (const auto& s : sets) {
            out.push_back({s[1], s[0], 1, "Unos"});
            out.push_back({s[2], s[0], 2, "Izmjena"});
            out.push_back({s[3], s[0], 3, "Brisanje"});
        }
        return out;
    }();
    return buttons;
}

const ListButton* listButton(int control)
{
    const auto& all = listButtons();
    const auto it = std::find_if(all.begin(), all.end(), [control](const ListButton& b) { return b.button == control; });
    return it == all.end() ? nullptr : &*it;
}

// ---- splitters ----------------------------------------------------------------------------

const std::vector<SplitterDef>& splitterTable()
{
    static const std::vector<SplitterDef> table = {
        {22, 1, 260, 100}, {132, 1, 100, 100}, {9, 1, 100, 100},  {41, 1, 100, 100},
        {62, 1, 100, 100}, {66, 1, 100, 100},  {31, 1, 100, 100}, {86, 1, 100, 100},
        {112, 1, 100, 100}, {87, 2, 100, 100}, {151, 2, 100, 100},
    };
    return table;
}

const SplitterDef* splitterDef(int bar)
{
    for (const SplitterDef& s : splitterTable())
        if (s.bar == bar)
            return &s;
    return nullptr;
}

// ---- saved positions ----------------------------------------------------------------------

const std::vector<SavedPane>& savedPanes()
{
    static const std::vector<SavedPane> panes = {{24, "InboxQ", "XYW"}, {31, "Sem", "X"},     {21, "LEmail", "XW"},
                                                 {22, "S1", "X"},       {25, "PodaciD", "XYW"}, {23, "Mht", "XYW"}};
    return panes;
}

bool saveMainLayout(vrt::IniFile& ini, const std::function<std::optional<QRect>(int)>& geometry)
{
    bool ok = true;
    for (const SavedPane& p : savedPanes()) {
        const auto g = geometry(p.control);
        if (!g)
            continue;
        for (const char* k = p.keys; *k; ++k) {
            const int v = *k == 'X' ? g->x() : *k == 'Y' ? g->y() : g->width();
            ok = ini.put(QLatin1String(p.section), QString(QLatin1Char(*k)), QString::number(v)) && ok;
        }
    }
    return ok;
}

std::vector<std::pair<int, QRect>> readMainLayout(const vrt::IniFile& ini,
                                                  const std::function<std::optional<QRect>(int)>& geometry)
{
    std::vector<std::pair<int, QRect>> out;
    for (const SavedPane& p : savedPanes()) {
        const auto g = geometry(p.control);
        if (!g)
            continue;
        const QString section = QLatin1String(p.section);
        out.push_back({p.control, QRect(int(ini.getInt(section, QStringLiteral("X"), g->x())),
                                        int(ini.getInt(section, QStringLiteral("Y"), g->y())),
                                        int(ini.getInt(section, QStringLiteral("W"), g->width())),
                                        int(ini.getInt(section, QStringLiteral("H"), g->height())))});
    }
    return out;
}

} // namespace organiser
