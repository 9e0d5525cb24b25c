// The drop, spin, box, list, sheet and radio painters on real offscreen controls: pixel probes
// of the parts they draw, their button states, and how the window painter hands them out.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "chrome/PxpDropSpin.h"
#include "chrome/PxpListBox.h"
#include "chrome/PxpRadio.h"
#include "chrome/PxpSheet.h"
#include "chrome/WindowPainter.h"

#include <memory>

using namespace pxp;

namespace {

COLORREF pixel(const QImage& image, int x, int y)
{
    const QRgb px = image.pixel(x, y);
    return rgb(qRed(px), qGreen(px), qBlue(px));
}

COLORREF artOf(const char* cls, long part, long state, COLORREF ThemeArt::*field)
{
    ThemeArt art;
    EXPECT_TRUE(themeArt(QString::fromLatin1(cls), part, state, art)) << cls << part << state;
    return art.*field;
}

bool hasColour(const QImage& image, const QRect& area, COLORREF colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixel(image, x, y) == colour)
                return true;
    return false;
}

// A theme that knows every class but one.
class ThemeWithout : public ThemeLibrary {
public:
    explicit ThemeWithout(QString missing) : m_missing(std::move(missing)), m_full(loadThemeRenderer()) {}
    HTHEME openThemeData(QObject* window, const QString& classList) override
    {
        return classList.compare(m_missing, Qt::CaseInsensitive) == 0 ? 0 : m_full->openThemeData(window, classList);
    }
    long closeThemeData(HTHEME theme) override { return m_full->closeThemeData(theme); }
    long drawThemeBackground(HTHEME theme, QPainter& p, long part, long state, const QRect& rect, const QRect* clip) override
    {
        return m_full->drawThemeBackground(theme, p, part, state, rect, clip);
    }
    bool getThemeColor(HTHEME theme, long part, long state, long property, COLORREF& colour) override
    {
        return m_full->getThemeColor(theme, part, state, property, colour);
    }
    bool getCurrentThemeName(QString& file, QString& colour) override { return m_full->getCurrentThemeName(file, colour); }

private:
    QString m_missing;
    std::unique_ptr<ThemeLibrary> m_full;
};

} // namespace

TEST(DropPainter, FrameButtonAndStates)
{
    QComboBox combo;
    combo.addItems({QStringLiteral("Zagreb"), QStringLiteral("Split")});
    combo.resize(120, 20);
    PXPDROPCLASS painter;
    ASSERT_TRUE(painter.INIT(&combo));
    EXPECT_FALSE(painter.ISCOMBO);
    EXPECT_EQ(painter.BTNSTATE, 1);
    EXPECT_EQ(painter.BTNWIDTH, 20);

    QImage image = combo.grab().toImage();
    const QRect button = dropButtonRect(combo.rect(), 20, true);
    EXPECT_EQ(pixel(image, 0, 10), editFrameColor(ETS_NORMAL));
    EXPECT_EQ(pixel(image, button.left() - 1, 10), rgb(255, 255, 255)); // the strip beside the button
    EXPECT_EQ(pixel(image, button.left() + 1, button.top() + 2), artOf("Combobox", 1, 1, &ThemeArt::fill));
    EXPECT_EQ(pixel(image, button.left(), button.top() + 2), artOf("Combobox", 1, 1, &ThemeArt::border));

    // The mouse comes and goes; a disabled list shows its button in state 4.
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&combo, &enter);
    EXPECT_EQ(painter.BTNSTATE, 2);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&combo, &leave);
    EXPECT_EQ(painter.BTNSTATE, 0);
    combo.setEnabled(false);
    image = combo.grab().toImage();
    EXPECT_EQ(painter.BTNSTATE, 4);
    EXPECT_EQ(pixel(image, button.left() + 1, button.top() + 2), artOf("Combobox", 1, 4, &ThemeArt::fill));
    EXPECT_EQ(pixel(image, 0, 10), editFrameColor(ETS_DISABLED));
}

