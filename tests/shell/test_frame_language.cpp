// The frame in another language: every text it shows has an English row in the shipped table,
// and a change of language at run time reaches the ribbon, the caption strip and the waiting text.
#include <gtest/gtest.h>

#include "controls/RibbonBar.h"
#include "controls/ShortcutCaption.h"
#include "runtime/Notify.h"
#include "services/Quilvo.h"
#include "shell/FrameWindow.h"
#include "tests/shell/FrameHosts.h"
#include "shell/OrganiserStandIn.h"
#include "shell/RibbonModel.h"
#include "tests/support/ShippedTranslations.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QToolButton>

#include <map>
#include <set>

using namespace shell;

namespace {

void collect(const std::vector<RibbonItemDef>& items, std::set<QString>& out)
{
    for (const RibbonItemDef& i : items) {
        out.insert(i.caption);
        collect(i.items, out);
    }
}

void settle()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(FrameLanguage, EveryTextTheFrameShowsHasAnEnglishRowThatASecondLookupKeeps)
{
    // The ribbon table, and whatever else the frame and its protocol pass to the translator.
    std::set<QString> texts;
    for (const RibbonTabDef& tab : ribbonTabs()) {
        texts.insert(tab.caption);
        for (const RibbonGroupDef& g : tab.groups) {
            texts.insert(g.caption);
            collect(g.controls, texts);
        }
    }
    const Translate record = [&texts](const QString& s) {
        texts.insert(s);
        return s;
    };
    testsupport::TempFolder data;
    FrameOptions o;
    o.dataFolder = data.path();
    o.translate = record;
    StandInHost host(false);
    { FrameWindow frame(o, host); }
    for (int module : {1, 2, 3, 4, 5, 6, 7, 8, 101, 102, 103, 104})
        moduleCaption(module, QString(), record);
    busyCaption(record);
    ASSERT_GT(texts.size(), 80u);

    testsupport::expectEnglishRows(texts);
}

TEST(FrameLanguage, TheFrameComesUpInEnglishAndFollowsEachChangeOfLanguage)
{
    testsupport::TempFolder data;
    const QString table = testsupport::binDir() + QStringLiteral("/Velmora.qvl");
    QUILVO translator;
    translator.INIT();
    translator.QVINIT(table, 2, testsupport::binDir() + QStringLiteral("/Velmora.qvs"), 0, 1);
    FrameOptions o;
    o.dataFolder = data.path();
    o.translate = [&translator](const QString& s) { return translator.QVSTR(s); };
    StandInHost host;
    FrameWindow frame(o, host);
    attachTranslator(frame, translator);
    controls::RibbonBar& ribbon = *frame.ribbon();
    EXPECT_EQ(ribbon.tabCaption(0), QStringLiteral("My organiser"));
    EXPECT_EQ(frame.captionStrip()->caption(), QStringLiteral("Tavrimo today"));

    frame.open();
    settle();
    vrt::notify(frame.receiverId(), kModuleShown, 2);
    settle();

    struct Case {
        int language;
        const char *firstTab, *lastTab, *firstGroup, *createNew, *expense, *caption, *waiting;
    };
    const Case cases[] = {
        {2, "My organiser", "Address book", "Actions", "Create new", "Expense", "EMAIL MESSAGES", "Please wait ..."},
        {1, "Moj organizator", "Adresar", "Obrada", "Izradi novi", "Trošak", "EMAIL PORUKE", "Molimo pričekajte ..."},
        {1, "Moj organizator", "Adresar", "Obrada", "Izradi novi", "Trošak", "EMAIL PORUKE", "Molimo pričekajte ..."},
        {2, "My organiser", "Address book", "Actions", "Create new", "Expense", "EMAIL MESSAGES", "Please wait ..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        translator.QVDLC(table, c.language);
        EXPECT_EQ(ribbon.tabCaption(0), QString::fromUtf8(c.firstTab));
        EXPECT_EQ(ribbon.tabCaption(7), QString::fromUtf8(c.lastTab));
        EXPECT_EQ(ribbon.groups(0).front()->caption(), QString::fromUtf8(c.firstGroup));
        EXPECT_EQ(ribbon.findControl(0, 1001)->text(), QString::fromUtf8(c.createNew));
        EXPECT_EQ(ribbon.findControl(0, 1101)->text(), QString::fromUtf8(c.expense));
        EXPECT_EQ(frame.captionStrip()->caption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(frame.painter().text(QStringLiteral("naslov"))->text, QString::fromUtf8(c.waiting));
        // What the buttons show is what their commands say.
        for (QToolButton* b : ribbon.findChildren<QToolButton*>())
            if (b->defaultAction()) {
                EXPECT_EQ(b->text(), b->defaultAction()->text()) << b->objectName().toStdString();
            }
    }
}
