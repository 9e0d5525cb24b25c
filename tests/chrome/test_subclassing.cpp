// Watching widgets: eight named slots per widget, the latest watcher first, removal in any
// order; the application's tooltip manager: menu effects off while a popup is open, tooltip
// notices to the registered tooltips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <memory>

#include "chrome/TooltipManager.h"
#include "chrome/WndProc.h"
#include "tests/support/TestSupport.h"

namespace {

// Logs the events it sees; swallows them when told to.
class Watcher : public CFCWNDPROC {
public:
    Watcher(QString name, QStringList& log) : m_name(std::move(name)), m_log(log) {}
    bool swallow = false;

protected:
    bool CALLBACKPROC(QObject* window, QEvent* event) override
    {
        if (event->type() == QEvent::User)
            m_log << m_name;
        return swallow || CFCWNDPROC::CALLBACKPROC(window, event);
    }

private:
    QString m_name;
    QStringList& m_log;
};

class Target : public QWidget {
public:
    QStringList& log;
    explicit Target(QStringList& l) : log(l) {}
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            log << "widget";
        return QWidget::event(e);
    }
};

QStringList deliver(Target& w)
{
    w.log.clear();
    QEvent e(QEvent::User);
    QApplication::sendEvent(&w, &e);
    return w.log;
}

class Tip : public CfcTooltipClient {
public:
    explicit Tip(QObject* window) : window(window) {}
    QObject* window;
    std::vector<long> got;
    QObject* tooltipWindow() const override { return window; }
    void tooltipNotify(long code) override { got.push_back(code); }
};

} // namespace

TEST(Subclassing, SlotsChainAndRemovalInAnyOrder)
{
    QStringList log;
    Target w(log);
    Watcher first("first", log), second("second", log);
    ASSERT_TRUE(first.SETCALLBACK(&w, 7));
    ASSERT_TRUE(second.SETCALLBACK(&w));
    EXPECT_EQ(first.PROPNUM, 0);
    EXPECT_EQ(first.CONTROLFEQ, 7);
    EXPECT_EQ(second.PROPNUM, 1);
    EXPECT_TRUE(w.property("CFCCallBackClassProp").isValid());
    EXPECT_TRUE(w.property("CFCCallBackClassProp1").isValid());
    EXPECT_TRUE(second.PL.contains("CFCCallBackClassProp"));
    // The later watcher sees the event first and hands it on.
    EXPECT_EQ(deliver(w), (QStringList{"second", "first", "widget"}));
    second.swallow = true;
    EXPECT_EQ(deliver(w), (QStringList{"second"}));
    second.swallow = false;

    // The earlier watcher goes first; the later one keeps working and keeps its slot.
    first.REMOVECALLBACK();
    EXPECT_FALSE(w.property("CFCCallBackClassProp").isValid());
    EXPECT_EQ(deliver(w), (QStringList{"second", "widget"}));
    // A new watcher takes the freed slot 0.
    Watcher third("third", log);
    ASSERT_TRUE(third.SETCALLBACK(&w));
    EXPECT_EQ(third.PROPNUM, 0);
    EXPECT_EQ(deliver(w), (QStringList{"third", "second", "widget"}));
    second.REMOVECALLBACK();
    EXPECT_FALSE(w.property("CFCCallBackClassProp1").isValid());
    EXPECT_EQ(deliver(w), (QStringList{"third", "widget"}));
    EXPECT_FALSE(third.SETCALLBACK(&w)); // one widget per watcher
}

TEST(Subclassing, ANinthWatcherIsRefused)
{
    QStringList log;
    Target w(log);
    std::vector<std::unique_ptr<Watcher>> watchers;
    for (int i = 0; i < 8; ++i) {
        watchers.push_back(std::make_unique<Watcher>(QString::number(i), log));
        ASSERT_TRUE(watchers.back()->SETCALLBACK(&w)) << i;
        EXPECT_EQ(watchers.back()->PROPNUM, i);
    }
    Watcher ninth("ninth", log);
    EXPECT_FALSE(ninth.SETCALLBACK(&w));
    EXPECT_EQ(deliver(w).size(), 9); // eight watchers and the widget, each once
    EXPECT_FALSE(deliver(w).contains("ninth"));
    // A watcher that goes away frees its slot.
    watchers[3].reset();
    EXPECT_FALSE(w.property("CFCCallBackClassProp3").isValid());
    EXPECT_TRUE(ninth.SETCALLBACK(&w));
    EXPECT_EQ(ninth.PROPNUM, 3);
}

