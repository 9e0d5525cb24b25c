// Alerted key sets: set semantics, which events reach the handler, and key presses in a window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "chrome/AlertKeys.h"

namespace {
struct RecordingKeys : CFCALERTKEYSCLASS {
    std::vector<int32_t> processed;
    void PROCESSALERTKEYS(int32_t key) override { processed.push_back(key); }
};
} // namespace

TEST(AlertKeys, ASetOfUniqueKeys)
{
    RecordingKeys keys;
    keys.ADDKEY(84);
    keys.ADDKEY(84);
    keys.ADDKEY(107);
    EXPECT_EQ(keys.keys().size(), 2u);
    keys.DELETEKEY(99);
    EXPECT_EQ(keys.keys().size(), 2u);
    keys.DELETEKEY(84);
    EXPECT_FALSE(keys.ISKEYEXISTS(84));
    EXPECT_TRUE(keys.ISKEYEXISTS(107));
}

TEST(AlertKeys, OnlyAlertEventsOfKeysInTheSetAreProcessed)
{
    RecordingKeys keys;
    keys.ADDKEY(84);
    struct Case {
        int event;
        int32_t key;
        bool processed;
    };
    const Case cases[] = {
        {cfckeys::AlertKeyEvent, 84, true},
        {cfckeys::AlertKeyEvent, 85, false},
        {1, 84, false},
        {cfckeys::AlertKeyEvent, 84 | cfckeys::ShiftBit, false},
    };
    for (const Case& c : cases) {
        keys.processed.clear();
        keys.TRANSLATEALERT(c.event, c.key);
        EXPECT_EQ(keys.processed.size(), c.processed ? 1u : 0u) << c.event << " " << c.key;
    }
    // Through a window's attachment, and with no set attached.
    CFCALERTKEYSWINDOWCLASS window;
    window.INIT(&keys);
    keys.processed.clear();
    window.TRANSLATEALERT(cfckeys::AlertKeyEvent, 84);
    window.TRANSLATEALERT(cfckeys::AlertKeyEvent, 86);
    EXPECT_EQ(keys.processed, std::vector<int32_t>{84});
    CFCALERTKEYSWINDOWCLASS empty;
    empty.INIT(nullptr);
    empty.TRANSLATEALERT(cfckeys::AlertKeyEvent, 84); // nothing to call
}

TEST(AlertKeys, QtKeysMapToKeyCodes)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int32_t code;
    };
    const Case cases[] = {
        {Qt::Key_T, Qt::NoModifier, 84},
        {Qt::Key_T, Qt::ShiftModifier, 84 | 0x100},
        {Qt::Key_T, Qt::ControlModifier, 84 | 0x200},
        {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Minus, Qt::KeypadModifier, 109},
        {Qt::Key_Plus, Qt::ShiftModifier, 187},
        {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_F2, Qt::AltModifier, 113 | 0x400},
        {Qt::Key_Down, Qt::NoModifier, 40},
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Eacute, Qt::NoModifier, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cfckeys::keyCode(c.key, c.modifiers), c.code) << c.key;
}

TEST(AlertKeys, AlertedKeysOfAWindowGoToTheSetNotTheControl)
{
    QWidget window;
    auto* entry = new QLineEdit(&window);
    RecordingKeys keys;
    keys.ADDKEY(cfckeys::keyCode(Qt::Key_F2, Qt::NoModifier));
    CFCALERTKEYSWINDOWCLASS attach;
    attach.INIT(&keys, entry);
    QTest::keyClick(entry, Qt::Key_F2);
    QTest::keyClick(entry, Qt::Key_A);
    EXPECT_EQ(keys.processed, std::vector<int32_t>{113});
    EXPECT_EQ(entry->text(), QStringLiteral("a"));

    RecordingKeys letters;
    letters.ADDKEY(cfckeys::keyCode(Qt::Key_B, Qt::NoModifier));
    letters.SETKEYS(entry);
    QTest::keyClick(entry, Qt::Key_B);
    QTest::keyClick(entry, Qt::Key_C);
    EXPECT_EQ(letters.processed, std::vector<int32_t>{66});
    EXPECT_EQ(entry->text(), QStringLiteral("ac"));
}
