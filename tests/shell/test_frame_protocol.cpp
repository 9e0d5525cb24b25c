// What the frame sends for ribbon actions and what it does with the organiser's notifications.
#include <gtest/gtest.h>

#include "shell/FrameProtocol.h"

#include <vector>

using namespace shell;

namespace {

using Sent = std::pair<int, int>;

struct RecordingLink {
    int receiver = 7;
    std::vector<Sent> sent;
    OrganiserLink link{[this] { return receiver; }, [this](int, int code, int number) {
                           sent.emplace_back(code, number);
                           return true;
                       }};
};

struct RecordingView : FrameView {
    std::vector<QString> calls;
    void setCaption(const QString& c) override { calls.push_back(QStringLiteral("caption ") + c); }
    void selectRibbonTab(int t) override { calls.push_back(QStringLiteral("tab %1").arg(t)); }
    void setAddressGroups(const std::array<bool, 3>& v) override
    {
        calls.push_back(QStringLiteral("groups %1%2%3").arg(int(v[0])).arg(int(v[1])).arg(int(v[2])));
    }
    void closeDown() override { calls.push_back(QStringLiteral("close")); }
};

QString upperMarked(const QString& s)
{
    return QStringLiteral("hr:") + s;
}

} // namespace

TEST(CommandForwarding, CommandsBelowTheReservedRangeGoAsCodeOne)
{
    const std::pair<int, std::vector<Sent>> cases[] = {
        {2002, {{1, 2002}}}, {1009, {{1, 1009}}}, {1013, {{1, 1013}}}, {8999, {{1, 8999}}},
        {9000, {}},          {9604, {}},          {12345, {}}};
    for (const auto& [id, expected] : cases) {
        RecordingLink r;
        CommandForwarder f(r.link);
        f.executed(id);
        EXPECT_EQ(r.sent, expected) << id;
    }
}

TEST(CommandForwarding, TabChoicesGoAsCodeTwoWithTheTabNumber)
{
    RecordingLink r;
    CommandForwarder f(r.link);
    f.tabChosen(777);    // unknown before any tab: the initial number 0
    f.tabChosen(0);      // the first tab may report 0
    f.tabChosen(100000);
    f.tabChosen(300000);
    f.tabChosen(800000);
    f.tabChosen(900000); // unknown: the last number again
    f.tabChosen(150000);
    EXPECT_EQ(r.sent, (std::vector<Sent>{{2, 0}, {2, 1}, {2, 1}, {2, 3}, {2, 8}, {2, 8}, {2, 8}}));
}

TEST(OrganiserLinkQueue, NotificationsWaitInOrderUntilTheOrganiserRegisters)
{
    RecordingLink r;
    r.receiver = 0;
    r.link.send(3, 0);
    r.link.send(1, 2005);
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.link.pending(), 2u);
    r.receiver = 7;
    r.link.send(2, 4);
    EXPECT_EQ(r.sent, (std::vector<Sent>{{3, 0}, {1, 2005}, {2, 4}}));
    EXPECT_EQ(r.link.pending(), 0u);
}

TEST(OrganiserLinkQueue, AFailedDeliveryKeepsTheNotificationForLater)
{
    int receiver = 7;
    bool accept = false;
    std::vector<Sent> sent;
    OrganiserLink link([&] { return receiver; }, [&](int, int code, int number) {
        if (accept)
            sent.emplace_back(code, number);
        return accept;
    });
    link.send(4, 1);
    EXPECT_EQ(link.pending(), 1u);
    accept = true;
    link.flush();
    EXPECT_EQ(sent, (std::vector<Sent>{{4, 1}}));
}

TEST(WidthChanges, ReportedOncePerChangeAndOnlyAfterOpening)
{
    WidthWatch w;
    EXPECT_FALSE(w.changed(1024)); // not open yet
    w.opened(1024);
    EXPECT_FALSE(w.changed(1024));
    EXPECT_TRUE(w.changed(900));
    EXPECT_FALSE(w.changed(900));
    EXPECT_TRUE(w.changed(1024));
}

