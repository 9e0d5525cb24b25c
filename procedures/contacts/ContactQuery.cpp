#include "procedures/contacts/ContactQuery.h"

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "extensions/QbeForm.h"
#include "procedures/contacts/Contacts.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/Browse.h"
#include "runtime/FileBrowse.h"
#include "runtime/ViewManager.h"
#include "runtime/WindowManager.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <map>

namespace mailpeople {

QString QueryTexts::TRANSLATE(const QString& key)
{
    if (G::QVLang != 1)
        return DTRV::GLOBALCLASS::TRANSLATE(key);
    static const std::map<QString, QString> croatian = {
        {"DTRV::Button:OK", "&OK"},
        {"DTRV::Button:Cancel", "Odustani"},
        {"DTRV::Button:Insert", "&Dodaj"},
        {"DTRV::Button:Change", "&Promijeni"},
        {"DTRV::Button:Delete", "&Briši"},
        {"DTRV::Button:Load", "&Učitaj"},
        {"DTRV::Button:Save", "&Spremi"},
        {"DTRV::Button:Previous", "< &Natrag"},
        {"DTRV::Button:Next", "&Dalje >"},
        {"DTRV::Button:Finish", "&Završi"},
        {"DTRV::Button:Help", "&Pomoć"},
        {"DTRV::MatchType:Title", "Vrsta usporedbe"},
        {"DTRV::AskCriterion:ValueTitle", "Unesite vrijednost"},
        {"DTRV::AskCriterion:RangeTitle", "Unesite granice raspona"},
        {"DTRV::AskCriterion:ValuePrompt", "&Vrijednost:"},
        {"DTRV::AskCriterion:LowerPrompt", "&Donja granica:"},
        {"DTRV::AskCriterion:UpperPrompt", "&Gornja granica:"},
        {"DTRV::ComparisonText:Ignore", "&Zanemari ovo polje"},
        {"DTRV::ComparisonText:Equal", "&Jednako"},
        {"DTRV::ComparisonText:NotEqual", "&Različito"},
        {"DTRV::ComparisonText:MoreThan", "&Veće od"},
        {"DTRV::ComparisonText:LessThan", "&Manje od"},
        {"DTRV::ComparisonText:MoreOrEqual", "Veće &ili jednako"},
        {"DTRV::ComparisonText:LessOrEqual", "Manje i&li jednako"},
        {"DTRV::ComparisonText:InRange", "Unutar &raspona"},
        {"DTRV::ComparisonText:OutsideRange", "Izvan r&aspona"},
        {"DTRV::ComparisonText:BeginsWith", "&Počinje s"},
        {"DTRV::ComparisonText:EndsWith", "&Završava s"},
        {"DTRV::ComparisonText:Contains", "&Sadrži"},
        {"DTRV::ComparisonText:NotContains", "&Ne sadrži"},
        {"DTRV::ComparisonText:ThisMonth", "U ovom &mjesecu svake godine"},
        {"DTRV::ComparisonText:ThisDay", "Na ovaj &dan svakog mjeseca"},
        {"DTRV::ComparisonText:ThisYear", "U ovoj &godini"},
        {"DTRV::ComparisonText:ThisMonthDay", "Na ovaj mjesec + d&an"},
        {"DTRV::ComparisonText:ThisYearMonth", "U ovoj godini + mj&esecu"},
        {"DTRV::BlankString", "[prazno]"},
        {"DTRV::EnterCriteria:Message", "Unesite uvjete traženja"},
        {"DTRV::AskEdit:Message", "Izmijeniti ovaj zapis?"},
        {"DTRV::NoMatches:Message", "Nema zapisa koji odgovaraju uvjetima!"},
        {"DTRV::NoMoreMatches:Message", "Nema više zapisa koji odgovaraju uvjetima!"},
        {"DTRV::CriterionReq:Message", "Morate zadati barem jedno polje za traženje!"},
        {"DTRV::Button:EditThis", "&Izmijeni ovaj"},
        {"DTRV::Button:FindNext", "&Traži sljedeći"},
        {"DTRV::SelectFieldFirst:Title", "Odaberite polje"},
        {"DTRV::SelectFieldFirst:Message",
         "Prije ovog gumba odaberite polje.||Možete i pritisnuti desnu tipku miša dok je pokazivač iznad polja."},
        {"DTRV::TrueString", "Da"},
        {"DTRV::FalseString", "Ne"},
        {"Dentravo Wizard", "Čarobnjak upita"},
        {"Step %1 of 5", "Korak %1 od 5"},
        {"Introduction", "Uvod"},
        {"Load Criteria from Disk", "Učitavanje uvjeta"},
        {"Enter Criteria", "Unos uvjeta"},
        {"Save Criteria to Disk", "Spremanje uvjeta"},
        {"Conclusion", "Završetak"},
        {"This wizard helps you find records: for each field you may give one or more criteria, and only the "
         "records that match them all are listed.\n\nTo proceed with the query, press the [Next] button.",
         "Čarobnjak pomaže pronaći zapise: za svako polje možete zadati jedan ili više uvjeta, a popis će "
         "prikazati samo zapise koji zadovoljavaju sve uvjete.\n\nZa nastavak pritisnite [Dalje]."},
        {"Press [Load] to retrieve a saved criteria set.  Otherwise, press [Next] to proceed.",
         "Pritisnite [Učitaj] za spremljeni skup uvjeta.  Inače pritisnite [Dalje]."},
        {"Press [Save] to memorize the current criteria.  Otherwise, press [Next] to proceed.",
         "Pritisnite [Spremi] da zapamtite uvjete.  Inače pritisnite [Dalje]."},
        {"If you are happy with your entries, then press [Finish] to search the database for matching records.",
         "Ako su uvjeti u redu, pritisnite [Završi] i popis će prikazati zapise koji ih zadovoljavaju."},
    };
    const auto it = croatian.find(key);
    return it != croatian.end() ? it->second : DTRV::GLOBALCLASS::TRANSLATE(key);
}

ContactQuery::ContactQuery(vrt::Browse& browse) : m_list(browse)
{
    m_search.INIT(m_texts, QStringLiteral("Kontakti"));
    m_search.ADDVIEW(m_list);
    const struct {
        const char* name;
        const char* hr;
        const char* en;
    } fields[] = {{"PREZIME", "Prezime", "Surname"}, {"IME", "Ime", "Name"},       {"TVRTKA", "Tvrtka", "Company"},
                  {"GRAD", "Grad", "Town"},          {"EMAIL", "Email", "E-mail"}, {"PHONE1", "Telefon", "Phone"}};
    for (const auto& f : fields)
        m_search.ADDFIELD(QStringLiteral("CON_Contacts"), QStringLiteral("CON"), QLatin1String(f.name),
                          QString::fromUtf8(G::QVLang == 1 ? f.hr : f.en), DTRV::FIELD_STRING);
}

namespace {

// The contacts matching the search, by surname.
class ContactReader : public DTRV::QbeReader {
public:
    explicit ContactReader(vrt::ViewManager& view) : m_view(view) {}
    bool first(const QString& filter) override
    {
        m_view.SetOrder(std::string("+UPPER(CON:PREZIME),+CON:ID"));
        m_view.SetFilter(filter.toStdString());
        return m_view.Open() == vrt::NoError && m_view.Next() == vrt::NoError;
    }
    bool next() override { return m_view.Next() == vrt::NoError; }
    void close() override { m_view.Close(); }

private:
    vrt::ViewManager& m_view;
};

} // namespace

std::optional<long> findContactByForm(QWidget* parent)
{
    for (Tbl t : {Tbl::CON_Contacts, Tbl::CON_Group})
        if (!Access(t).Opened())
            Access(t).Open();
    vrt::FileBrowseSource target(Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts), {});
    ContactForm form(target, vrt::CHANGE_RECORD, parent);
    QueryTexts texts;
    vrt::ViewManager view(Access(Tbl::CON_Contacts));
    ContactReader reader(view);
    DTRV::FORMCLASS search(reader);
    search.INIT(texts, QStringLiteral("F_Contact"));
    const struct {
        const char* name;
        const char* hr;
        const char* en;
    } fields[] = {{"PREZIME", "Prezime", "Surname"}, {"IME", "Ime", "Name"}, {"TVRTKA", "Tvrtka", "Company"},
                  {"GRAD", "Grad", "Town"}, {"EMAIL", "Email", "E-mail"}};
    for (const auto& f : fields)
        search.ADDFIELD(QStringLiteral("CON_Contacts"), QStringLiteral("CON"), QLatin1String(f.name),
                        QString::fromUtf8(G::QVLang == 1 ? f.hr : f.en), DTRV::FIELD_STRING, {}, {}, false,
                        form.entry(QLatin1String(f.name)));
    auto* box = qobject_cast<QDialogButtonBox*>(form.okButton()->parentWidget());
    QPushButton* help = box->addButton(tx(QStringLiteral("Usporedba")), QDialogButtonBox::ActionRole);
    QPushButton* work = box->addButton(tx(QStringLiteral("Traži")), QDialogButtonBox::ActionRole);
    QObject::connect(&search, &DTRV::FORMCLASS::showRecord, &form, [&form] { form.showBuffer(); });
    int response = 0;
    QObject::connect(&search, &DTRV::FORMCLASS::closeForm, &form, [&form, &response](int r) {
        response = r;
        form.done(r == 10 ? QDialog::Accepted : QDialog::Rejected);
    });
    search.PREPAREQBEWINDOW(&form, help, work, form.okButton(), form.cancelButton(), form.heading());
    vrt::runModal(form);
    view.Close();
    if (response != 10)
        return std::nullopt;
    return long(CON().ID);
}

bool ContactQuery::run(QWidget* parent)
{
    if (m_search.RUNWIZARD(parent) != 0)
        return false;
    m_search.CLEANALLCRITERIA();
    m_search.APPLYFILTER();
    return true;
}

} // namespace mailpeople