TEST(DropPainter, ClicksOpenAndCloseTheList)
{
    QWidget window;
    auto* combo = new QComboBox(&window);
    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setGeometry(10, 10, 120, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PXPDROPCLASS painter;
    ASSERT_TRUE(painter.INIT(combo));
    const auto click = [combo] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 10), combo->mapToGlobal(QPointF(20, 10)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(combo, &press);
    };
    click();
    QTRY_VERIFY(combo->view()->isVisible());
    click();
    QTRY_VERIFY(!combo->view()->isVisible());
    // Closed another way (Escape, a pick), the next click opens it again at once.
    click();
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
    QTRY_VERIFY(!combo->view()->isVisible());
    click();
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
}

TEST(SpinPainter, ButtonsFollowTheHeight)
{
    QSpinBox spin;
    spin.resize(80, 20);
    PXPSPINCLASS painter;
    ASSERT_TRUE(painter.INIT(&spin));
    QStyleOptionSpinBox opt;
    opt.initFrom(&spin);
    opt.rect = spin.rect();
    EXPECT_EQ(spin.style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, &spin), QRect(66, 1, 13, 9));
    EXPECT_EQ(spin.style()->hitTestComplexControl(QStyle::CC_SpinBox, &opt, QPoint(70, 12), &spin), QStyle::SC_SpinBoxDown);
    opt.rect = QRect(0, 0, 80, 40);
    EXPECT_EQ(spin.style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, &spin).width(), 20);

    QImage image = spin.grab().toImage();
    EXPECT_EQ(painter.UPBTNSTATE, 0);
    EXPECT_EQ(pixel(image, 67, 2), artOf("Spin", 1, 0, &ThemeArt::fill));
    EXPECT_EQ(pixel(image, 0, 10), editFrameColor(ETS_NORMAL));
    spin.setEnabled(false);
    image = spin.grab().toImage();
    EXPECT_EQ(painter.UPBTNSTATE, 4);
    EXPECT_EQ(painter.DOWNBTNSTATE, 4);
    EXPECT_EQ(pixel(image, 67, 12), artOf("Spin", 2, 4, &ThemeArt::fill));
}

TEST(BoxPainter, FramesTheWholeTextBox)
{
    QTextEdit text;
    text.resize(100, 60);
    PXPBOXCLASS painter;
    ASSERT_TRUE(painter.INIT(&text));
    EXPECT_TRUE(painter.ISTEXT);
    QImage image = text.grab().toImage();
    EXPECT_EQ(pixel(image, 0, 30), editFrameColor(ETS_NORMAL));
    EXPECT_EQ(pixel(image, 99, 59), editFrameColor(ETS_NORMAL));
    text.setReadOnly(true);
    image = text.grab().toImage();
    EXPECT_EQ(pixel(image, 50, 0), editFrameColor(ETS_READONLY));
    painter.KILL();
    EXPECT_FALSE(text.testAttribute(Qt::WA_SetStyle));
}

