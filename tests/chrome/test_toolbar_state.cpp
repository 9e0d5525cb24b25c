// The toolbar layout file: 20-byte little-endian records, whole records only, and matching a
// stored layout against the buttons that exist now.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "chrome/ToolbarState.h"

using namespace tbstate;

namespace {
CFC_TBBUTTON button(int32_t image, int32_t id, uint8_t state, uint8_t style, int32_t string)
{
    CFC_TBBUTTON b;
    b.iBitmap = image;
    b.idCommand = id;
    b.fsState = state;
    b.fsStyle = style;
    b.iString = string;
    return b;
}
} // namespace

TEST(ToolbarState, RecordsAreTwentyLittleEndianBytes)
{
    const std::vector<CFC_TBBUTTON> three = {button(0, 16001, TBSTATE_ENABLED, BTNS_AUTOSIZE, 0),
                                             button(0, 0, 0, BTNS_SEP, 0),
                                             button(-2, 16003, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK | BTNS_AUTOSIZE, -1)};
    const QByteArray bytes = encode(three);
    ASSERT_EQ(bytes.size(), 60);
    // 16001 = 0x3E81; -2 = FE FF FF FF.
    EXPECT_EQ(bytes.mid(4, 4), QByteArray::fromHex("813e0000"));
    EXPECT_EQ(uint8_t(bytes[8]), TBSTATE_ENABLED);
    EXPECT_EQ(uint8_t(bytes[9]), BTNS_AUTOSIZE);
    EXPECT_EQ(bytes.mid(40, 4), QByteArray::fromHex("feffffff"));
    EXPECT_EQ(bytes.mid(56, 4), QByteArray::fromHex("ffffffff"));
    EXPECT_EQ(decode(bytes), three);
    // Only whole records count.
    EXPECT_EQ(decode(bytes.left(50)).size(), 2u);
    EXPECT_TRUE(decode(bytes.left(19)).empty());
}

TEST(ToolbarState, FilesKeepTheLayoutAndAFailedWriteKeepsTheOldOne)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("toolbar.tbr"));
    EXPECT_FALSE(readFile(file).has_value());
    const std::vector<CFC_TBBUTTON> layout = {button(1, 16001, TBSTATE_ENABLED, 0, 0), button(2, 16002, 0, 0, 1)};
    ASSERT_TRUE(writeFile(file, layout));
    EXPECT_EQ(QFile(file).size(), 40);
    EXPECT_EQ(readFile(file), layout);
    // A folder that cannot be written: the error is told, nothing else changes.
    QString error;
    EXPECT_FALSE(writeFile(dir.filePath(QStringLiteral("missing/toolbar.tbr")), layout, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(file), layout);
    // At most 64 KiB are read.
    QFile big(dir.filePath(QStringLiteral("big.tbr")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(MaxFileBytes + 100, '\0'));
    big.close();
    EXPECT_EQ(readFile(big.fileName())->size(), size_t(MaxFileBytes / RecordSize));
}

TEST(ToolbarState, StoredLayoutTakesTheCurrentPicturesAndDropsGoneButtons)
{
    const std::vector<CFC_TBBUTTON> stored = {button(7, 16002, TBSTATE_ENABLED, 0, 9), button(0, 0, 0, BTNS_SEP, 0),
                                              button(5, 16099, TBSTATE_ENABLED, 0, 4), button(3, 16001, 0, BTNS_CHECK, 2)};
    const auto current = [](int32_t id, int32_t& image, int32_t& string) {
        if (id != 16001 && id != 16002)
            return false;
        image = id - 16000;
        string = id - 15990;
        return true;
    };
    const auto out = reconcile(stored, current);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].idCommand, 16002);
    EXPECT_EQ(out[0].iBitmap, 2);
    EXPECT_EQ(out[0].iString, 12);
    EXPECT_TRUE(out[1].fsStyle & BTNS_SEP);
    EXPECT_EQ(out[2].idCommand, 16001);
    EXPECT_EQ(out[2].fsStyle, BTNS_CHECK); // the stored state and style stay
    EXPECT_EQ(out[2].iBitmap, 1);
}

TEST(ToolbarState, ImageKinds)
{
    const std::pair<int, int32_t> cases[] = {{0, -1}, {1, -2}, {2, -1}, {3, 0}, {-5, 0}};
    for (auto [kind, image] : cases)
        EXPECT_EQ(imageForKind(kind), image) << kind;
}
