// The self-drawn toolbar's model without widgets: hot keys, fonts, the text hand-over, band
// and item operations with their defaults, radio runs and tabs, drawing states, style
// validation, the band menu, and pressing, releasing and running items.
#include <gtest/gtest.h>

#include "chrome/VorovevevModel.h"

#include <thread>

using namespace ptb;

namespace {

// A model that records its events and answers drop-down lists from a script.
struct Toolbar : Model {
    struct Event {
        long event, band, id, value;
        int button;
    };
    std::vector<Event> events;
    std::vector<DropAnswer> answers;
    int customizeDialogs = 0;
    int listsShown = 0;
    bool themeService = true;
    bool themes = false;

    void TAKEEVENT(long event, long band, long id, long value, int button) override
    {
        Model::TAKEEVENT(event, band, id, value, button);
        events.push_back({event, band, id, value, button});
    }
    DropAnswer DROPDOWNMENU(long id) override
    {
        const Item* item = GETCONTROL(id);
        if (!item || item->dropButton()->ITEMQ.empty())
            return {};
        ++listsShown;
        DropAnswer a = answers.empty() ? DropAnswer{DropAnswer::Cancelled, 0} : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return a;
    }
    void CUSTOMIZEDIALOG() override { ++customizeDialogs; }
    bool themeServicePresent() const override { return themeService; }
    bool themesActive() const override { return themes; }

    // Gives every item a 20-pixel area in a row so the mouse can find it.
    void place()
    {
        long x = 0;
        for (Band& b : BANDQ) {
            b.RAREA = {0, 0, 1000, 26};
            for (Item& i : b.CONTROLQ) {
                i.RAREA = {x, 2, x + 30, 24};
                x += 31;
            }
        }
    }
    static long centre(long id, const Model& m) { return m.GETCONTROL(id)->RAREA.left + 8; }
    void click(long id) { press(id), release(id); }
    void press(long id)
    {
        TAKEMOUSEMOVEEVENT(centre(id, *this), 10);
        BLEFTFLAG = true;
        TAKEMOUSEBUTTONEVENT(1, centre(id, *this), 10);
    }
    void release(long id)
    {
        BLEFTFLAG = false;
        TAKEMOUSEBUTTONEVENT(1, centre(id, *this), 10);
    }
    void moveTo(long x) { TAKEMOUSEMOVEEVENT(x, 10); }
};

} // namespace

TEST(ToolbarHotKeys, CaptionsGiveTheirAltKeys)
{
    const std::pair<const char*, long> cases[] = {
        {"&File", 0x400 + 'F'}, {"a&&b&c", 0x400 + 'C'}, {"Save&", 0},      {"&&", 0},
        {"", 0},                {"No key", 0},           {"&save", 0x400 + 'S'},
    };
    for (const auto& [caption, code] : cases)
        EXPECT_EQ(altKeyCode(QString::fromUtf8(caption)), code) << caption;

    const std::pair<const char*, const char*> menuChars[] = {
        {"&File", "f"}, {"A&&B", ""}, {"Save &As", "a"}, {"&&x&Y", "y"}, {"End&", ""}};
    for (const auto& [text, c] : menuChars)
        EXPECT_EQ(GETMENUCHAR(QString::fromUtf8(text)), QString::fromUtf8(c)) << text;
    EXPECT_EQ(MAKELONG(0x12345, 2), 2 * 65536 + 0x2345);
}

