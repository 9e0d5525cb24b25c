#include <gtest/gtest.h>

#include "extensions/Security.h"
#include "runtime/DateTime.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QVBoxLayout>

namespace {

TEST(Security, PasswordObfuscationRoundTripsEveryByte)
{
    HBGT::SECURITYCLASS s;
    QRandomGenerator rng(38);
    for (const QString& key : {QString(), QStringLiteral("k"), QStringLiteral("velmora key")}) {
        s.SET_PASSWORDENCRYPT(key);
        for (int i = 0; i < 200; ++i) {
            QByteArray pw;
            const int n = int(rng.bounded(51));
            for (int j = 0; j < n; ++j)
                pw.append(char(32 + rng.bounded(95)));
            const QByteArray once = s.ENCRYPTPASSWORD(pw);
            EXPECT_EQ(once.size(), n);
            EXPECT_EQ(s.ENCRYPTPASSWORD(once, n), pw);
        }
    }
    // A character equal to the key's gives a zero byte; a blank key gives blanks: neither
    // ends or shortens the result.
    s.SET_PASSWORDENCRYPT("ab");
    const QByteArray coded = s.ENCRYPTPASSWORD("ab b");
    EXPECT_EQ(coded.size(), 4);
    EXPECT_EQ(coded[0], '\0');
    EXPECT_EQ(s.ENCRYPTPASSWORD(coded, 4), "ab b");

    testsupport::presenter().clear();
    EXPECT_EQ(s.ENCRYPTPASSWORD(QByteArray(60, 'x')).size(), 50);
    const auto shown = testsupport::presenter().calls("message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Programmer Error!");
    EXPECT_EQ(shown[0].text, "The Travik_:Password field is too large!|The maximum is 50 characters.");
    testsupport::presenter().clear();
}

// Security on a clock the test sets.
struct Clocked : HBGT::SECURITYCLASS {
    int now = 0;
    int date = 0;
    int clock() override { return now; }
    int today() override { return date; }
};

struct Users : Clocked {
    int FETCHUSER(int userNo) override
    {
        if (userNo != 7)
            return 1;
        SET_USERNAME("ana");
        return 0;
    }
};

TEST(Security, PreviousLogonIsTakenOnceWithinTwoMinutes)
{
    testsupport::TempFolder folder;
    Users s;
    s.prevLogonFolder = folder.path();
    int& now = s.now;
    int& date = s.date;
    now = 100000;
    date = vrt::dayFromDate(QDate(2026, 5, 4));
    struct Case {
        int user;
        int ageHundredths;
        int daysAgo;
        int accepted;
    };
    for (const Case c : {Case{7, 11900, 0, 1}, Case{7, 12100, 0, 0}, Case{7, 100, 1, 0}, Case{-1, 100, 0, 1}, Case{9, 100, 0, 0}}) {
        s.SET_USERNO(c.user);
        const int then = now;
        now -= c.ageHundredths;
        date -= c.daysAgo;
        ASSERT_TRUE(s.PREPAREPREVIOUSLOGON());
        now = then;
        date += c.daysAgo;
        EXPECT_EQ(QFile::permissions(s.previousLogonPath()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
        s.SET_USERNO(0);
        EXPECT_EQ(s.CHECKPREVIOUSLOGON(), c.accepted) << c.user << " " << c.ageHundredths;
        EXPECT_EQ(s.GET_USERNO(), c.accepted ? c.user : 0);
        if (c.accepted) {
            EXPECT_EQ(s.GET_USERNAME(), c.user == -1 ? "[Backdoor]" : "ana");
        }
        EXPECT_EQ(s.CHECKPREVIOUSLOGON(), 0); // the entries went with the first read
    }
}

TEST(Security, InactivityTimesOutAcrossMidnightAndNotWhileSuspended)
{
    Clocked s;
    int& now = s.now;
    now = 100;
    s.INACTIVITYPERIOD = 30000;
    int timer = 0;
    s.PREPAREACTIVITYFRAME(timer);
    EXPECT_EQ(timer, 6000);
    now = 8000000;
    EXPECT_FALSE(s.TAKEACTIVITYFRAMEEVENT(true)); // nobody logged on, no activity

    s.SET_USERNO(3);
    now = vrt::timeFromQTime(QTime(23, 59, 0));
    s.TAKEACTIVITYEVENT();
    now = vrt::timeFromQTime(QTime(0, 1, 0));
    EXPECT_FALSE(s.TAKEACTIVITYFRAMEEVENT(true)); // 12000 elapsed
    s.INACTIVITYPERIOD = 11999;
    EXPECT_TRUE(s.TAKEACTIVITYFRAMEEVENT(true));
    EXPECT_TRUE(s.TAKEACTIVITYFRAMEEVENT(true)); // timer events are no activity

    s.TAKEACTIVITYFRAMEEVENT(false); // any other event is
    s.SUSPENDACTIVITYCHECK();
    s.SUSPENDACTIVITYCHECK();
    now += 50000;
    EXPECT_FALSE(s.TAKEACTIVITYFRAMEEVENT(true));
    s.RESUMEACTIVITYCHECK();
    EXPECT_FALSE(s.TAKEACTIVITYFRAMEEVENT(true));
    s.RESUMEACTIVITYCHECK(); // the suspended time does not count
    EXPECT_FALSE(s.TAKEACTIVITYFRAMEEVENT(true));
    now += 12000;
    EXPECT_TRUE(s.TAKEACTIVITYFRAMEEVENT(true));
}

TEST(Security, ViewModeKeepsOnlyTheCloseButton)
{
    QDialog window;
    auto* entry = new QLineEdit(&window);
    auto* check = new QCheckBox(&window);
    auto* ok = new QPushButton("OK", &window);
    auto* close = new QPushButton("Zatvori", &window);
    auto* l = new QVBoxLayout(&window);
    for (QWidget* w : {static_cast<QWidget*>(entry), static_cast<QWidget*>(check), static_cast<QWidget*>(ok), static_cast<QWidget*>(close)})
        l->addWidget(w);
    ok->setDefault(true);
    int oks = 0, closes = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++oks; });
    QObject::connect(close, &QPushButton::clicked, [&] { ++closes; });
    window.show();
    HBGT::SECURITYCLASS s;
    s.PREPAREVIEWWINDOW(&window, true, close);
    EXPECT_TRUE(entry->isReadOnly());
    EXPECT_FALSE(check->isEnabled());
    EXPECT_FALSE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_Return);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(oks, 0);
    EXPECT_EQ(closes, 1);
}

