#pragma once
#include "data/Corvalde.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// Adds an account's folders by their system names (named the same); false when one insert fails.
inline bool addMailFolders(int account, std::initializer_list<const char*> systems)
{
    for (const char* system : systems) {
        Access(Tbl::Inbox).clearBuffer();
        INB().ACCOUNTID = account;
        INB().ENNAZIV = system;
        INB().NAZIV = system;
        if (Access(Tbl::Inbox).Insert() != 0)
            return false;
    }
    return true;
}

// A fresh database in a temporary folder, reached through the real ODBC driver; every table
// is named and the calling thread's managers start clean.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!testsupport::registerOdbcDriver(&why))
            GTEST_SKIP() << why.toStdString();
        corvalde::load();
        m_folder = std::make_unique<testsupport::TempFolder>();
        THISPCPATH = m_folder->path().toStdString();
        GLO::OWNER = "Driver=SQLite3 ODBC Driver;Database=" + m_folder->file("test.db").toStdString() +
                     ";StepAPI=1;JournalMode=WAL;Timeout=5000";
        corvalde::setTableNames();
        corvalde::KILLTABLEMANAGERS();
        corvalde::CREATETABLEMANAGERS();
        corvalde::BindThreadManagers(&m_errors);
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        corvalde::KILLTABLEMANAGERS();
        GLO::OWNER.clear();
        THISPCPATH.clear();
    }

    // Records what was raised instead of showing it; answers questions from a queue.
    struct RecordingErrors : vrt::ErrorClass {
        std::vector<std::pair<int, QString>> raised;
        std::vector<int> answers; // LEVEL_BENIGN / LEVEL_CANCEL, front first
        int throwMessage(int id, const QString& message = {}) override
        {
            const vrt::ErrorEntry* e = find(id);
            raised.push_back({id, substitute(e ? e->text : QString(), message)});
            if (e && e->category == vrt::LEVEL_USER) {
                if (answers.empty())
                    return vrt::LEVEL_CANCEL;
                const int a = answers.front();
                answers.erase(answers.begin());
                return a;
            }
            return e ? e->category : vrt::LEVEL_PROGRAM;
        }
    };

    // Runs a statement on the thread's connection and returns the first column of each row.
    std::vector<std::string> query(const std::string& sql)
    {
        std::vector<std::string> out;
        vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
        EXPECT_TRUE(s.execDirect(sql)) << sql << ": " << s.error().text;
        while (s.fetch())
            out.push_back(s.text(1).value_or("NULL"));
        return out;
    }
    int count(const std::string& table)
    {
        const auto r = query("SELECT COUNT(*) FROM \"" + table + "\"");
        return r.empty() ? -1 : std::stoi(r[0]);
    }

    std::unique_ptr<testsupport::TempFolder> m_folder;
    RecordingErrors m_errors;
};
