#include "tests/data/DataFixture.h"

#include "runtime/Browse.h"
#include "runtime/FileBrowse.h"
#include "runtime/Process.h"
#include "runtime/Report.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace vrt;

namespace {

// A test window over the passwords table: one list (update number 14) and its form.
class PasswordsWindow : public WindowManager {
public:
    FileBrowseSource* table = nullptr;
    int run(int number, int request) override
    {
        if (number != 14)
            return WindowManager::run(number, request);
        UpdateFormController form(*table, request, "F_PASS_Password");
        form.setErrors(corvalde::ThreadManagersErrors());
        form.setFields({{"PAS:NAZIV", "Naziv:", [] { return QString::fromStdString(PAS().NAZIV); },
                         [](const QString& v) { PAS().NAZIV = v.toStdString(); }},
                        {"PAS:LOGIN", "Login:", [] { return QString::fromStdString(PAS().LOGIN); },
                         [](const QString& v) { PAS().LOGIN = v.toStdString(); }}});
        UpdateDialog dialog(form, "Password");
        return dialog.run();
    }
};

DialogRunner typeAndPress(QString name, bool ok)
{
    return [=](QDialog& d) {
        auto& dialog = dynamic_cast<UpdateDialog&>(d);
        if (!name.isEmpty())
            dialog.entry("PAS:NAZIV")->setText(name);
        QTest::mouseClick(ok ? dialog.okButton() : dialog.cancelButton(), Qt::LeftButton);
        return dialog.result();
    };
}

void addPassword(int category, const char* name, const char* login)
{
    Access(Tbl::Passwords).clearBuffer();
    PAS().KATEGORIJAID = category;
    PAS().NAZIV = name;
    PAS().LOGIN = login;
    ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0) << Access(Tbl::Passwords).ErrorText().toStdString();
}

class WindowFramework : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(Relate(Tbl::PasswordsKategorija).Open(), 0);
        ASSERT_EQ(Relate(Tbl::Passwords).Open(), 0);
        addPassword(1, "banka", "ana");
        addPassword(2, "Posta", "ivo");
        addPassword(1, "Alarm", "ana");
        addPassword(1, "cloud", "marko");
        table = std::make_unique<FileBrowseSource>(
            Access(Tbl::Passwords), Relate(Tbl::Passwords),
            std::vector<FileBrowseSource::Column>{
                {"ID", [] { return QString::number(PAS().ID); }},
                {"Naziv", [] { return QString::fromStdString(PAS().NAZIV); }},
                {"Login", [] { return QString::fromStdString(PAS().LOGIN); }}});
        table->addOrder({PAS.KategorijaKey, {}, 1});
        table->addOrder({-1, "+UPPER(PAS:NAZIV)", 0});
        table->applyRange = [](const QVariant& v) { PAS().KATEGORIJAID = v.toInt(); };
        window.table = table.get();
    }
    QStringList names(Browse& b)
    {
        QStringList out;
        for (const auto& r : b.model().rows())
            out << r.cells[1];
        return out;
    }
    std::unique_ptr<FileBrowseSource> table;
    PasswordsWindow window;
};

} // namespace

TEST_F(WindowFramework, ListOverATable)
{
    Browse browse(*table, &window);
    browse.addOrder({"Kategorija", -1});
    browse.addOrder({"Naziv", 1});
    browse.setRange(1);
    EXPECT_EQ(names(browse), QStringList({"banka", "Alarm", "cloud"}));
    browse.setOrder(1); // an order text has no range: the whole table
    browse.setRange({});
    EXPECT_EQ(names(browse), QStringList({"Alarm", "banka", "cloud", "Posta"}));
    EXPECT_EQ(browse.model().rows()[size_t(browse.locate("p"))].cells[1], "Posta");
    browse.setFilter("PAS:LOGIN = 'ana'");
    EXPECT_EQ(names(browse), QStringList({"Alarm", "banka"}));
}

TEST_F(WindowFramework, UpdateRequestsWriteTheTable)
{
    Browse browse(*table, &window);
    browse.addOrder({"Kategorija", -1});
    browse.addOrder({"Naziv", 1});
    browse.setOrder(1);
    browse.setUpdateNumber(14);
    browse.resetFromView();
    {
        testsupport::ScopedDialogRunner r(typeAndPress("Dropbox", true));
        EXPECT_EQ(browse.insertRecord(), REQUEST_COMPLETED);
    }
    EXPECT_EQ(count("Passwords"), 5);
    EXPECT_EQ(browse.model().rows()[size_t(browse.selected())].cells[1], "Dropbox");
    {
        testsupport::ScopedDialogRunner r(typeAndPress("Nothing", false));
        EXPECT_EQ(browse.insertRecord(), REQUEST_CANCELLED);
    }
    EXPECT_EQ(count("Passwords"), 5); // the primed row went again
    EXPECT_TRUE(query("SELECT ID FROM Passwords WHERE NAZIV = 'Nothing'").empty());

    ASSERT_TRUE(browse.selectId(3)); // Alarm
    {
        testsupport::ScopedDialogRunner r(typeAndPress("Alarm kuća", true));
        EXPECT_EQ(browse.changeRecord(), REQUEST_COMPLETED);
    }
    EXPECT_EQ(query("SELECT NAZIV FROM Passwords WHERE ID = 3"), std::vector<std::string>{"Alarm kuća"});
    {
        testsupport::ScopedDialogRunner r(typeAndPress("", false));
        EXPECT_EQ(browse.deleteRecord(), REQUEST_CANCELLED);
    }
    EXPECT_EQ(count("Passwords"), 5);
    {
        testsupport::ScopedDialogRunner r(typeAndPress("", true));
        EXPECT_EQ(browse.deleteRecord(), REQUEST_COMPLETED);
    }
    EXPECT_EQ(count("Passwords"), 4);
    EXPECT_TRUE(query("SELECT ID FROM Passwords WHERE ID = 3").empty());
    {
        testsupport::ScopedDialogRunner r(typeAndPress("Changed", true));
        EXPECT_EQ(browse.viewRecord(), REQUEST_CANCELLED);
    }
    EXPECT_TRUE(query("SELECT ID FROM Passwords WHERE NAZIV = 'Changed'").empty());
}

TEST_F(WindowFramework, ReportOfATableToPdf)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    ViewManager view(Access(Tbl::Passwords));
    view.SetOrder("+UPPER(PAS:NAZIV)");
    ViewSource source(view);
    Report report;
    QFont font("DejaVu Sans", 10);
    report.pageHeader.height = 10;
    report.pageHeader.addText({0, 0, 100, 8}, "Passwords", font);
    ReportBand detail;
    detail.height = 6;
    detail.addValue({0, 0, 60, 6}, [] { return QString::fromStdString(PAS().NAZIV); }, font);
    detail.addValue({70, 0, 60, 6}, [] { return QString::fromStdString(PAS().LOGIN); }, font);
    Process process(source, [&] {
        report.print(detail);
        return Process::Take::Next;
    });
    ASSERT_EQ(process.run(), Process::Result::Completed);
    EXPECT_EQ(process.taken(), 4);
    const QString pdf = m_folder->file("passwords.pdf");
    ASSERT_TRUE(report.writePdf(pdf));
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QStringList simplified;
    for (const auto& l : lines)
        if (!l.simplified().isEmpty()) // the page's form feed
            simplified << l.simplified();
    EXPECT_EQ(simplified, QStringList({"Passwords", "Alarm ana", "banka ana", "cloud marko", "Posta ivo"}));
}