TEST(Security, RunTimeSecurityByHotKeyOrEvent)
{
    struct Runtime : HBGT::SECURITYCLASS {
        QStringList opened;
        bool admin = false;
        bool CHECKACCESS(int door, std::optional<bool>, const QString&, std::optional<bool>) override
        {
            return admin && door == RUNTIMEDOOR;
        }
        void UPDATERUNTIME(const QString& name, const QString&, bool, bool) override { opened << name; }
    } s;
    s.RUNTIMEDOOR = 900;
    QPushButton button;
    s.PREPARERUNTIMEBUTTON(&button);
    EXPECT_TRUE(button.isHidden());
    s.admin = true;
    s.PREPARERUNTIMEBUTTON(&button);
    EXPECT_FALSE(button.isHidden());

    QDialog window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    s.RUNTIMEINVOCATION = 1;
    s.RUNTIMEHOTKEY = (Qt::CTRL | Qt::SHIFT | Qt::Key_F12).toCombined();
    s.PREPARERUNTIMEWINDOW(&window, "F_Contact", "Kontakt");
    QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.opened, QStringList{"F_Contact"});

    QDialog other;
    s.RUNTIMEINVOCATION = 2;
    s.RUNTIMEEVENT = QEvent::registerEventType();
    s.PREPARERUNTIMEWINDOW(&other, "T_Kontakti", "Kontakti", true);
    testsupport::presenter().clear();
    QCoreApplication::sendEvent(&other, new QEvent(QEvent::Type(s.RUNTIMEEVENT)));
    EXPECT_EQ(testsupport::presenter().takeTexts(), QStringList{"Run-time security is not available for this window!"});
    EXPECT_EQ(s.opened.size(), 1);
}

TEST(Security, Texts)
{
    HBGT::SECURITYCLASS s;
    EXPECT_EQ(HBGT::SECURITYCLASS::texts().size(), 35u);
    EXPECT_EQ(s.TRANSLATE("HBGT::Inactive:Title"), "Inactivity Timeout!");
    EXPECT_EQ(s.TRANSLATE("Other"), "Other");
    testsupport::presenter().clear();
    EXPECT_EQ(s.TRANSLATE("HBGT::Nope"), "HBGT::Nope");
    ASSERT_EQ(testsupport::presenter().calls("message").size(), 1u);
    EXPECT_EQ(testsupport::presenter().calls("message")[0].text, "Missing translation for Halmbrookgate message:|HBGT::Nope");
    testsupport::presenter().clear();
    EXPECT_FALSE(HBGT::SECURITYCLASS::GETNETUSERNAME().isEmpty());
}

} // namespace