TEST(ToolbarHotKeys, AltKeyRunsOnlyAUsableItem)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("Main"));
    tb.ADDBUTTON(1, 10, QStringLiteral("&Copy"));
    const long altC = 0x400 + 'C';

    EXPECT_TRUE(tb.TAKEHOTKEY(altC));
    ASSERT_EQ(tb.events.size(), 1u);
    EXPECT_EQ(tb.events[0].id, 10);
    EXPECT_EQ(tb.events[0].button, 0); // run from code

    tb.SETENABLED(10, false);
    EXPECT_FALSE(tb.TAKEHOTKEY(altC));
    tb.SETENABLED(10, true);
    tb.SETVISIBLE(10, false);
    EXPECT_FALSE(tb.TAKEHOTKEY(altC));
    tb.SETVISIBLE(10, true);
    tb.toggleUserHidden(1);
    EXPECT_FALSE(tb.TAKEHOTKEY(altC));
    tb.toggleUserHidden(1);
    EXPECT_TRUE(tb.TAKEHOTKEY(altC));
    EXPECT_EQ(tb.events.size(), 2u);

    tb.DELETECONTROL(10);
    EXPECT_TRUE(tb.hotKeys().empty());
}

TEST(ToolbarModel, FontDefaultsAndTextHandOver)
{
    Toolbar tb;
    tb.SETFONT(QStringLiteral("Arial"), 10);
    tb.SETFONT({}, 0);
    EXPECT_EQ(tb.FONTNAME, QStringLiteral("Tahoma"));
    EXPECT_EQ(tb.FONTSIZE, 8);

    tb.PUSHSTRING(7, QStringLiteral("first"));
    tb.PUSHSTRING(8, QStringLiteral("other"));
    tb.PUSHSTRING(7, QStringLiteral("second"));
    EXPECT_EQ(tb.POPSTRING(7), QStringLiteral("first"));
    EXPECT_EQ(tb.POPSTRING(7), QStringLiteral("second"));
    EXPECT_EQ(tb.POPSTRING(7), QString());
    EXPECT_EQ(tb.POPSTRING(99), QString());
    EXPECT_EQ(tb.POPSTRING(8), QStringLiteral("other"));
}

TEST(ToolbarModel, MissingThingsGiveTheirDefaults)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBAND(1, BAND_HIDDEN, QStringLiteral("changed"));
    ASSERT_EQ(tb.BANDQ.size(), 1u);
    EXPECT_EQ(tb.BANDQ[0].SZNAME, QStringLiteral("A"));
    EXPECT_TRUE(tb.BANDQ[0].BVISIBLE);

    tb.ADDBUTTON(2, 10, QStringLiteral("lost"));
    EXPECT_EQ(tb.GETCONTROL(10), nullptr);
    EXPECT_EQ(tb.GETTEXT(10), QStringLiteral("0"));
    EXPECT_EQ(tb.GETICON(10), QStringLiteral("0"));
    EXPECT_EQ(tb.GETFIXEDWIDTH(2), -1);
    EXPECT_EQ(tb.GETFIXEDHEIGHT(2), -1);
    EXPECT_FALSE(tb.GETBANDSHOWTEXT(2));
    EXPECT_FALSE(tb.GETENABLED(10));
    EXPECT_FALSE(tb.GETVISIBLE(10));
    EXPECT_FALSE(tb.GETCHECKED(10));
    EXPECT_EQ(tb.GETITEMID(10), -1);
    EXPECT_EQ(tb.GETCONTROLBANDID(10), 0);

    // Insert positions: omitted or unknown append, 0 goes first, an id goes after it.
    tb.ADDBUTTON(1, 10, QStringLiteral("a"));
    tb.ADDBUTTON(1, 11, QStringLiteral("b"), {}, 0, 0);
    tb.ADDBUTTON(1, 12, QStringLiteral("c"), {}, 0, 11);
    tb.ADDBUTTON(1, 13, QStringLiteral("d"), {}, 0, 555);
    std::vector<long> order;
    for (const Item& i : tb.BANDQ[0].CONTROLQ)
        order.push_back(i.ID);
    EXPECT_EQ(order, (std::vector<long>{11, 12, 10, 13}));
}

