#include "services/MsOutlookClass.h"
#include "services/OutlookMailObject.h"
#include "tests/services/OfficeRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

TEST(OutlookProtocol, ItemsAndFoldersBuildTheirPaths)
{
    RecordingContainer rec;
    rec.fallback = "h1";
    MSOUTLOOKCLASS o;
    o.setContainer(&rec);
    o.INIT(nullptr, 50, 0, 0, 0);
    EXPECT_EQ(o.NAMESPACE, "h1");
    EXPECT_TRUE(rec.calls.contains("read GetNameSpace(\"MAPI\")"));
    EXPECT_TRUE(rec.calls.contains("read h1.GetDefaultFolder(13).Items"));

    for (const char* type : {"task", "Task"}) {
        rec.calls.clear();
        o.CREATEITEM(type);
        EXPECT_EQ(rec.calls, QStringList{"read CreateItem(3)"});
    }
    rec.calls.clear();
    o.OBJECT = "kept";
    o.CREATEITEM("Tasks");
    EXPECT_TRUE(rec.calls.isEmpty());
    EXPECT_EQ(o.OBJECT, "kept");

    o.CONTACTS = "C";
    rec.calls.clear();
    EXPECT_EQ(o.FINDCONTACTBYEMAIL("o'brien@x.hr"), 0);
    EXPECT_EQ(rec.calls, QStringList{"read C.Find(\"[Email1Address] = 'o''brien@x.hr'\")"});

    rec.calls.clear();
    o.OBJECT = "I";
    o.DELETE("");
    EXPECT_EQ(rec.calls, QStringList{"read I.Delete"});
    rec.calls.clear();
    o.DELETE("id7");
    EXPECT_EQ(rec.calls, (QStringList{"read h1.GetItemFromID(\"id7\")", "read h1.Delete"}));

    rec.calls.clear();
    o.OBJECT = "I";
    o.CLOSE();
    o.SETPOSITION(10, 20);
    o.SETEMAIL1("a@b.hr");
    o.SETFULLNAME("Ana");
    EXPECT_EQ(rec.calls, (QStringList{"read I.Close(0)", "write I.Left := 10", "write I.Top := 20", "write I.EMail1Address := a@b.hr",
                                      "write I.Fullname := Ana"}));

    // No current item: nothing is sent, and the failure is told.
    rec.calls.clear();
    o.OBJECT.clear();
    o.clearError();
    o.SEND();
    o.SETSUBJECT("x");
    EXPECT_TRUE(rec.calls.isEmpty());
    EXPECT_EQ(o.lastError(), "no current item");
}

TEST(OutlookProtocol, SendAskesFirstAndNothingFoundIsNoItem)
{
    RecordingContainer rec;
    MSOUTLOOKCLASS o;
    o.setContainer(&rec);
    o.OBJECT = "I";
    const auto shown = [] {
        QStringList out;
        for (const auto& c : testsupport::presenter().calls(QStringLiteral("message")))
            out << c.caption + ": " + c.text;
        return out;
    };
    testsupport::presenter().clear();
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    o.SEND("Send it?", "Not sent.");
    EXPECT_FALSE(rec.calls.contains("read I.Send"));
    EXPECT_EQ(shown(), (QStringList{"Confirmation: Send it?", "Message Cancelled: Not sent."}));
    testsupport::presenter().clear();
    testsupport::presenter().queueButton(vrt::BUTTON_YES);
    o.SEND("Send it?", "Not sent.");
    EXPECT_TRUE(rec.calls.contains("read I.Send"));
    EXPECT_EQ(shown(), QStringList{"Confirmation: Send it?"});
    testsupport::presenter().clear();

    // Without the program every get and find answers "no item", never success.
    rec.fallback = "No ole automation interface";
    o.TASKS = "0";
    EXPECT_EQ(o.GETTASK(1), 5);
    EXPECT_TRUE(o.OBJECT.isEmpty());
    rec.fallback = "";
    EXPECT_EQ(o.FINDNEXTTASK(), 5);
}

TEST(OutlookMail, ANewMessageIsKeptAsADraftOfOurOwnMail)
{
    testsupport::TempFolder folder;
    office::mailDraftFolder() = folder.file("Drafts");
    QStringList opened;
    office::mailEditorOpener() = [&](const QString& path, const QStringList& to) {
        opened << path << to;
        return true;
    };
    QFile attachment(folder.file("račun.pdf"));
    ASSERT_TRUE(attachment.open(QIODevice::WriteOnly));
    attachment.write("%PDF-1.4 test");
    attachment.close();

    MSOUTLOOKCLASS o;
    o.INIT(nullptr, 50, 1, 1, 0);
    EXPECT_EQ(o.NAMESPACE, "NameSpace");
    o.CREATEITEM("Mail");
    ASSERT_FALSE(o.OBJECT.isEmpty());
    o.SETTO("Ana Horvat <ana@example.hr>; ivo@example.hr");
    o.SETCC("cc@example.hr");
    o.SETSUBJECT(QString::fromUtf8("Račun \"7\""));
    o.SETBODY(QString::fromUtf8("Poštovani,\nu prilogu je račun."));
    o.ADDATTACH(folder.file("račun.pdf"));
    const QString id = o.SAVE();
    EXPECT_FALSE(o.failed()) << o.lastError().toStdString();
    EXPECT_EQ(o.GETENTRYID(), id);
    const QString draft = folder.file("Drafts/" + id + ".eml");
    QFile f(draft);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << draft.toStdString();
    const QByteArray eml = f.readAll();
    EXPECT_TRUE(eml.contains("ana@example.hr"));
    EXPECT_TRUE(eml.contains("ivo@example.hr"));
    EXPECT_TRUE(eml.contains("Subject:"));
    EXPECT_TRUE(eml.contains("filename"));
    o.DISPLAYMESSAGE();
    EXPECT_EQ(opened, (QStringList{draft, "ana@example.hr", "ivo@example.hr"}));

    // What has no counterpart says so.
    for (const auto& call : std::vector<std::function<void()>>{[&] { o.SEND(); }, [&] { o.GETCONTACTSCOUNT(); },
                                                               [&] { o.SETBIRTHDAY("1.1.2000"); }}) {
        o.clearError();
        call();
        EXPECT_TRUE(o.lastError().startsWith("not available: ")) << o.lastError().toStdString();
    }
    // A kind of item with no counterpart is not made, and no item is current after it.
    o.clearError();
    o.CREATEITEM("task");
    EXPECT_TRUE(o.lastError().startsWith("not available: ")) << o.lastError().toStdString();
    EXPECT_TRUE(o.OBJECT.isEmpty());
    // Deleting the item deletes its draft.
    o.clearError();
    o.SEARCH(id);
    o.DELETE("");
    EXPECT_FALSE(o.failed()) << o.lastError().toStdString();
    EXPECT_FALSE(QFile::exists(draft));
    office::mailDraftFolder().clear();
    office::mailEditorOpener() = nullptr;
}
