#include <gtest/gtest.h>

#include "mailtransfer/StartLimit.h"
#include "tests/support/TestSupport.h"

#include <QTest>
#include <QWidget>
#include <stdexcept>
#include <thread>

using korbelsteen::StartLimit;

TEST(StartLimit, ASecondStartBringsTheRunningWindowToTheFront)
{
    StartLimit limit;
    uint8_t request = 1;
    StartLimit::Ticket first = limit.checkIn(request);
    ASSERT_EQ(first.result(), StartLimit::CheckedIn);
    EXPECT_EQ(request, 1);
    QWidget window;
    window.show();
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    first.setWindow(&window);

    // Another thread's start is refused, and this thread's window comes back.
    StartLimit::Result second = StartLimit::NotLimited;
    uint8_t secondRequest = 1;
    std::thread([&] { second = limit.checkIn(secondRequest).result(); }).join();
    EXPECT_EQ(second, StartLimit::Refused);
    EXPECT_EQ(secondRequest, 0);
    QTRY_VERIFY(!window.isMinimized());

    // A select request is never limited.
    uint8_t select = 4;
    EXPECT_EQ(limit.checkIn(select).result(), StartLimit::NotLimited);
    EXPECT_TRUE(limit.running());
}

TEST(StartLimit, ItCanStartAgainAfterClosingOrFailing)
{
    StartLimit limit;
    uint8_t request = 1;
    { StartLimit::Ticket t = limit.checkIn(request); }
    EXPECT_FALSE(limit.running());
    try {
        StartLimit::Ticket t = limit.checkIn(request);
        ASSERT_EQ(t.result(), StartLimit::CheckedIn);
        throw std::runtime_error("the window failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(limit.running());
    EXPECT_EQ(limit.checkIn(request).result(), StartLimit::CheckedIn);

    // A start refused before the running window exists raises it once it does.
    StartLimit::Ticket running = limit.checkIn(request);
    uint8_t other = 1;
    std::thread([&] { EXPECT_EQ(limit.checkIn(other).result(), StartLimit::Refused); }).join();
    QWidget window;
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    running.setWindow(&window);
    QTRY_VERIFY(!window.isMinimized());
}
