#include <gtest/gtest.h>

#include "procedures/common/ZipKitClient.h"
#include "runtime/ComponentRegistry.h"
#include "tests/procedures/test_libservices.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <zip.h>

using namespace VelmoraDll;
using namespace controls;

namespace {

// The backup window's sink: progress only, with a way to give up.
struct BackupSink : IZipKitEvents {
    std::vector<int> progress;
    bool abort = false;
    void OnArchiveProgress(uint8_t p, int16_t& a) override
    {
        progress.push_back(p);
        if (abort)
            a = 1;
    }
};

QStringList messages()
{
    QStringList out;
    for (const auto& c : testsupport::presenter().calls())
        out << c.caption + QStringLiteral(": ") + c.text;
    return out;
}

QByteArray readEntry(const QString& archive, const QString& name)
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &err);
    if (!za)
        return "<no archive>";
    QByteArray out;
    if (zip_file_t* f = zip_fopen(za, name.toUtf8().constData(), 0)) {
        char buf[4096];
        zip_int64_t n;
        while ((n = zip_fread(f, buf, sizeof buf)) > 0)
            out.append(buf, n);
        zip_fclose(f);
    } else {
        out = "<no entry>";
    }
    zip_discard(za);
    return out;
}

} // namespace

TEST(ZipKitClient, WrappersAnswerFailSilentlyWithoutAComponent)
{
    ZipKit::registerComponent();
    libservices_test::freshMessages();
    IZipKitClass zip;
    EXPECT_EQ(zip.Save(), E_FAIL);
    EXPECT_EQ(zip.HR, E_FAIL);
    ASSERT_EQ(zip.Init(), S_OK);
    EXPECT_FALSE(zip.IsRegistered().isEmpty());
    EXPECT_EQ(zip.Detach(), S_OK);
    EXPECT_EQ(zip.SetFileName(QStringLiteral("x.zip")), E_FAIL);
    EXPECT_EQ(zip.ADD_COM(QStringLiteral("x\\*.*"), {}, 0), E_FAIL);
    EXPECT_TRUE(messages().isEmpty());
}

TEST(ZipKitClient, BackupSequenceWithProgressAndOneReportPerFailure)
{
    testsupport::TempFolder t;
    t.write("data/Files/Database.db", QByteArray(300000, 'x'));
    t.write("data/Files/Slike/Žaba.png", "png");
    t.write("other/Bilješke/ćevapi.txt", "mljac");
    ZipKit::registerComponent();
    const QString archive = t.file("dest/Velmora_20261210_1300.zip");
    QDir().mkpath(t.file("dest"));

    libservices_test::freshMessages();
    IZipKitClass zip;
    BackupSink sink;
    ASSERT_EQ(zip.Init(), S_OK);
    ASSERT_EQ(sink.Connect(zip.GetInterface()), S_OK);
    EXPECT_EQ(sink.CREF, 2) << "the component holds the sink";
    zip.SetFileName(archive);
    zip.SetAutoSave(0);
    zip.SetStoreOptions(24);
    zip.SetExtractOptions(1);
    EXPECT_EQ(zip.ADD_COM(t.file("data/Files") + "\\*.*", QString(), 0), S_OK);
    EXPECT_EQ(zip.ADD_COM(t.file("other") + "\\*.*", QString(), 0), S_OK);
    ASSERT_EQ(zip.Save(), S_OK);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    ASSERT_GE(sink.progress.size(), 2u);
    EXPECT_EQ(sink.progress.front(), 0);
    EXPECT_EQ(sink.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(sink.progress.begin(), sink.progress.end()));
    EXPECT_EQ(readEntry(archive, "Files/Database.db"), QByteArray(300000, 'x'));
    EXPECT_EQ(readEntry(archive, "Files/Slike/Žaba.png"), QByteArray("png"));
    EXPECT_EQ(readEntry(archive, "other/Bilješke/ćevapi.txt"), QByteArray("mljac"));

    // An unwritable destination: one report naming the call, the failure returned.
    zip.SetFileName(t.file("nema/x.zip"));
    zip.ADD_COM(t.file("other") + "\\*.*", QString(), 0);
    EXPECT_EQ(zip.Save(), E_FAIL);
    EXPECT_EQ(zip.HR, E_FAIL);
    const QStringList shown = messages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("COM Error: IZipKitClass.Save failed (")))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[0].endsWith(')'));

    // The user gives up: the sink's answer stops the archive, and nothing is left behind.
    libservices_test::freshMessages();
    sink.abort = true;
    const QString cancelled = t.file("dest/cancelled.zip");
    zip.SetFileName(cancelled);
    zip.ADD_COM(t.file("data/Files") + "\\*.*", QString(), 0);
    EXPECT_EQ(zip.Save(), E_ABORT);
    EXPECT_FALSE(QFileInfo::exists(cancelled));

    EXPECT_EQ(sink.Disconnect(zip.GetInterface()), S_OK);
    EXPECT_EQ(sink.CREF, 1);
    EXPECT_EQ(zip.Detach(), S_OK);
}

