#pragma once
#include <QString>
#include <functional>
#include <optional>

class QHeaderView;
class QWidget;
namespace vrt { class Browse; }

// The windows of the business records: products, document categories, the item and
// document forms, and the company settings. Each update form takes its request from
// GLOBALREQUEST and leaves its answer in GLOBALRESPONSE; a list opened with SELECT_RECORD is
// a picker that leaves the chosen row in its record buffer.
namespace business {

class Forms {
public:
    // Texts pass `translate` (none: as they are); `parent` owns the windows.
    explicit Forms(std::function<QString(const QString&)> translate = {}, QWidget* parent = nullptr)
        : parent(parent), m_translate(std::move(translate)) {}
    QWidget* parent = nullptr;

    const std::function<QString(const QString&)>& translate() const { return m_translate; }
    QString tr(const QString& text) const { return m_translate ? m_translate(text) : text; }

    void F_Proizvodi();
    int T_Proizvodi(int request);
    void F_ID_Kategorija();
    int T_ID_Kategorija(int request);
    void F_UD_Kategorija();
    int T_UD_Kategorija(int request);
    void F_ID_Stavke();
    void F_ID_Dokumenti(std::optional<long> contactId);
    void F_UD_Dokumenti(std::optional<long> contactId);
    void W_Postavke();

    // The contact browse in pick mode (group tree, a new contact starts in the shown group).
    // The customer and supplier picker: the chosen contact's number, nullopt when cancelled.
    std::optional<long> T_Kontakti(long current);

    // Says `text` (translated) with the question icon, as the forms' refusals do.
    void say(const QString& text, bool stopIcon = false) const;

private:
    std::function<QString(const QString&)> m_translate;
};

class TableListSource;
// A click on a column heading orders the list by that column (again: the other way round);
// the order is not remembered. The browse keeps its selected record; `shown` redraws.
void sortByHeader(QHeaderView* header, TableListSource& source, vrt::Browse& browse, const std::function<void()>& shown);

// [Porez] Stopa of the data folder's Standard.ini: the rate a new item proposes.
QString proposedTaxRate();

} // namespace business
