#include "procedures/organiser/OrganiserData.h"
#include "procedures/organiser/OrganiserPanes.h"
#include "procedures/organiser/OrganiserWindow.h"
#include "procedures/organiser/PaneWidgets.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSplitter>
#include <QStackedWidget>

using namespace organiser;

namespace {

struct SilentFrame : FrameLink {
    void notify(int, int) override {}
};

// The mail page in front of a window of a known size, laid out as the user would see it.
QSplitter* showMailPage(OrganiserWindow& window, OrganiserPanes& panes)
{
    window.resize(1200, 700);
    window.show();
    if (auto* page = window.findChild<QWidget*>(QStringLiteral("Email")))
        if (auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget()))
            stack->setCurrentWidget(page);
    QApplication::processEvents();
    window.setupSplitters(); // as at the first layout
    return panes.splitters().splitterOf(22);
}

int barX(QWidget& window, QSplitter& splitter, int handle)
{
    return splitter.handle(handle)->mapTo(&window, QPoint()).x();
}

// Drags the handle with the mouse so that its left edge would come to the window's `x`.
void drag(QWidget& window, QSplitter& splitter, int handle, int x)
{
    QSplitterHandle* h = splitter.handle(handle);
    const QPoint grip(h->width() / 2, h->height() / 2);
    const QPoint to = h->mapFrom(&window, QPoint(x, h->mapTo(&window, grip).y())) + QPoint(grip.x(), 0);
    const auto send = [h](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), QPointF(h->mapToGlobal(at)), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(h, &e);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

} // namespace

TEST_F(OrganiserListsTest, MailPageBarsKeepTheirLimitsAndComeBackAfterARestart)
{
    fill();
    SilentFrame frame;
    OrganiserDeps deps;
    deps.dataFolder = m_folder->path();
    deps.frame = &frame;
    useDataLayer(deps);
    int sem = 0, s1 = 0;
    {
        OrganiserWindow window(deps);
        OrganiserPanes* panes = attachPanes(window);
        ASSERT_TRUE(window.open());
        QSplitter* mail = showMailPage(window, *panes);
        ASSERT_NE(mail, nullptr);
        ASSERT_EQ(mail->count(), 3);
        // The bar between tree and list stops 100 from the left edge, the one between list
        // and preview 100 from the right edge.
        drag(window, *mail, 1, 5);
        EXPECT_EQ(barX(window, *mail, 1), 100);
        drag(window, *mail, 2, window.width());
        EXPECT_EQ(barX(window, *mail, 2), window.width() - 100 - mail->handle(2)->width());
        // Within the limits a bar goes where it is put.
        drag(window, *mail, 2, 640);
        drag(window, *mail, 1, 180);
        sem = barX(window, *mail, 1);
        s1 = barX(window, *mail, 2);
        EXPECT_EQ(sem, 180);
        EXPECT_EQ(s1, 640);
        window.shutDown();
    }
    const vrt::IniFile ini(vrt::joinPath(m_folder->path(), QStringLiteral("Standard.ini")));
    EXPECT_EQ(ini.getInt(QStringLiteral("Sem"), QStringLiteral("X"), -1), sem);
    EXPECT_EQ(ini.getInt(QStringLiteral("S1"), QStringLiteral("X"), -1), s1);
    EXPECT_GT(ini.getInt(QStringLiteral("LEmail"), QStringLiteral("W"), -1), 0);
    {
        OrganiserWindow window(deps);
        OrganiserPanes* panes = attachPanes(window);
        ASSERT_TRUE(window.open());
        QSplitter* mail = showMailPage(window, *panes);
        ASSERT_NE(mail, nullptr);
        EXPECT_EQ(barX(window, *mail, 1), sem);
        EXPECT_EQ(barX(window, *mail, 2), s1);
        window.shutDown();
    }
}