TEST(ZipKitClient, CreationFailureIsReportedWithTheComponentMissing)
{
    auto& registry = vrt::ComponentRegistry::instance();
    registry.unregister(ZipKit::progId());
    libservices_test::freshMessages();
    IZipKitClass zip;
    EXPECT_EQ(zip.Init(), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(zip.IsRegistered().isEmpty());
    EXPECT_EQ(zip.Save(), E_FAIL);
    ZipKit::registerComponent();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("COM Error: IZipKitClass.Init: CoCreateInstance failed (80040154)")});
}

TEST(ZipKitClient, SinkGoneBeforeTheComponentIsNeverCalled)
{
    testsupport::TempFolder t;
    t.write("d/a.txt", "a");
    ZipKit::registerComponent();
    IZipKitClass zip;
    ASSERT_EQ(zip.Init(), S_OK);
    {
        BackupSink sink;
        ASSERT_EQ(sink.Connect(zip.GetInterface()), S_OK);
    }
    zip.SetFileName(t.file("a.zip"));
    zip.SetAutoSave(0);
    zip.ADD_COM(t.file("d"), {}, 0);
    EXPECT_EQ(zip.Save(), S_OK);

    // The component going first leaves a sink that can still be destroyed.
    auto* sink = new BackupSink;
    ASSERT_EQ(sink->Connect(zip.GetInterface()), S_OK);
    zip.Detach();
    delete sink;
}

TEST(ZipKitClient, TypedAnswersBecomeTheAutomationsResultCodes)
{
    testsupport::TempFolder t;
    t.write("d/a.txt", "a");
    ZipKit::registerComponent();
    IZipKitClass zip;
    ASSERT_EQ(zip.Init(), S_OK);
    zip.DEBUG = 0;
    zip.SetFileName(t.file("a.zip"));
    zip.SetAutoSave(0);
    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        const char* description; // the start of what the failure leaves, empty for none
    };
    const Case cases[] = {
        {"nothing added yet", [&] { return zip.Save(); }, S_FALSE, ""},
        {"attributes", [&] { return zip.ADD_COM(t.file("d"), {}, 7); }, E_INVALIDARG, "Unsupported attributes: 7"},
        {"missing folder", [&] { return zip.ADD_COM(t.file("nema") + "\\*.*", {}, 0); }, E_FAIL,
         "/nema: No such folder"},
        {"unsafe entry name", [&] { return zip.AddFileAs(t.file("d/a.txt"), "../x"); }, E_FAIL,
         "../x: Name outside"},
        {"added", [&] { return zip.ADD_COM(t.file("d"), {}, 0); }, S_OK, ""},
        {"saved", [&] { return zip.Save(); }, S_OK, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.what;
        QString text;
        zip.GetErrorDescription(text);
        if (*c.description)
            EXPECT_TRUE(text.contains(QString::fromUtf8(c.description))) << c.what << ": " << text.toStdString();
        else
            EXPECT_TRUE(text.isEmpty()) << c.what << ": " << text.toStdString();
    }
    int32_t count = -1;
    EXPECT_EQ(zip.Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    zip.SetFileName(t.file("d/a.txt"));
    EXPECT_EQ(zip.Count(&count), E_FAIL) << "a file that is no archive";
    EXPECT_EQ(count, 0);
}