TEST(ToolbarModel, SeparatorsComeAndGoWithTheirItem)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 40, QStringLiteral("x"));
    tb.ADDBUTTON(1, 50, QStringLiteral("Save"), {}, PTB_SEPBEFORE | PTB_SEPAFTER);
    std::vector<long> order;
    for (const Item& i : tb.BANDQ[0].CONTROLQ)
        order.push_back(i.ID);
    EXPECT_EQ(order, (std::vector<long>{40, 49, 50, 51}));
    EXPECT_EQ(tb.GETCONTROL(49)->NTYPE, KIND_SEPARATOR);

    tb.SETVISIBLE(50, false);
    EXPECT_FALSE(tb.GETVISIBLE(49));
    EXPECT_FALSE(tb.GETVISIBLE(51));
    tb.SETVISIBLE(50, true);
    EXPECT_TRUE(tb.GETVISIBLE(49));
    EXPECT_TRUE(tb.GETVISIBLE(51));

    tb.DELETECONTROL(50);
    EXPECT_EQ(tb.BANDQ[0].CONTROLQ.size(), 1u);
    EXPECT_EQ(tb.GETCONTROL(49), nullptr);
    EXPECT_EQ(tb.GETCONTROL(51), nullptr);
}

TEST(ToolbarModel, TabsArePaddedRadiosAndTheActiveTabSkipsUnusableOnes)
{
    Toolbar tb;
    tb.ADDBAND(5, 0, QStringLiteral("Tabs"), BAND_TAB);
    for (long id = 1; id <= 4; ++id)
        tb.ADDBUTTON(5, id, QStringLiteral("T%1").arg(id));
    tb.ADDPROCESSBUTTON(5, 9, QStringLiteral("P"));
    EXPECT_EQ(tb.GETTEXT(1), QStringLiteral(" T1 "));
    EXPECT_EQ(tb.GETTEXT(9), QStringLiteral("   P   "));
    EXPECT_TRUE(tb.GETRADIO(1));

    tb.SETACTIVETAB(5, 2);
    EXPECT_EQ(tb.GETACTIVETAB(5), 2);
    EXPECT_FALSE(tb.GETCHECKED(1));

    // A disabled wanted tab gives the next usable one, wrapping to the front.
    tb.SETENABLED(4, false);
    tb.SETVISIBLE(3, false);
    tb.SETACTIVETAB(5, 3);
    EXPECT_EQ(tb.GETACTIVETAB(5), 5); // the process button after them
    tb.SETENABLED(9, false);           // disabling the checked tab moves the check on, wrapping
    EXPECT_EQ(tb.GETACTIVETAB(5), 1);
    tb.SETENABLED(1, false);
    EXPECT_EQ(tb.GETACTIVETAB(5), 2);

    // None usable: nothing changes.
    tb.SETENABLED(2, false);
    tb.SETACTIVETAB(5, 2);
    EXPECT_EQ(tb.GETACTIVETAB(5), 0);
    tb.UNCHECKALL(5);
    tb.SETACTIVETAB(5, 1);
    EXPECT_EQ(tb.GETACTIVETAB(5), 0);
}

TEST(ToolbarModel, SettingACheckClearsTheRadioRunAroundAnyItem)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 1, QStringLiteral("push"));
    tb.ADDBUTTON(1, 2, QStringLiteral("r1"), {}, PTB_RADIO | PTB_CHECKED);
    tb.ADDSEPARATOR(1, 3);
    tb.ADDBUTTON(1, 4, QStringLiteral("toggle"), {}, PTB_TOGGLE);
    tb.ADDBUTTON(1, 5, QStringLiteral("r2"), {}, PTB_RADIO | PTB_CHECKED);
    tb.ADDBUTTON(1, 6, QStringLiteral("r3"), {}, PTB_RADIO | PTB_CHECKED);

    // Kept as the toolbar has always done it: a toggle between radios clears them too.
    tb.SETCHECKED(4, true);
    EXPECT_TRUE(tb.GETCHECKED(4));
    EXPECT_FALSE(tb.GETCHECKED(5));
    EXPECT_FALSE(tb.GETCHECKED(6));
    EXPECT_FALSE(tb.GETCHECKED(2)); // a separator does not end the run; the push button does

    tb.SETCHECKED(6, true);
    EXPECT_TRUE(tb.GETCHECKED(4)); // the toggle ends the run going back
    tb.SETCHECKED(5, true);
    EXPECT_FALSE(tb.GETCHECKED(6));
    EXPECT_TRUE(tb.GETCHECKED(5));
}

