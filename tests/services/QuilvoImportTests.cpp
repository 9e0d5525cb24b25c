#include "tests/services/QuilvoFixture.h"

#include "services/QuilvoImport.h"
#include "services/StopWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStringEncoder>

using namespace quilvotest;

namespace {

QByteArray encoded(const char* codePage, const QString& text)
{
    QStringEncoder e(codePage);
    return e.encode(text);
}

class QuilvoImport : public TranslatorTest {};

TEST_F(QuilvoImport, DecodesEachColumnWithTheCodePageOfItsLanguage)
{
    QByteArray tsv = "DEFLANG\tSRCOFTEXT\tLANG2\tLANG3\tLANG13\r\n";
    tsv += encoded("windows-1250", QStringLiteral("Greška")) + "\tnaslov\t" + encoded("windows-1252", QStringLiteral("Fehler ß"))
         + "\t" + encoded("windows-1251", QStringLiteral("Ошибка")) + "\t" + encoded("ISO-8859-7", QStringLiteral("Σφάλμα")) + "\r\n";
    quilvo::ImportOptions options;
    options.codePages[13] = QStringLiteral("ISO-8859-7");
    quilvo::ImportedTable table;
    QString error;
    ASSERT_TRUE(quilvo::readTable(tsv, options, &table, &error)) << error.toStdString();
    ASSERT_EQ(table.translations.size(), 1u);
    const auto& r = table.translations[0];
    EXPECT_EQ(r.deflang, QStringLiteral("Greška"));
    EXPECT_EQ(r.srcoftext, QStringLiteral("naslov"));
    EXPECT_EQ(r.lang[2], QStringLiteral("Fehler ß"));
    EXPECT_EQ(r.lang[3], QStringLiteral("Ошибка"));
    EXPECT_EQ(r.lang[13], QStringLiteral("Σφάλμα"));

    folder.write(QStringLiteral("in.tsv"), tsv);
    int rows = 0;
    ASSERT_TRUE(quilvo::importTable(folder.file(QStringLiteral("in.tsv")), folder.file(QStringLiteral("Velmora.qvl")),
                                    options, &rows, &error))
        << error.toStdString();
    EXPECT_EQ(rows, 1);
    auto t = started(3);
    EXPECT_EQ(t->QVSTR(QStringLiteral("GREŠKA")), QStringLiteral("Ошибка"));
}

TEST_F(QuilvoImport, ReadsQuotedCsvFields)
{
    const QByteArray csv = "DEFTEXT,SUBTEXT\n"
                           "\"Ime, prezime\",\"Naziv \"\"osobe\"\"\"\n"
                           "\n"
                           "\"Dva\nretka\",Jedan\n";
    quilvo::ImportedTable table;
    QString error;
    ASSERT_TRUE(quilvo::readTable(csv, {}, &table, &error)) << error.toStdString();
    EXPECT_EQ(table.kind, quilvo::TableKind::Substitution);
    ASSERT_EQ(table.substitutions.size(), 2u);
    EXPECT_EQ(table.substitutions[0].deftext, QStringLiteral("Ime, prezime"));
    EXPECT_EQ(table.substitutions[0].subtext, QStringLiteral("Naziv \"osobe\""));
    EXPECT_EQ(table.substitutions[1].deftext, QStringLiteral("Dva\nretka"));
}

TEST_F(QuilvoImport, RefusesBadInputAndKeepsTheOldTable)
{
    quilvo::ImportOptions utf8;
    utf8.utf8 = true;
    const QByteArray tooLong = QByteArray(513, 'a');
    const struct {
        QByteArray data;
        quilvo::ImportOptions options;
        const char* error;
    } cases[] = {
        {"DEFLANG\tLANG2\tNOTES\nA\tB\tC\n", {}, "column 3 is not a column"},
        {"DEFLANG\tDEFTEXT\nA\tB\n", {}, "not both"},
        {"DEFLANG\tLANG2\nA\tB\nC\n", {}, "line 3: 1 fields where the header has 2"},
        {"DEFLANG,LANG2\n\"A,B\n", {}, "line 2: a quote is not closed"},
        {"DEFLANG\tLANG13\nA\t\xE1\xE2\n", {}, "language 13 has no code page"},
        {"DEFLANG\tLANG2\nA\t\xC3\x28\n", utf8, "line 2, column 2: not valid UTF-8"},
        {"DEFLANG\tLANG2\nZatvori\tClose\nZATVORI \tShut\n", {}, "row 2: the text is listed twice"},
        {"DEFLANG\tLANG2\n" + tooLong + "\tx\n", {}, "has 513 characters, more than 512"},
        {"DEFLANG\tLANG2\n  \tx\n", {}, "row 1: the source text is empty"},
    };
    for (const auto& c : cases) {
        folder.write(QStringLiteral("in.tsv"), c.data);
        QString error;
        EXPECT_FALSE(quilvo::importTable(folder.file(QStringLiteral("in.tsv")), folder.file(QStringLiteral("Velmora.qvl")),
                                         c.options, nullptr, &error));
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
    auto t = started(2); // the fixture's table is still there, whole
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Close"));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Velmora.qvl.new"))));
}

TEST_F(QuilvoImport, ShippedTableSpeaksEnglish)
{
    for (const QString& name : {QStringLiteral("Velmora.qvl"), QStringLiteral("Velmora.qvs")})
        QFile::remove(folder.file(name));
    // No table in the data folder: the one shipped beside the programs is used.
    auto t = started(2);
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Velmora.qvl"))));
    installTranslatorHooks(*t);
    vrt::message(QStringLiteral("Ovaj program se ne može koristiti na ovaj način!"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("This program cannot be used this way!"));

    // Every text of the stop window has its English row.
    QStringList english;
    quilvo::TableFile shipped(quilvo::TableKind::Translation);
    ASSERT_EQ(shipped.open(testsupport::binDir() + QStringLiteral("/Velmora.qvl")), quilvo::ErrNone);
    shipped.forEachTranslation(2, [&](const QString&, const QString& value) { english << value; });
    quilvo::StopWindow w({}, quilvo::StopActions::program()); // only its texts are read
    t->TRANSLATEWINDOW(&w);
    for (QWidget* c : w.findChildren<QWidget*>()) {
        QString text;
        if (auto* l = qobject_cast<QLabel*>(c))
            text = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c))
            text = b->text();
        EXPECT_TRUE(text.isEmpty() || english.contains(text)) << text.toStdString();
    }
}

} // namespace
