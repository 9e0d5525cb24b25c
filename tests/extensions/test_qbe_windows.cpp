#include <functional>
#include <gtest/gtest.h>

#include "extensions/QbeGlobal.h"
#include "extensions/QbeWindows.h"
#include "runtime/DateTime.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace DTRV;

namespace {

struct Search {
    GLOBALCLASS global;
    SEARCHCLASS s;
    explicit Search(int type)
    {
        s.INIT(global, "Test");
        s.ADDFIELD("F", "F", "X", "X", type);
    }
};

// The value window answered by the test.
struct ScriptedMatchType : MatchTypeWindow {
    using MatchTypeWindow::MatchTypeWindow;
    std::function<bool(QbeCriterion&)> value;
    bool askValue(const SEARCHCLASS::Field&, QbeCriterion& c) override { return value(c); }
};

// The match-type window answered by the test.
struct ScriptedWizard : QueryWizard {
    using QueryWizard::QueryWizard;
    std::function<int()> matchType;
    int matchTypeWindow() override { return matchType(); }
};

std::vector<int> shownTypes(MatchTypeWindow& w)
{
    std::vector<int> out;
    for (int t = 0; t < MATCHTYPE_COUNT; ++t)
        if (w.radio(t)->isVisibleTo(&w))
            out.push_back(t);
    return out;
}

TEST(QbeWindows, MatchTypesOfferedByFieldTypeWithoutGaps)
{
    struct Case {
        int type;
        std::vector<int> offered;
    };
    const std::vector<Case> cases = {
        {FIELD_STRING, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {FIELD_NUMBER, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {FIELD_PICTURE, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {FIELD_DATE, {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15, 16, 17}},
        {FIELD_TEXT, {0, 1, 2, 9, 10, 11, 12}},
        {FIELD_CHECK, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        Search q(c.type);
        MatchTypeWindow w(q.s);
        w.show();
        EXPECT_EQ(shownTypes(w), c.offered) << c.type;
        // The date types stand right below "outside range": no room is left between them.
        if (c.type == FIELD_DATE) {
            const int gap = w.radio(13)->y() - w.radio(8)->y();
            EXPECT_EQ(gap, w.radio(8)->y() - w.radio(7)->y());
        }
        EXPECT_FALSE(w.button("Load")->isVisibleTo(&w)); // nothing to load from
        EXPECT_FALSE(w.button("Help")->isVisibleTo(&w));
    }
}

TEST(QbeWindows, InsertThenCancelKeepsTheIgnoredCriterionAndOkDropsIt)
{
    Search q(FIELD_STRING);
    ScriptedMatchType w(q.s);
    w.value = [](QbeCriterion&) { return false; };
    w.show();
    w.insert();
    ASSERT_EQ(q.s.currentField()->CRITERIACOUNT(), 1);
    EXPECT_EQ(q.s.currentField()->CRITERION[0].type, MATCHTYPE_IGNOREFIELD);
    QTest::mouseClick(w.button("OK"), Qt::LeftButton);
    EXPECT_EQ(w.result(), 0);
    EXPECT_EQ(q.s.currentField()->CRITERIACOUNT(), 0);
}

TEST(QbeWindows, InsertsAndTypesThenCancelRestores)
{
    Search q(FIELD_STRING);
    q.s.ADDCRITERION(MATCHTYPE_EQUALS, "Horvat");
    {
        ScriptedMatchType w(q.s);
        int n = 0;
        w.value = [&](QbeCriterion& c) {
            c.value = QStringLiteral("v%1").arg(++n);
            return true;
        };
        w.show();
        w.insert();
        w.insert();
        EXPECT_EQ(q.s.currentField()->CRITERIACOUNT(), 3);
        EXPECT_EQ(q.s.currentField()->CRITERION[2].type, q.s.DEFAULTMATCH_STRING);
        w.reject();
        EXPECT_EQ(w.result(), -1);
        ASSERT_EQ(q.s.currentField()->CRITERIACOUNT(), 1);
        EXPECT_EQ(q.s.currentField()->CRITERION[0].value, "Horvat");
    }
    {
        MatchTypeWindow w(q.s);
        w.show();
        // A radio button changes the highlighted criterion's type and its description.
        QTest::mouseClick(w.radio(MATCHTYPE_CONTAINS), Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_EQ(q.s.currentField()->CRITERION[0].type, MATCHTYPE_CONTAINS);
        w.accept();
        EXPECT_EQ(w.result(), MATCHTYPE_CONTAINS);
    }
    {
        ScriptedMatchType w(q.s);
        w.value = [](QbeCriterion& c) {
            c.value = "x";
            return true;
        };
        w.show();
        w.insert();
        w.accept();
        EXPECT_EQ(w.result(), 100);
    }
    {
        MatchTypeWindow w(q.s);
        w.show();
        w.criteria()->setFocus();
        QTest::keyClick(w.criteria(), Qt::Key_Delete);
        QTest::keyClick(w.criteria(), Qt::Key_Delete);
        // Deleting the last one leaves an ignored one to work on.
        ASSERT_EQ(q.s.currentField()->CRITERIACOUNT(), 1);
        EXPECT_EQ(q.s.currentField()->CRITERION[0].type, MATCHTYPE_IGNOREFIELD);
    }
}

TEST(QbeWindows, RangeMustRise)
{
    Search q(FIELD_NUMBER);
    QbeCriterion c{MATCHTYPE_INSIDERANGE, "5", "5"};
    ValueWindow w(q.s, *q.s.currentField(), c);
    int beeps = 0;
    QObject::connect(&w, &ValueWindow::beep, [&] { ++beeps; });
    w.show();
    w.accept();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(w.isVisible());
    w.upper()->setText("6");
    w.accept();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(c.limit, "6");

    // A lower start than the lower limit starts equal to it; text compares as text.
    QbeCriterion t{MATCHTYPE_INSIDERANGE, "9", "3"};
    ValueWindow w2(q.s, *q.s.currentField(), t);
    EXPECT_EQ(w2.upper()->text(), "9");
}

TEST(QbeWindows, DateValuesTravelAsDayNumbers)
{
    Search q(FIELD_DATE);
    QbeCriterion c{MATCHTYPE_EQUALS, "", ""};
    ValueWindow w(q.s, *q.s.currentField(), c);
    EXPECT_EQ(w.upper(), nullptr);
    w.lower()->setText("15.3.2024");
    w.accept();
    EXPECT_EQ(c.value.toInt(), vrt::dayFromDate(QDate(2024, 3, 15)));
}

TEST(QbeWindows, WizardPages)
{
    Search q(FIELD_STRING);
    q.s.ADDFIELD("F", "F", "Y", "Y", FIELD_NUMBER);
    q.s.WIZARDPAGE = 5;
    ScriptedWizard w(q.s);
    w.show();
    EXPECT_EQ(w.page(), 5);
    EXPECT_FALSE(w.button("Next")->isEnabled());
    QTest::mouseClick(w.button("Previous"), Qt::LeftButton);
    EXPECT_EQ(w.page(), 4);
    EXPECT_TRUE(w.button("Next")->isEnabled());
    w.setPage(1);
    EXPECT_FALSE(w.button("Previous")->isEnabled());
    w.setPage(3);
    ASSERT_EQ(w.fieldList()->topLevelItemCount(), 2);
    int opened = 0;
    w.matchType = [&] {
        ++opened;
        q.s.ADDCRITERION(MATCHTYPE_EQUALS, "7");
        return 1;
    };
    w.fieldList()->setCurrentItem(w.fieldList()->topLevelItem(1));
    QTest::mouseClick(w.button("Change"), Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(w.fieldList()->topLevelItem(1)->text(0), "1");
    EXPECT_EQ(w.criteriaList()->topLevelItemCount(), 1);
    EXPECT_EQ(w.criteriaList()->topLevelItem(0)->text(0), "7");
}

} // namespace