TEST(ToolbarModel, DrawingStates)
{
    struct Case {
        bool menuMode, menuActive, pushed, hovered, checked, leftDown;
        int state;
    };
    const Case cases[] = {
        {true, true, false, false, false, false, ST_MENUOPEN},
        {true, false, true, true, true, true, ST_NORMAL},
        {false, false, true, true, false, true, ST_PRESSED},
        {false, false, true, false, false, true, ST_NORMAL},
        {false, false, false, true, false, false, ST_HOT},
        {false, false, false, true, false, true, ST_NORMAL},
        {false, false, false, false, false, false, ST_NORMAL},
        {false, false, false, true, true, true, ST_CHECKEDPRESSED},
        {false, false, false, true, true, false, ST_CHECKEDHOT},
        {false, false, false, false, true, false, ST_CHECKED},
        {false, true, false, false, true, true, ST_CHECKED},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(controlState(c.menuMode, c.menuActive, c.pushed, c.hovered, c.checked, c.leftDown), c.state)
            << "case " << i;
    }
}

TEST(ToolbarModel, StyleValidation)
{
    struct Case {
        int style;
        StyleEnvironment env;
        int result;
    };
    const Case cases[] = {
        {2, {true, false, false}, 2},  {3, {false, false, true}, 0}, {3, {true, false, false}, 0},
        {3, {true, false, true}, 3},   {2, {true, true, true}, 0},   {1, {true, true, false}, 0},
        {-1, {true, true, false}, 0},  {-1, {true, false, false}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(validateStyle(c.style, c.env), c.result) << c.style;

    Toolbar tb;
    tb.themeService = false;
    tb.SETSTYLE(3);
    EXPECT_EQ(tb.GETSTYLE(), 0);
    tb.themeService = true;
    tb.themes = true;
    tb.SETSTYLE(3);
    EXPECT_EQ(tb.GETSTYLE(), 3);
    tb.SETMENUSTYLEFOLLOWTOOLBAR(true);
    EXPECT_EQ(tb.GETMENUSTYLE(), 3);
    tb.NOGRADIENT = true;
    tb.SETMENUSTYLEFOLLOWTOOLBAR(false);
    tb.SETMENUSTYLE(-1);
    EXPECT_EQ(tb.GETMENUSTYLE(), 0);

    Model plain;
    plain.SETPXP(nullptr);
    plain.SETSTYLE(3);
    EXPECT_EQ(plain.GETSTYLE(), 0);
    EXPECT_FALSE(plain.GETPXPREFERENCES());

    tb.SETTOOLTIPMODE(5);
    EXPECT_EQ(tb.GETTOOLTIPMODE(), 0);
    tb.SETTOOLTIPMODE(2);
    EXPECT_EQ(tb.GETTOOLTIPMODE(), 2);
}

TEST(ToolbarBandMenu, TextAndChoices)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBAND(2, BAND_NOTLISTED, QStringLiteral("B"));
    tb.ADDBAND(3, 0, QStringLiteral("C"));
    tb.ADDBAND(4, 0, QString());
    tb.ADDBAND(9, BAND_FULL, QStringLiteral("Menu"), BAND_MENU);
    EXPECT_EQ(customizeMenuText(tb.BANDQ), QStringLiteral("+A|+C|-|Customize"));
    EXPECT_EQ(customizableBands(tb.BANDQ), (std::vector<long>{1, 3}));

    tb.takeCustomizeChoice(2);
    EXPECT_TRUE(tb.GETBAND(3)->BUSERHIDDEN);
    EXPECT_TRUE(tb.GETBAND(3)->BVISIBLE); // the program's own visibility is left alone
    EXPECT_EQ(customizeMenuText(tb.BANDQ), QStringLiteral("+A|-C|-|Customize"));
    tb.takeCustomizeChoice(3);
    EXPECT_EQ(tb.customizeDialogs, 1);
    tb.takeCustomizeChoice(0);
    EXPECT_EQ(tb.customizeDialogs, 1);

    // A band the program hid stays hidden whatever the user chooses, and comes back with the
    // user's choice intact when the program shows it again.
    tb.SETBANDVISIBLE(1, false);
    EXPECT_EQ(customizeMenuText(tb.BANDQ), QStringLiteral("+A|-C|-|Customize")); // the user's choice
    tb.takeCustomizeChoice(1);
    EXPECT_FALSE(tb.GETBAND(1)->BVISIBLE);
    tb.takeCustomizeChoice(1);
    EXPECT_FALSE(tb.GETBAND(1)->BUSERHIDDEN);
    tb.SETBANDVISIBLE(1, true);
    EXPECT_TRUE(tb.GETBAND(1)->shown());

    Toolbar empty;
    EXPECT_EQ(customizeMenuText(empty.BANDQ), QStringLiteral("-|Customize"));
}

TEST(ToolbarInput, PressMoveOffAndBack)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 10, QStringLiteral("Go"));
    tb.ADDBUTTON(1, 11, QStringLiteral("Other"));
    tb.place();

    tb.press(10);
    EXPECT_TRUE(tb.GETCONTROL(10)->BPUSHED);
    tb.moveTo(500); // off every item
    tb.BLEFTFLAG = false;
    tb.TAKEMOUSEBUTTONEVENT(1, 500, 10);
    EXPECT_TRUE(tb.events.empty());
    EXPECT_FALSE(tb.GETCONTROL(10)->BPUSHED);

    tb.press(10);
    tb.moveTo(500);
    tb.moveTo(Toolbar::centre(10, tb));
    tb.release(10);
    ASSERT_EQ(tb.events.size(), 1u);
    EXPECT_EQ(tb.events[0].event, 1);
    EXPECT_EQ(tb.events[0].id, 10);
    EXPECT_EQ(tb.events[0].band, 1);
    EXPECT_EQ(tb.events[0].button, 1);

    // Pressed on one item and released over another: neither runs.
    tb.press(10);
    tb.moveTo(Toolbar::centre(11, tb));
    tb.release(11);
    EXPECT_EQ(tb.events.size(), 1u);
}

