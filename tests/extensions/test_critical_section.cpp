#include <gtest/gtest.h>

#include "extensions/CriticalSection.h"
#include "extensions/LimitStarts.h"

#include <QTest>
#include <QWidget>

#include <atomic>
#include <future>
#include <thread>

namespace {

const QString kForty = QStringLiteral("0123456789012345678901234567890123456789");

TEST(CriticalSection, TextsAreStoredWithTheirDeclaredSize)
{
    ST::CRITICALSECTION sync;
    ST::STRING<30> fixed;
    ST::CSTRING<30> terminated;
    ST::PSTRING<30> counted;
    sync.SET_HID(fixed, kForty);
    sync.SET_HID(terminated, kForty);
    sync.SET_HID(counted, kForty);
    EXPECT_EQ(sync.GET_HID(fixed), kForty.left(30));
    EXPECT_EQ(sync.GET_HID(terminated), kForty.left(29));
    EXPECT_EQ(sync.GET_HID(counted), kForty.left(30));

    sync.SET_HID(fixed, QStringLiteral("abc"));
    EXPECT_EQ(sync.GET_HID(fixed), QStringLiteral("abc").leftJustified(30, QLatin1Char(' ')));
    sync.SET_HID(terminated, QStringLiteral("abc"));
    EXPECT_EQ(sync.GET_HID(terminated), QStringLiteral("abc"));
}

TEST(CriticalSection, NumbersAndDecimalsComeBackAsStored)
{
    ST::CRITICALSECTION sync;
    int32_t number = 0;
    uint8_t flag = 0;
    double real = 0;
    sync.SET_HID(number, -42);
    sync.SET_HID(flag, 255);
    sync.SET_HID(real, 0.1);
    EXPECT_EQ(sync.GET_HID(number), -42);
    EXPECT_EQ(sync.GET_HID(flag), 255);
    EXPECT_EQ(sync.GET_HID(real), 0.1);

    vrt::Decimal amount = *vrt::Decimal::parse(std::string_view("0.00"));
    sync.SET_HID(amount, 1234.565);
    EXPECT_EQ(amount.scale(), 2);
    EXPECT_EQ(sync.GET_HID(amount), amount.toDouble());
    EXPECT_NEAR(sync.GET_HID(amount), 1234.57, 1e-9);
}

// A held section makes a locking accessor wait until RELEASE; a caller that holds it
// itself passes lock = false and is never held up.
TEST(CriticalSection, LockedAccessorsWaitForTheHolder)
{
    ST::CRITICALSECTION sync;
    int value = 1;
    std::promise<void> held, release;
    std::thread holder([&] {
        sync.WAIT();
        held.set_value();
        release.get_future().wait();
        sync.SET_HID(value, 2, false);
        sync.RELEASE();
    });
    held.get_future().wait();
    EXPECT_EQ(sync.GET_HID(value, false), 1);
    auto reader = std::async(std::launch::async, [&] { return sync.GET_HID(value); });
    EXPECT_EQ(reader.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    release.set_value();
    EXPECT_EQ(reader.get(), 2); // read only after the holder's write and RELEASE
    holder.join();

    // The section can be entered again on the thread that holds it.
    sync.WAIT();
    sync.SET_HID(value, 3);
    sync.RELEASE();
    EXPECT_EQ(sync.GET_HID(value), 3);
}

TEST(LimitStarts, OfThreadsCheckingInTogetherExactlyOneRuns)
{
    SSTF::LIMITSTARTSCLASS limit;
    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < 8; ++i)
        windows.push_back(std::make_unique<QWidget>());
    std::atomic<int> admitted{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { admitted += limit.CHECKIN(windows[i].get()) ? 1 : 0; });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(admitted.load(), 1);
    QWidget* first = limit.running();
    ASSERT_NE(first, nullptr);
    limit.CHECKOUT(first);
    EXPECT_EQ(limit.running(), nullptr);
    EXPECT_TRUE(limit.CHECKIN(windows[0].get()));
}

} // namespace