TEST(ListPainter, HeaderGroupsArrowsAndHover)
{
    QStandardItemModel model(2, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("<+Name>"), QStringLiteral("Amount[-2]"), QStringLiteral("Town")});
    QTreeView view;
    view.setModel(&model);
    view.resize(330, 120);
    for (int c = 0; c < 3; ++c)
        view.header()->resizeSection(c, 100);
    PXPLISTBOXCLASS painter;
    ASSERT_TRUE(painter.INIT(&view));
    const int plainHeight = view.header()->sizeHint().height();
    painter.SETGROUP(0, 2, QStringLiteral("Person"));
    EXPECT_GT(view.header()->sizeHint().height(), plainHeight);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QImage list = view.grab().toImage();
    EXPECT_EQ(pixel(list, 0, 60), artOf("ListView", 1, 1, &ThemeArt::border));

    QHeaderView* header = view.header();
    QTRY_VERIFY(header->height() > plainHeight);
    const QImage image = header->grab().toImage();
    const int band = image.height() - plainHeight;
    // Arrows in the two marked columns, none in the third; the group's rule over the first two.
    const QRect lower(0, band, 100, plainHeight - 1);
    EXPECT_TRUE(hasColour(image, lower, PXPLISTBOXCLASS::SORT_ARROW));
    EXPECT_TRUE(hasColour(image, lower.translated(100, 0), PXPLISTBOXCLASS::SORT_ARROW));
    EXPECT_FALSE(hasColour(image, lower.translated(200, 0), PXPLISTBOXCLASS::SORT_ARROW));
    EXPECT_TRUE(hasColour(image, QRect(10, 0, 80, band), PXPLISTBOXCLASS::GROUP_RULE));
    EXPECT_TRUE(hasColour(image, QRect(110, 0, 80, band), PXPLISTBOXCLASS::GROUP_RULE));

    // The heading under the mouse is lit, unless hovering is off.
    const COLORREF accent = artOf("Header", 1, 2, &ThemeArt::accent);
    const auto hovered = [&] {
        QStyleOptionHeader opt;
        opt.initFrom(header);
        opt.rect = QRect(200, 0, 100, header->height());
        opt.section = 2;
        opt.text = QStringLiteral("Town");
        opt.orientation = Qt::Horizontal;
        opt.state |= QStyle::State_MouseOver;
        QImage out(header->width(), header->height(), QImage::Format_RGB32);
        out.fill(Qt::black);
        QPainter p(&out);
        header->style()->drawControl(QStyle::CE_Header, &opt, &p, header);
        return out;
    };
    EXPECT_EQ(pixel(hovered(), 250, header->height() - 2), accent);
    painter.SETHOVERING(false);
    EXPECT_NE(pixel(hovered(), 250, header->height() - 2), accent);

    // Under a style sheet, which draws sections and labels one by one, the arrows stay.
    view.setStyleSheet(QStringLiteral("QTreeView { background: white; }"));
    const QImage styled = header->grab().toImage();
    EXPECT_TRUE(hasColour(styled, lower, PXPLISTBOXCLASS::SORT_ARROW));
    EXPECT_FALSE(hasColour(styled, lower.translated(200, 0), PXPLISTBOXCLASS::SORT_ARROW));
}

TEST(SheetPainter, TabsSkipHiddenAndDisabledAndTabKeyWraps)
{
    QTabWidget sheet;
    for (const char* name : {"One", "Two", "Three", "Four"})
        sheet.addTab(new QWidget, QString::fromLatin1(name));
    sheet.setTabEnabled(1, false);
    sheet.setTabVisible(2, false);
    sheet.resize(300, 150);
    PXPSHEETCLASS painter;
    ASSERT_TRUE(painter.INIT(&sheet));
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    EXPECT_TRUE(sheet.tabBar()->isHidden());
    ASSERT_NE(painter.stripWidget(), nullptr);
    EXPECT_EQ(painter.ACTIVETAB(), 1);

    QWidget* strip = painter.stripWidget();
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &tab);
    EXPECT_EQ(painter.ACTIVETAB(), 4);
    QCoreApplication::sendEvent(strip, &tab);
    EXPECT_EQ(painter.ACTIVETAB(), 1);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QCoreApplication::sendEvent(strip, &back);
    EXPECT_EQ(painter.ACTIVETAB(), 4);

    // The strip draws the selected tab raised with its accent; the pane below it.
    const SheetStrip s = painter.strip();
    ASSERT_FALSE(s.selectedRect.isNull());
    EXPECT_TRUE(s.tabRects[2].isNull()); // hidden
    QImage image = sheet.grab().toImage();
    EXPECT_EQ(pixel(image, s.selectedRect.center().x(), s.selectedRect.top()), artOf("Tab", 5, 3, &ThemeArt::accent));
    EXPECT_EQ(pixel(image, 0, 80), artOf("Tab", 9, 0, &ThemeArt::border));
    // A click on the disabled tab changes nothing; one on the first selects it.
    QTest::mouseClick(strip, Qt::LeftButton, {}, s.tabRects[1].center());
    EXPECT_EQ(painter.ACTIVETAB(), 4);
    QTest::mouseClick(strip, Qt::LeftButton, {}, s.tabRects[0].center());
    EXPECT_EQ(painter.ACTIVETAB(), 1);

    // Wizard mode: no tabs, the pages from the top.
    painter.SETWIZARD(true);
    EXPECT_TRUE(painter.GETISWIZARD());
    QTRY_VERIFY(!strip->isVisible());
    QTRY_VERIFY(sheet.currentWidget()->geometry().top() < int(PXPSHEETCLASS::LTABHEIGHT));

    painter.KILL();
    EXPECT_FALSE(sheet.tabBar()->isHidden());
}