TEST(ToolbarInput, TogglesRadiosAndTheRightButton)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 10, QStringLiteral("Bold"), {}, PTB_TOGGLE);
    tb.ADDBUTTON(1, 20, QStringLiteral("L"), {}, PTB_RADIO | PTB_CHECKED);
    tb.ADDBUTTON(1, 21, QStringLiteral("C"), {}, PTB_RADIO);
    tb.ADDBUTTON(1, 22, QStringLiteral("R"), {}, PTB_RADIO);
    tb.place();

    tb.click(10);
    EXPECT_TRUE(tb.GETCHECKED(10));
    tb.click(10);
    EXPECT_FALSE(tb.GETCHECKED(10));

    tb.click(22);
    EXPECT_TRUE(tb.GETCHECKED(22));
    EXPECT_FALSE(tb.GETCHECKED(20));
    EXPECT_FALSE(tb.GETCHECKED(21));
    tb.click(22);
    EXPECT_TRUE(tb.GETCHECKED(22)); // a radio stays checked
    const size_t runs = tb.events.size();
    EXPECT_EQ(runs, 4u);

    // A right click never runs an item and never flips a toggle, hovered or not.
    tb.NLASTHOVEREDID = 0;
    tb.RLASTHOVEREDRECT = {};
    tb.GETCONTROL(10)->BHOVERED = false;
    tb.BRIGHTFLAG = true;
    tb.TAKEMOUSEBUTTONEVENT(2, Toolbar::centre(10, tb), 10);
    tb.BRIGHTFLAG = false;
    tb.TAKEMOUSEBUTTONEVENT(2, Toolbar::centre(10, tb), 10);
    EXPECT_FALSE(tb.GETCHECKED(10));
    tb.moveTo(Toolbar::centre(10, tb));
    tb.BRIGHTFLAG = true;
    tb.TAKEMOUSEBUTTONEVENT(2, Toolbar::centre(10, tb), 10);
    tb.BRIGHTFLAG = false;
    tb.TAKEMOUSEBUTTONEVENT(2, Toolbar::centre(10, tb), 10);
    EXPECT_FALSE(tb.GETCHECKED(10));
    EXPECT_EQ(tb.events.size(), runs);

    // A disabled item neither hovers nor runs.
    tb.SETENABLED(21, false);
    tb.click(21);
    EXPECT_EQ(tb.events.size(), runs);
    EXPECT_FALSE(tb.GETCHECKED(21));
}

