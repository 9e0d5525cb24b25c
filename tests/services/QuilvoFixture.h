#pragma once
#include <gtest/gtest.h>

#include "runtime/Dialogs.h"
#include "services/Quilvo.h"
#include "services/QuilvoTables.h"
#include "tests/support/TestSupport.h"

#include <memory>

namespace quilvotest {

// A small translation table and substitution table in a temporary current folder.
inline quilvo::TranslationRow row(const QString& source, std::initializer_list<std::pair<int, QString>> langs)
{
    quilvo::TranslationRow r;
    r.deflang = source;
    for (const auto& [n, text] : langs)
        r.lang[n] = text;
    return r;
}

inline std::vector<quilvo::TranslationRow> fixtureRows()
{
    return {
        row(QStringLiteral("Zatvori"), {{2, QStringLiteral("Close")}, {3, QStringLiteral("Закрыть")}, {16, QStringLiteral("Sulje")}}),
        row(QStringLiteral("Spremi"), {{3, QStringLiteral("Сохранить")}}),
        row(QStringLiteral("Otvori"), {{2, QStringLiteral("Open")}}),
        row(QStringLiteral("Close"), {{2, QStringLiteral("Close twice")}}),
        row(QStringLiteral("Kontakti"), {{2, QStringLiteral("Contacts")}, {3, QStringLiteral("Контакты")}}),
        row(QStringLiteral("Da|Ne"), {{2, QStringLiteral("Yes|No")}}),
        row(QStringLiteral("Ime"), {{2, QStringLiteral("&Name")}}),
        row(QStringLiteral("Info"), {{2, QStringLiteral("Information")}}),
        row(QStringLiteral("Select Font"), {{2, QStringLiteral("Choose a font")}}),
        row(QStringLiteral("Greška"), {{2, QStringLiteral("Error")}}),
        row(QStringLiteral("_ENV:EntryToText"), {{2, QStringLiteral("1")}}),
        row(QStringLiteral("&Zatvori"), {{2, QStringLiteral("&Close")}}),
        row(QStringLiteral("Prijavi"), {{2, QStringLiteral("Report")}}),
    };
}

class TranslatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::presenter().clear();
        makeTables(QStringLiteral("Velmora.qvl"), QStringLiteral("Velmora.qvs"));
    }
    void TearDown() override
    {
        vrt::resetHooks();
        QUILVO::setRegionalSource({});
        testsupport::presenter().clear();
    }

    void makeTables(const QString& qvl, const QString& qvs)
    {
        QString error;
        ASSERT_TRUE(quilvo::TableFile::create(folder.file(qvl), fixtureRows(), &error)) << error.toStdString();
        ASSERT_TRUE(quilvo::TableFile::create(folder.file(qvs),
                                              std::vector<quilvo::SubstitutionRow>{
                                                  {QStringLiteral("Kontakt"), QStringLiteral("Osoba")},
                                                  {QStringLiteral("_ENV:EntryToText"), QStringLiteral("1")}},
                                              &error))
            << error.toStdString();
    }

    // A translator started as every program starts it, in `language`.
    std::unique_ptr<QUILVO> started(int language, const QString& qvl = QStringLiteral("Velmora.qvl"))
    {
        auto t = std::make_unique<QUILVO>();
        t->INIT();
        t->QVINIT(qvl, language, QStringLiteral("Velmora.qvs"), 0, 1);
        return t;
    }

    std::vector<testsupport::ScriptedPresenter::Call> messages() const
    {
        std::vector<testsupport::ScriptedPresenter::Call> out;
        for (const auto& c : testsupport::presenter().calls())
            if (c.kind == QLatin1String("message"))
                out.push_back(c);
        return out;
    }

    testsupport::TempFolder folder;
    testsupport::CwdGuard cwd{folder.path()};
};

} // namespace quilvotest
