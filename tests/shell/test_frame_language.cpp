// The frame in another language: every text it shows has an English row in the shipped table.
#include <gtest/gtest.h>

#include "services/QuilvoImport.h"
#include "shell/FrameWindow.h"
#include "shell/RibbonModel.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <map>
#include <set>

using namespace shell;

namespace {

// Source text as the table keys it (upper case) -> its English column.
std::map<QString, QString> shippedEnglish()
{
    std::map<QString, QString> out;
    QFile file(testsupport::sourceDir() + QStringLiteral("/resources/translations/Velmora.qvl.tsv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    quilvo::ImportOptions options;
    options.utf8 = true;
    quilvo::ImportedTable table;
    QString error;
    EXPECT_TRUE(quilvo::readTable(file.readAll(), options, &table, &error)) << error.toStdString();
    for (const quilvo::TranslationRow& r : table.translations)
        out[r.deflang.toUpper()] = r.lang[2];
    return out;
}

void collect(const std::vector<RibbonItemDef>& items, std::set<QString>& out)
{
    for (const RibbonItemDef& i : items) {
        out.insert(i.caption);
        collect(i.items, out);
    }
}

} // namespace

TEST(FrameLanguage, EveryTextTheFrameShowsHasAnEnglishRowThatASecondLookupKeeps)
{
    // The ribbon table, and whatever else the frame and its protocol pass to the translator.
    std::set<QString> texts;
    for (const RibbonTabDef& tab : ribbonTabs()) {
        texts.insert(tab.caption);
        for (const RibbonGroupDef& g : tab.groups) {
            texts.insert(g.caption);
            collect(g.controls, texts);
        }
    }
    const Translate record = [&texts](const QString& s) {
        texts.insert(s);
        return s;
    };
    testsupport::TempFolder data;
    FrameOptions o;
    o.dataFolder = data.path();
    o.translate = record;
    { FrameWindow frame(o); }
    for (int module : {1, 2, 3, 4, 5, 6, 7, 8, 101, 102, 103, 104})
        moduleCaption(module, QString(), record);
    busyCaption(record);
    ASSERT_GT(texts.size(), 80u);

    const std::map<QString, QString> english = shippedEnglish();
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        auto row = english.find(text.toUpper());
        ASSERT_NE(row, english.end());
        EXPECT_FALSE(row->second.trimmed().isEmpty());
        // The window walk looks shown texts up again: an English text that is the source of
        // another row would turn into that row's translation.
        auto again = english.find(row->second.toUpper());
        if (again != english.end())
            EXPECT_EQ(again->second, row->second);
    }
}