TEST(ToolbarInput, DropAndSplitButtons)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDDROPBUTTON(1, 30, QStringLiteral("Split"), {}, PTB_SPLIT);
    tb.ADDDROPITEM(30, QStringLiteral("one"), 0);
    tb.ADDDROPITEM(30, QStringLiteral("two"), 77);
    tb.ADDDROPBUTTON(1, 31, QStringLiteral("Empty"));
    tb.ADDDROPBUTTON(1, 32, QStringLiteral("List"));
    tb.ADDDROPITEM(32, QStringLiteral("a"), 0);
    tb.place();

    // The face of a split button runs at once with 0.
    tb.click(30);
    ASSERT_EQ(tb.events.size(), 1u);
    EXPECT_EQ(tb.events[0].value, 0);
    EXPECT_EQ(tb.listsShown, 0);

    // Its arrow opens the list: an entry with an id reports the id, one without its position.
    tb.answers = {{DropAnswer::Chosen, tb.GETCONTROL(30)->dropButton()->answerFor(2)},
                  {DropAnswer::Chosen, tb.GETCONTROL(30)->dropButton()->answerFor(1)},
                  {DropAnswer::Cancelled, 0}};
    const long arrowX = tb.GETCONTROL(30)->RAREA.right - 5;
    for (int i = 0; i < 3; ++i) {
        tb.moveTo(arrowX);
        tb.BLEFTFLAG = true;
        tb.TAKEMOUSEBUTTONEVENT(1, arrowX, 10);
        EXPECT_TRUE(tb.GETCONTROL(30)->dropButton()->BDROPPED);
        tb.BLEFTFLAG = false;
        tb.TAKEMOUSEBUTTONEVENT(1, arrowX, 10);
        EXPECT_FALSE(tb.GETCONTROL(30)->dropButton()->BDROPPED);
    }
    EXPECT_EQ(tb.listsShown, 3);
    ASSERT_EQ(tb.events.size(), 3u); // the cancelled list ends the click
    EXPECT_EQ(tb.events[1].value, 77);
    EXPECT_EQ(tb.events[2].value, 1);

    // An empty list never opens; the click runs with 0.
    tb.click(31);
    EXPECT_EQ(tb.listsShown, 3);
    ASSERT_EQ(tb.events.size(), 4u);
    EXPECT_EQ(tb.events[3].id, 31);
    EXPECT_EQ(tb.events[3].value, 0);

    // From code, an unsplit button opens its list too.
    tb.answers = {{DropAnswer::Chosen, 1}};
    tb.EXECUTECONTROL(32);
    EXPECT_EQ(tb.listsShown, 4);
    EXPECT_EQ(tb.events.back().id, 32);
    EXPECT_EQ(tb.events.back().value, 1);
    EXPECT_EQ(tb.events.back().button, 0);

    EXPECT_EQ(tb.GETITEMID(30, 2), 77);
    EXPECT_EQ(tb.GETITEMID(30, 1), 1);
    EXPECT_EQ(tb.GETITEMID(30, 3), -1);
    EXPECT_EQ(tb.GETITEMTEXT(30, 2), QStringLiteral("two"));
    tb.DELETEITEM(30, 77);
    EXPECT_EQ(tb.GETITEMTEXT(30, 2), QString());
}