TEST(ModuleCaptions, EachModuleHasItsTranslatedUpperCaseCaption)
{
    const std::pair<int, const char*> cases[] = {
        {2, "HR:EMAIL PORUKE"},           {3, "HR:LISTA ZADATAKA"},
        {4, "HR:KALENDAR"},               {5, "HR:PROJEKTI - GANTT"},
        {6, "HR:PRIHODI/TROŠKOVI"},       {7, "HR:PASSWORDI"},
        {8, "HR:KONTAKTI I ADRESAR"},     {101, "HR:PRIHODI/TROŠKOVI"},
        {102, "HR:ULAZNI DOKUMENTI - TROŠAK"}, {103, "HR:IZLAZNI DOKUMENTI - PRIHOD"},
        {104, "HR:STANJE - PRIHOD/TROŠAK"}};
    for (const auto& [module, caption] : cases)
        EXPECT_EQ(moduleCaption(module, QString(), upperMarked), QString::fromUtf8(caption)) << module;
    for (int other : {0, 9, 100, 105, -1})
        EXPECT_FALSE(moduleCaption(other, QStringLiteral("Firma"), upperMarked).has_value()) << other;
}

TEST(ModuleCaptions, TheFirstModuleShowsTheCompanyNameAsStoredOrTheProgramsDescription)
{
    EXPECT_EQ(moduleCaption(1, QStringLiteral("Obrt Šimić d.o.o."), upperMarked),
              QStringLiteral("Obrt Šimić d.o.o."));
    const QString fallback = QStringLiteral("HR:OSOBNI ORGANIZATOR I POSLOVNA EVIDENCIJA");
    EXPECT_EQ(moduleCaption(1, QString(), upperMarked), fallback);
    EXPECT_EQ(moduleCaption(1, QStringLiteral("   "), upperMarked), fallback);
    EXPECT_EQ(moduleCaption(1, QString(300, QLatin1Char('x')), upperMarked)->size(), 255);
}

TEST(ModuleCaptions, BusyCaptionIsUpperCasedByUnicodeRules)
{
    const QString busy = busyCaption([](const QString& s) { return s.toLower(); });
    EXPECT_EQ(busy, QStringLiteral("SLANJE/PRIMANJE U TOKU ... MOLIMO PRIČEKAJTE ..."));
}

TEST(FrameNotifications, ModuleShownSetsCaptionAndSelectsOnlyTabsOneToEight)
{
    RecordingView view;
    NotificationHandler h(view, upperMarked, [] { return QStringLiteral("Firma"); });
    h.take(1, 6);
    h.take(1, 101);
    h.take(1, 1);
    h.take(1, 55);
    EXPECT_EQ(view.calls, (std::vector<QString>{QStringLiteral("caption HR:PRIHODI/TROŠKOVI"),
                                               QStringLiteral("tab 6"),
                                               QStringLiteral("caption HR:PRIHODI/TROŠKOVI"),
                                               QStringLiteral("caption Firma"), QStringLiteral("tab 1")}));
    EXPECT_EQ(h.module(), 55);
}

TEST(FrameNotifications, TheCaptionIsMadeAgainFromTheLastModuleThatNamedOne)
{
    RecordingView view;
    QString prefix = QStringLiteral("hr:");
    NotificationHandler h(view, [&prefix](const QString& s) { return prefix + s; }, [] { return QString(); });
    EXPECT_EQ(h.caption(), std::nullopt);
    h.take(1, 3);
    h.take(1, 55); // names no module: the caption stays
    prefix = QStringLiteral("en:");
    EXPECT_EQ(h.caption(), QStringLiteral("EN:LISTA ZADATAKA"));
}

TEST(FrameNotifications, AddressGroupsFollowTheContactSheetPage)
{
    const std::pair<int, const char*> cases[] = {
        {1, "groups 000"}, {2, "groups 100"}, {3, "groups 010"}, {4, "groups 001"}, {5, nullptr}, {0, nullptr}};
    for (const auto& [page, expected] : cases) {
        RecordingView view;
        NotificationHandler h(view, upperMarked, [] { return QString(); });
        h.take(3, page);
        EXPECT_EQ(view.calls, expected ? std::vector<QString>{QString::fromLatin1(expected)}
                                       : std::vector<QString>{})
            << page;
    }
}

TEST(FrameNotifications, CloseDownWhateverTheNumberAndUnknownCodesIgnored)
{
    for (int number : {2, 0, -5, 99}) {
        RecordingView view;
        NotificationHandler h(view, upperMarked, [] { return QString(); });
        h.take(2, number);
        h.take(4, 1);
        h.take(0, 1);
        EXPECT_EQ(view.calls, std::vector<QString>{QStringLiteral("close")}) << number;
    }
}

TEST(TransferFlag, BusyOnlyWhileTheFlagIsOne)
{
    TransferWatch w;
    using C = TransferWatch::Change;
    const std::pair<long long, C> steps[] = {{0, C::None}, {1, C::Began}, {1, C::None},
                                             {2, C::Ended}, {0, C::None}, {1, C::Began}, {0, C::Ended}};
    for (const auto& [start, change] : steps)
        EXPECT_EQ(w.update(start), change) << start;
}
