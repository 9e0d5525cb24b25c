// Buttons in an MDI child window's title bar.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>

#include "chrome/CaptionButtons.h"
#include "tests/support/WindowPartsFakes.h"
#include "runtime/Dialogs.h"
#include "tests/support/TestSupport.h"

namespace {

QIcon red()
{
    QPixmap p(16, 16);
    p.fill(Qt::red);
    return QIcon(p);
}

class Recording : public Merivox_WCB_Class {
public:
    std::vector<long> clicks;
    void BUTTONCLICKEDON(long n) override { clicks.push_back(n); }
};

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, buttons, {});
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(CaptionButtons, NamesGeometryAndRefusals)
{
    EXPECT_EQ(Merivox_WCB_Class::imageName("MY~PIC.ICO"), "MYPIC_ICO");
    EXPECT_EQ(Merivox_WCB_Class::imageName("A.B.BMP"), "A_B.BMP");

    Merivox_WCB_Class wcb;
    wcb.BUTTONCNT = 2;
    wcb.BUTTONS[1].RIGHTBORDER = 3;
    const QRect first = wcb.buttonRect(1, 200, 4, 18), second = wcb.buttonRect(2, 200, 4, 18);
    EXPECT_EQ(first.left(), 200 - 18 + 2);
    EXPECT_EQ(first.left() - second.left(), 18 - 2 + 3) << "width - 2 + its right border";

    // Not an MDI child: the message, and nothing else.
    QWidget plain;
    plain.setWindowTitle("Obična");
    auto* presenter = dynamic_cast<testsupport::ScriptedPresenter*>(&vrt::presenter());
    ASSERT_NE(presenter, nullptr);
    const size_t before = presenter->calls("message").size();
    EXPECT_EQ(wcb.INIT(&plain), 0);
    ASSERT_EQ(presenter->calls("message").size(), before + 1);
    EXPECT_EQ(presenter->calls("message").back().text,
              "Window Caption Buttons can only be used on MDI windows!\n\nWindow Title:  Obična");
    EXPECT_EQ(presenter->calls("message").back().caption, "Notification...");
    EXPECT_EQ(wcb.ADDBUTTON("X.ICO", 0), 0) << "nothing before INIT";
}

TEST(CaptionButtons, PressMoveOffAndRelease)
{
    QMdiArea area;
    area.resize(500, 400);
    auto* sub = area.addSubWindow(new QWidget);
    sub->setWindowTitle("Dokument");
    sub->resize(300, 200);
    Recording wcb;
    QStringList traces;
    QObject::connect(&wcb, &Merivox_WCB_Class::trace, [&](const QString& line) { traces << line; });
    wcb.setIcons(std::make_unique<testsupport::DrawnIcons>(
        [](const QString& name) { return name == "MYPIC_ICO" || name.startsWith("B") ? red() : QIcon(); }));
    ASSERT_EQ(wcb.INIT(sub), 1);
    EXPECT_EQ(wcb.ADDBUTTON("my~pic.ico", 0), 1);
    EXPECT_EQ(wcb.ADDBUTTON("notes.txt", 0), 0);
    ASSERT_FALSE(traces.isEmpty());
    EXPECT_TRUE(traces.back().endsWith("] SBRWCB : AddButton : LoadImage : * FAILED * : NOTES.TXT Unknown Image type - check extention"))
        << traces.back().toStdString();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(wcb.ADDBUTTON(QStringLiteral("B%1.BMP").arg(i), 0), 1);
    EXPECT_EQ(wcb.ADDBUTTON("B9.BMP", 0), 0) << "eight buttons at most";
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));

    const QPoint on = wcb.buttonRect(1).center();
    send(sub, QEvent::MouseButtonPress, on, Qt::LeftButton);
    EXPECT_TRUE(wcb.BUTTONS[0].PRESSED);
    send(sub, QEvent::MouseMove, QPoint(5, 150), Qt::LeftButton);
    EXPECT_FALSE(wcb.BUTTONS[0].PRESSED);
    send(sub, QEvent::MouseMove, on, Qt::LeftButton);
    EXPECT_TRUE(wcb.BUTTONS[0].PRESSED) << "back on it: pressed again";
    send(sub, QEvent::MouseMove, QPoint(5, 150), Qt::LeftButton);
    send(sub, QEvent::MouseButtonRelease, QPoint(5, 150), Qt::NoButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(wcb.clicks.empty());

    send(sub, QEvent::MouseButtonPress, on, Qt::LeftButton);
    send(sub, QEvent::MouseButtonRelease, on, Qt::NoButton);
    EXPECT_TRUE(wcb.clicks.empty()) << "reported after the release";
    EXPECT_TRUE(testsupport::waitFor([&] { return wcb.clicks.size() == 1; }));
    EXPECT_EQ(wcb.clicks, std::vector<long>{1});
    EXPECT_FALSE(wcb.BUTTONS[0].PRESSED);

    // The button is drawn over the title bar.
    const QImage shot = sub->grab().toImage();
    const QRect r = wcb.buttonRect(1);
    EXPECT_EQ(shot.pixelColor(r.center()), QColor(Qt::red));
    wcb.KILL();
    EXPECT_TRUE(traces.back().endsWith("] SBRWCB : Kill  Dokument")) << traces.back().toStdString();
}