TEST(ToolbarInput, MenuBandKeysAndTitles)
{
    Toolbar tb;
    tb.ADDBAND(100, BAND_FULL, {}, BAND_MENU);
    tb.NMENUBANDID = 100;
    const char* titles[] = {"&File", "&Edit", "&Help"};
    for (long i = 0; i < 3; ++i) {
        Item item;
        item.ID = 100 + i;
        item.NTYPE = KIND_MENU;
        item.SZCAPTION = QString::fromUtf8(titles[i]);
        auto m = std::make_unique<MenuClass>();
        m->SZHOTKEY = GETMENUCHAR(item.SZCAPTION);
        item.PCONTROL = std::move(m);
        tb.insertItem(100, std::move(item), -1);
    }
    tb.ADDSPACER(100, -4, -1);
    tb.ADDBUTTON(100, -1, QStringLiteral("0"));

    EXPECT_EQ(tb.GETNEXTORPREVIOUSCONTROL(100, true), 102);
    EXPECT_EQ(tb.GETNEXTORPREVIOUSCONTROL(102, false), 100);
    EXPECT_EQ(tb.GETNEXTORPREVIOUSCONTROL(101, false), 102);

    tb.TAKEMENUCHAR(QChar(u'E'));
    EXPECT_TRUE(tb.NTRACKINGMODE);
    EXPECT_EQ(tb.REOPENMENUID, 101);
    // The hover timer opens it.
    tb.TAKETIMEREVENT(true, 0, 0);
    EXPECT_EQ(tb.OPENMENUID, 101);
    EXPECT_EQ(tb.REOPENMENUID, 0);
}

TEST(ToolbarModel, TooltipsWrapAtTheirMaximumWidth)
{
    const auto width = [](const QString& t) { return int(t.size()) * 6; };
    const std::tuple<const char*, long, const char*> cases[] = {
        {"Open a record", 300, "Open a record"},
        {"Open a record   ", 300, "Open a record"},
        {"Open a record from the list", 60, "Open a\nrecord\nfrom the\nlist"},
        {"Unbreakablewordlongerthanthewidth", 30, "Unbreakablewordlongerthanthewidth"},
        {"", 300, ""},
    };
    for (const auto& [text, max, out] : cases)
        EXPECT_EQ(wrapTooltip(QString::fromUtf8(text), max, width), QString::fromUtf8(out)) << text;
    EXPECT_EQ(wrapTooltip(QString(600, u'x'), 10000, width).size(), 511);
}

TEST(ToolbarCombo, ListHeightAndFieldArea)
{
    EXPECT_EQ(comboListHeight(30, 8), 121);
    EXPECT_EQ(comboListHeight(5, 8), 76);
    EXPECT_EQ(comboListHeight(30, 0), 451);

    Rect prompt;
    const Rect field = comboFieldArea({10, 2, 150, 40}, 30, prompt);
    EXPECT_EQ(prompt.left, 12);
    EXPECT_EQ(prompt.right, 42);
    EXPECT_EQ(field.left, 42);
    EXPECT_EQ(field.height(), 22);
    EXPECT_EQ(field.top, 11); // centred in the 38-pixel area
}

TEST(ToolbarModel, LockedReadersFromAnotherThread)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 10, QStringLiteral("x"));
    std::atomic<int> seen{0};
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i)
            seen += tb.GETENABLED(10) ? 1 : 0;
    });
    for (int i = 0; i < 2000; ++i)
        tb.SETENABLED(10, i % 2 == 0);
    reader.join();
    EXPECT_LE(seen.load(), 2000);
}
