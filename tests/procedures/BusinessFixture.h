#pragma once
// The organiser window as W_First builds it, over a fresh database, with the business forms
// in place of their stand-ins; modal windows are driven by name through a script.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>

#include <deque>
#include <functional>
#include <map>

#include "data/TableManagers.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/documents/BusinessData.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/ProcedureRecorders.h"
#include "runtime/BrowseView.h"
#include "runtime/Notify.h"
#include "tests/data/DataFixture.h"
#include "tests/procedures/TreeQueuesGuard.h"
#include "tests/support/TestSupport.h"

namespace bt {

// Answers each modal window by its object name with the next step queued for that name;
// a window with no step left is rejected. What is queued to happen after the window opened
// (the pickers a new document opens) runs before the step.
struct Script {
    using Step = std::function<int(QDialog&)>;
    std::map<QString, std::deque<Step>> steps;
    QStringList opened;
    testsupport::ScopedDialogRunner scope{[this](QDialog& d) { return run(d); }};

    void on(const QString& name, Step step) { steps[name].push_back(std::move(step)); }
    int run(QDialog& d)
    {
        opened << d.objectName();
        QApplication::processEvents();
        auto it = steps.find(d.objectName());
        if (it == steps.end() || it->second.empty())
            return QDialog::Rejected;
        Step step = std::move(it->second.front());
        it->second.pop_front();
        return step(d);
    }
};

inline QAbstractButton* button(QDialog& d, const char* name)
{
    auto* b = d.findChild<QAbstractButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}
inline int click(QDialog& d, const char* name)
{
    if (QAbstractButton* b = button(d, name))
        b->click();
    return d.result();
}
// Types into an entry as a user does: the text, then leaving the entry.
inline void type(QDialog& d, const char* name, const QString& text)
{
    auto* e = d.findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(e, nullptr) << name;
    e->setText(text);
    e->setModified(true);
    emit e->editingFinished();
}
inline QString shown(QDialog& d, const char* name)
{
    auto* e = d.findChild<QLineEdit*>(QString::fromLatin1(name));
    return e ? e->text() : QStringLiteral("<none>");
}
// Picks the row with `id` in a pick list.
inline int pick(QDialog& d, long id)
{
    auto* view = d.findChild<vrt::BrowseView*>(QStringLiteral("?LIST"));
    EXPECT_NE(view, nullptr);
    if (!view)
        return QDialog::Rejected;
    // The contact browse shows one group at a time: the contact's group first.
    if (auto* contacts = qobject_cast<mailpeople::ContactsBrowse*>(&d))
        contacts->showContact(id);
    EXPECT_TRUE(view->browse().selectId(QVariant::fromValue<qlonglong>(id))) << id;
    return click(d, "?SELECT");
}

class BusinessTest : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The library's start-up takes the current folder as the data folder: keep the test's.
        VelmoraDll::load();
        THISPCPATH = m_folder->path().toStdString();
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(organiser::W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        window.reset();
        DataTest::TearDown();
    }
    organiser::FormTable& forms() { return *window->formTable(); }

    long addProduct(const char* name)
    {
        PRU() = ProizvodUsluga_Rec{};
        PRU().NAZIV = name;
        PRU().JM = "kom";
        EXPECT_EQ(Access(Tbl::ProizvodUsluga).Insert(), 0);
        return PRU().ID;
    }
    long addCategory(Tbl t, const char* name)
    {
        auto& rec = *static_cast<IDKategorija_Rec*>(corvalde::threadBuffer(t));
        rec = IDKategorija_Rec{};
        rec.NAZIV = name;
        EXPECT_EQ(Access(t).Insert(), 0);
        return rec.ID;
    }
    long addContact(const char* company, const char* surname = "Horvat", const char* middle = "", const char* name = "Ana")
    {
        CON() = CON_Contacts_Rec{};
        CON().TVRTKA = company;
        CON().PREZIME = surname;
        CON().SREDNJEIME = middle;
        CON().IME = name;
        EXPECT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
        return CON().ID;
    }
    long addDocument(long category, long customer = 0)
    {
        ID() = IDokumenti_Rec{};
        ID().KATEGORIJAID = int32_t(category);
        ID().KUPACID = int32_t(customer);
        ID().IZNOS_DECIMAL = "0";
        EXPECT_EQ(Access(Tbl::IDokumenti).Insert(), 0);
        return ID().ID;
    }
    long addItem(long document, long product, const char* net, const char* tax, const char* gross, const char* discount = "0")
    {
        IDS() = IDStavke_Rec{};
        IDS().DOKUMENTID = int32_t(document);
        IDS().PROIZVODUSLUGAID = int32_t(product);
        IDS().KOLICINA_DECIMAL = "1";
        IDS().CIJENA_DECIMAL = net;
        IDS().RABAT_JED_DECIMAL = discount;
        IDS().POREZ_IZNOS_DECIMAL = tax;
        IDS().IZNOS_DECIMAL = net;
        IDS().IZNOS_SPDVOM_DECIMAL = gross;
        EXPECT_EQ(Access(Tbl::IDStavke).Insert(), 0);
        return IDS().ID;
    }
    // Puts a row into its buffer as a list does before it opens a form.
    void load(Tbl t, long id)
    {
        auto* rec = corvalde::threadBuffer(t);
        *static_cast<int32_t*>(corvalde::declaration(t).fields[0].at(rec)) = int32_t(id);
        ASSERT_EQ(Access(t).TryFetch(0), 0);
    }
    std::string one(const std::string& sql) { const auto r = query(sql); return r.empty() ? std::string("<none>") : r[0]; }
    std::string tableName(Tbl t) { return business::table(t); }

    std::unique_ptr<organiser::OrganiserWindow> window;
};

} // namespace bt
