// The resizer and a splitter bar on real widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "chrome/ResizeWidgets.h"
#include "tests/support/TestSupport.h"

using namespace MH;

TEST(ResizeWidgets, ControlsFollowTheWindowAndUpdatesComeBack)
{
    QWidget outer;
    auto* window = new QWidget(&outer);
    window->setGeometry(0, 0, 300, 200);
    auto* list = new QWidget(window);
    list->setGeometry(10, 10, 100, 50);
    auto* access = new WidgetResizeAccess(window);
    access->setControl(1, list);
    RESIZEFRAMECLASS frame;
    RESIZEWINDOWCLASS resizer;
    resizer.INIT(frame, *access, 300, 200, true, true, false, false);
    resizer.ADDCONTROL(1, 0, 0, 1, 1);
    outer.resize(400, 300);
    outer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&outer));

    window->resize(350, 230);
    EXPECT_EQ(list->geometry(), QRect(10, 10, 150, 80));

    // A resize while the parent holds its updates off leaves them the parent's to turn on.
    outer.setUpdatesEnabled(false);
    window->resize(360, 240);
    outer.setUpdatesEnabled(true);
    EXPECT_TRUE(window->updatesEnabled());
    EXPECT_EQ(list->geometry(), QRect(10, 10, 160, 90));
    resizer.KILL();
}

TEST(ResizeWidgets, SplitterBarHandleDragsByTheBarsRules)
{
    QWidget window;
    window.resize(600, 300);
    auto* splitter = new BarSplitter(Qt::Horizontal, &window);
    splitter->setGeometry(window.rect());
    splitter->setHandleWidth(4);
    splitter->addWidget(new QWidget);
    splitter->addWidget(new QWidget);
    splitter->setSizes({200, 396});
    auto* handle = qobject_cast<SplitterBarHandle*>(splitter->handle(1));
    ASSERT_NE(handle, nullptr);
    auto* access = new WidgetResizeAccess(&window);
    access->setControl(9, handle);
    SPLITWINDOWCLASS bar;
    bar.INIT(nullptr, *access, 1, 9, 100, 100);
    handle->setBar(&bar, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const auto send = [handle](QEvent::Type type, int x, Qt::MouseButtons buttons) {
        const QPoint at(x, 10);
        QMouseEvent e(type, QPointF(at), QPointF(handle->mapToGlobal(at)), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, 2, Qt::LeftButton);
    EXPECT_TRUE(handle->filled());
    send(QEvent::MouseMove, 52, Qt::LeftButton);
    EXPECT_EQ(handle->mapTo(&window, QPoint()).x(), 250);
    send(QEvent::MouseButtonRelease, 52, Qt::NoButton);
    EXPECT_FALSE(handle->filled());

    // Past the far limit the drag stops there at once.
    send(QEvent::MouseButtonPress, 2, Qt::LeftButton);
    send(QEvent::MouseMove, 400, Qt::LeftButton);
    EXPECT_FALSE(bar.dragging());
    EXPECT_EQ(handle->mapTo(&window, QPoint()).x(), 600 - 100 - 4);
}