TEST(SheetPainter, WithoutScrollArrowsTheSheetKeepsItsOwnTabs)
{
    ScopedThemeLoader loader([] { return std::make_unique<ThemeWithout>(QStringLiteral("Scrollbar")); });
    PXPGLOBALCLASS global;
    QTabWidget sheet;
    sheet.addTab(new QWidget, QStringLiteral("One"));
    sheet.addTab(new QWidget, QStringLiteral("Two"));
    PXPSHEETCLASS painter;
    painter.PGLOBAL = &global;
    EXPECT_FALSE(painter.INIT(&sheet));
    EXPECT_FALSE(sheet.tabBar()->isHidden());
    EXPECT_FALSE(sheet.testAttribute(Qt::WA_SetStyle));
}

TEST(WindowPainter, EveryControlGetsThePainterOfItsType)
{
    PXPGLOBALCLASS global;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* entry = new QLineEdit;
    auto* dropList = new QComboBox;
    auto* dropCombo = new QComboBox;
    dropCombo->setEditable(true);
    auto* spin = new QSpinBox;
    auto* list = new QTreeView;
    auto* text = new QTextEdit;
    auto* sheet = new QTabWidget;
    auto* page = new QWidget;
    auto* radio = new QRadioButton(QStringLiteral("Yes"), page);
    auto* check = new QCheckBox(QStringLiteral("Mail"), page);
    auto* iconCheck = new QCheckBox(QStringLiteral("Icon"), page);
    QPixmap icon(8, 8);
    icon.fill(Qt::red);
    iconCheck->setIcon(QIcon(icon));
    sheet->addTab(page, QStringLiteral("Page"));
    for (QWidget* w : std::initializer_list<QWidget*>{entry, dropList, dropCombo, spin, list, text, sheet})
        layout->addWidget(w);

    {
        auto* painter = new PXPWINDOWCLASS(&window);
        painter->ADDEXCLUDETYPE(37);
        painter->SETWINDOWCOLOR(true);
        painter->SETLISTBOXDEFAULTLINEHEIGHT(11);
        painter->INIT(global, false);
        struct Case {
            QWidget* control;
            long code;
        };
        for (const Case& c : {Case{entry, 8}, Case{dropList, 33}, Case{dropCombo, 34}, Case{spin, 16}, Case{list, 14},
                              Case{text, 0}, Case{sheet, 0}, Case{radio, 0}, Case{check, 0}})
            EXPECT_EQ(painter->GETCONTROLCODE(c.control), c.code) << c.control->metaObject()->className();
        EXPECT_EQ(painter->GETCONTROLCLASS(dropCombo->lineEdit()), nullptr);
        EXPECT_EQ(painter->GETCONTROLCLASS(list->header()), nullptr);
        EXPECT_EQ(painter->GETCONTROLCLASS(dropList->view()), nullptr);
        // Entry-like controls are white on the coloured window, painted or not.
        EXPECT_EQ(text->palette().color(QPalette::Base), QColor(Qt::white));
        auto* listPainter = qobject_cast<PXPLISTBOXCLASS*>(painter->GETCONTROLCLASS(list));
        ASSERT_NE(listPainter, nullptr);
        EXPECT_EQ(listPainter->NDEFAULTLINEHEIGHT, 11);
        painter->SETLISTBOXHOVERING(nullptr, false);
        EXPECT_FALSE(listPainter->BHOVER);
        delete painter;
        EXPECT_FALSE(entry->testAttribute(Qt::WA_SetStyle));
    }

    // With sheets painted, the radio and check boxes on their tabs get radio painters (not
    // one showing an icon), until the sheet's background is switched off.
    PXPWINDOWCLASS painter(&window);
    painter.INIT(global, false);
    EXPECT_EQ(painter.GETCONTROLCODE(sheet), 37);
    EXPECT_EQ(painter.GETCONTROLCODE(radio), 21);
    EXPECT_EQ(painter.GETCONTROLCODE(check), 12);
    EXPECT_EQ(painter.GETCONTROLCODE(iconCheck), 0);
    auto* checkPainter = qobject_cast<PXPRADIOCLASS*>(painter.GETCONTROLCLASS(check));
    ASSERT_NE(checkPainter, nullptr);
    EXPECT_EQ(checkPainter->BUTTONTYPE, BP_CHECKBOX);
    check->setChecked(true);
    check->setEnabled(false);
    check->resize(80, 20);
    check->grab();
    EXPECT_EQ(checkPainter->STATE(), 8);
    painter.SETSHEETDRAWBACKGROUND(nullptr, false);
    EXPECT_TRUE(checkPainter->DONOTTHEME());
    EXPECT_FALSE(check->testAttribute(Qt::WA_SetStyle));
    EXPECT_FALSE(check->property("PXPControlClassAddr").isValid());
    painter.SETSHEETWIZARD(sheet, true);
    EXPECT_TRUE(painter.ISSHEETWIZARD(sheet));
}