TEST(TooltipManager, PopupsOpenWithoutEffectsAndPutThemBack)
{
    CFCTOOLTIPMANAGERCLASS& manager = CFCTOOLTIPMANAGERCLASS::instance();
    for (bool before : {true, false}) {
        const bool animate = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
        const bool fade = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
        const bool general = QApplication::isEffectEnabled(Qt::UI_General);
        const testsupport::OnScopeExit restore([&] {
            QApplication::setEffectEnabled(Qt::UI_AnimateMenu, animate);
            QApplication::setEffectEnabled(Qt::UI_FadeMenu, fade);
            QApplication::setEffectEnabled(Qt::UI_General, general);
        });
        QApplication::setEffectEnabled(Qt::UI_General, true); // the menu effects count only with it
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, before);
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, before);
        QMenu menu, other;
        menu.addAction("Novi email");
        other.addAction("Odgovori");
        bool effectsWhenShown = true;
        QObject::connect(&menu, &QMenu::aboutToShow, [&] {
            // Queued: the menu has made its own choice by then.
            QMetaObject::invokeMethod(&menu, [&] {
                effectsWhenShown = QApplication::isEffectEnabled(Qt::UI_AnimateMenu) ||
                                   QApplication::isEffectEnabled(Qt::UI_FadeMenu);
            }, Qt::QueuedConnection);
        });
        menu.popup(QPoint(10, 10));
        other.popup(QPoint(50, 50)); // two open at once
        ASSERT_TRUE(testsupport::waitFor([&] { return manager.openPopups() == 2; }));
        ASSERT_TRUE(testsupport::waitFor([&] { return !effectsWhenShown; }));
        menu.hide();
        EXPECT_EQ(manager.openPopups(), 1);
        EXPECT_FALSE(QApplication::isEffectEnabled(Qt::UI_AnimateMenu));
        other.hide();
        EXPECT_EQ(manager.openPopups(), 0);
        EXPECT_EQ(QApplication::isEffectEnabled(Qt::UI_AnimateMenu), before);
        EXPECT_EQ(QApplication::isEffectEnabled(Qt::UI_FadeMenu), before);
    }
}

TEST(TooltipManager, NoticesReachTheRegisteredTooltips)
{
    CFCTOOLTIPMANAGERCLASS manager;
    QObject windowA, windowB;
    Tip a(&windowA), b(&windowB), a2(&windowA), windowless(nullptr);
    for (Tip* t : {&a, &b, &a2, &windowless})
        manager.ADDTOOLTIP(t);
    EXPECT_EQ(manager.tooltipCount(), 4);

    manager.ONSHOW(&windowA);
    ASSERT_TRUE(testsupport::waitFor([&] { return a.got == std::vector<long>{CfcTooltipClient::OnShow}; }));
    EXPECT_EQ(a2.got, std::vector<long>{CfcTooltipClient::OnShow}); // every tooltip of the window
    EXPECT_TRUE(b.got.empty());

    for (Tip* t : {&a, &b, &a2})
        t->got.clear();
    manager.ONPOP(&windowA);
    ASSERT_TRUE(testsupport::waitFor([&] { return a.got == std::vector<long>{CfcTooltipClient::OnPop}; }));
    EXPECT_EQ(b.got, std::vector<long>{CfcTooltipClient::OnUpdate});
    EXPECT_TRUE(windowless.got.empty());

    b.got.clear();
    manager.ONLINKCLICK(&windowB);
    ASSERT_TRUE(testsupport::waitFor([&] { return b.got == std::vector<long>{CfcTooltipClient::OnLinkClick}; }));

    // A tooltip removed before its notice arrives hears nothing.
    a.got.clear();
    manager.ONSHOW(&windowA);
    manager.REMOVETOOLTIP(&a);
    ASSERT_TRUE(testsupport::waitFor([&] { return a2.got.size() == size_t(2); }));
    EXPECT_TRUE(a.got.empty());
}
