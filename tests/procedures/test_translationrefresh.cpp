#include <gtest/gtest.h>

#include "procedures/common/TranslationRefresh.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/ErrorClass.h"
#include "runtime/RegionalTexts.h"
#include "services/Quilvo.h"
#include "tests/procedures/test_libservices.h"

#include <map>

using namespace VelmoraDll;

namespace {

// Substitution and translation tables as maps; a text without an entry stays as it is.
// Translation wraps every other text in the language's mark so compounding would show.
struct SpyTranslator : QUILVO {
    std::map<QString, QString> sub, str;
    mutable QStringList calls;
    bool wrapUnknown = false;
    QString QVSUB(const QString& t) override
    {
        calls << "SUB:" + t;
        const auto it = sub.find(t);
        return it == sub.end() ? t : it->second;
    }
    QString QVSTR(const QString& t) override
    {
        calls << "STR:" + t;
        const auto it = str.find(t);
        if (it != str.end())
            return it->second;
        return wrapUnknown ? QStringLiteral("L%1(%2)").arg(TRANSLANG()).arg(t) : t;
    }
};

// The translator reports its missing table files; those messages go to the test presenter.
struct RegionalGuard {
    RegionalGuard() { libservices_test::freshMessages(); }
    vrt::RegionalTexts saved = vrt::regionalTexts();
    ~RegionalGuard() { vrt::setRegionalTexts(saved); }
};

const QString kMonths = "January,February,March,April,May,June,July,August,September,October,November,December";

} // namespace

TEST(TranslationRefresh, OnlyWhenLanguageOrFileChanged)
{
    RegionalGuard guard;
    const testsupport::ScopedValue<int> language(LoadedLanguage, 2);
    const testsupport::ScopedValue<QString> file(LoadedTranslationFile, "Velmora.qvt");
    SpyTranslator t;
    vrt::ErrorClass errors;
    EXPECT_FALSE(refreshTranslationIfChanged(t, errors, "Velmora.qvt", 2));
    EXPECT_TRUE(t.calls.isEmpty());
    EXPECT_TRUE(refreshTranslationIfChanged(t, errors, "Drugi.qvt", 2));
    EXPECT_FALSE(refreshTranslationIfChanged(t, errors, "Drugi.qvt", 2));
    EXPECT_TRUE(refreshTranslationIfChanged(t, errors, "Drugi.qvt", 3));
    EXPECT_EQ(LoadedLanguage, 3);
    EXPECT_EQ(LoadedTranslationFile, QString("Drugi.qvt"));
    EXPECT_EQ(t.translationFile(), QString("Drugi.qvt"));
}

TEST(TranslationRefresh, MessagesAreTranslatedFromTheSourceTextsAndKeptWhole)
{
    RegionalGuard guard;
    SpyTranslator t;
    t.wrapUnknown = true;
    t.ADDERRORS({{9001, vrt::LEVEL_PROGRAM, "Greška", "Datoteka nije pronađena"}});
    vrt::ErrorClass errors;
    S_RefreshTranslation(t, errors, "a.qvt", 2);
    S_RefreshTranslation(t, errors, "a.qvt", 3);
    const vrt::ErrorEntry* e = errors.find(9001);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->title, QString("L3(Greška)")) << "not L3(L2(...)), and not cut to six letters";
    EXPECT_EQ(e->text, QString("L3(Datoteka nije pronađena)"));
    EXPECT_EQ(e->category, vrt::LEVEL_PROGRAM);
    EXPECT_EQ(t.ERRORSQ2()[0].title, QString("Greška"));
}

TEST(TranslationRefresh, StockTextsBySubstitutionThenTranslation)
{
    RegionalGuard guard;
    const QString hr = "Siječanj,Veljača,Ožujak,Travanj,Svibanj,Lipanj,Srpanj,Kolovoz,Rujan,Listopad,Studeni,Prosinac";
    vrt::ErrorClass errors;
    {
        SpyTranslator t;
        t.sub[kMonths] = hr;
        t.str[kMonths] = "never used for language 1";
        S_RefreshTranslation(t, errors, "a.qvt", 1);
        EXPECT_EQ(vrt::regionalTexts().monthNames.join(','), hr);
        EXPECT_FALSE(t.calls.join('|').contains("STR:January")) << "language 1 only substitutes";
    }
    {
        SpyTranslator t;
        t.sub["File Not Found"] = "File Missing";
        t.str["File Missing"] = "Datei fehlt";
        t.str["OK,&Yes,&No,&Abort,&Retry,&Ignore,Cancel,&Help"] = "OK,&Ja,&Nein";
        S_RefreshTranslation(t, errors, "a.qvt", 2);
        EXPECT_EQ(vrt::regionalTexts().monthNames.join(','), kMonths) << "no entry: English stays";
        EXPECT_EQ(runtimeErrorTexts().at(2), QString("Datei fehlt")) << "substituted, then translated";
        EXPECT_EQ(runtimeErrorTexts().at(100), QString("Trigger Error"));
        EXPECT_EQ(runtimeErrorTexts().size(), 44u);
        EXPECT_EQ(vrt::regionalTexts().buttonCaptions,
                  (QStringList{"OK", "&Ja", "&Nein", "&Abort", "&Retry", "&Ignore", "Cancel", "&Help"}))
            << "a short translation keeps the English of the rest";
    }

    struct Env {
        int language;
        std::map<QString, QString> sub, str;
        int charset;
    };
    const QString key = "_ENV:SYSTEMCHARSET";
    const Env envs[] = {
        {1, {{key, "238"}}, {{key, "204"}}, 238},
        {1, {}, {{key, "204"}}, 0},
        {2, {{key, "238"}}, {{key, "204"}}, 204},
        {2, {{key, "238"}}, {}, 238},
        {2, {}, {}, 0},
        {2, {{key, "_ENV:still"}}, {{key, "_ENV:x"}}, 0},
    };
    for (const Env& e : envs) {
        SpyTranslator t;
        t.sub = e.sub;
        t.str = e.str;
        S_RefreshTranslation(t, errors, "a.qvt", e.language);
        EXPECT_EQ(runtimeCharset(), e.charset) << e.language;
        EXPECT_EQ(vrt::regionalTexts().charset, e.charset);
    }
}

// A translator that has started holds the runtime's own messages, so the first refresh
// registers them translated.
TEST(TranslationRefresh, TheStartedTranslatorHoldsTheRuntimesMessages)
{
    RegionalGuard guard;
    SpyTranslator t;
    t.str["Open Error"] = "Greška otvaranja";
    t.QVINIT("nema.qvl", 2, "nema.qvs", 0, 1);
    ASSERT_EQ(t.ERRORSQ2().size(), vrt::ErrorClass::standardEntries().size());
    vrt::ErrorClass errors;
    S_RefreshTranslation(t, errors, "nema.qvl", 2);
    const vrt::ErrorEntry* e = errors.find(vrt::Msg_OpenFailed);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->title, QString("Greška otvaranja"));
}