TEST(WindowSetUp, LibraryAndMailWindowsAndThemesOff)
{
    const auto makeWindow = [](QWidget& window) {
        auto* layout = new QVBoxLayout(&window);
        auto* sheet = new QTabWidget;
        auto* page = new QWidget;
        new QCheckBox(QStringLiteral("ZIP"), page);
        sheet->addTab(page, QStringLiteral("Page"));
        layout->addWidget(new QLineEdit);
        layout->addWidget(sheet);
        return sheet;
    };
    {
        QWidget form;
        QTabWidget* sheet = makeWindow(form);
        PXPWINDOWCLASS* painter = themeLibraryWindow(&form);
        ASSERT_NE(painter, nullptr);
        EXPECT_EQ(themeLibraryWindow(&form), painter); // run again: the same painter
        EXPECT_EQ(painter->GETCONTROLCODE(sheet), 0);
        EXPECT_TRUE(form.autoFillBackground());
        const COLORREF c = PXPGlobal.GETCOLOR(11);
        EXPECT_EQ(form.palette().color(QPalette::Window), QColor(redOf(c), greenOf(c), blueOf(c)));
    }
    {
        QWidget mail;
        QTabWidget* sheet = makeWindow(mail);
        PXPWINDOWCLASS* painter = themeMailWindow(&mail);
        ASSERT_NE(painter, nullptr);
        EXPECT_EQ(painter->GETCONTROLCODE(sheet), 37);
        EXPECT_EQ(painter->GETCONTROLCODE(sheet->widget(0)->findChild<QCheckBox*>()), 12);
        EXPECT_FALSE(mail.autoFillBackground());
    }
    ScopedThemeLoader off([] { return std::unique_ptr<ThemeLibrary>(); });
    QWidget plain;
    makeWindow(plain);
    EXPECT_EQ(themeLibraryWindow(&plain), nullptr);
    EXPECT_EQ(themeMailWindow(&plain), nullptr);
}
