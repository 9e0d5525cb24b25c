#include "procedures/documents/DocumentReports.h"

#include <array>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/documents/BusinessData.h"
#include "procedures/documents/ItemCalc.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "runtime/Odbc.h"
#include "runtime/Process.h"
#include "runtime/Report.h"

namespace business {

namespace {

constexpr int kLeft = 0x0001 | 0x0080;  // Qt::AlignLeft | Qt::AlignVCenter
constexpr int kRight = 0x0002 | 0x0080; // Qt::AlignRight | Qt::AlignVCenter

QFont font(double points, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QString text(vrt::odbc::Statement& s, int column) { return QString::fromStdString(s.text(column).value_or("")); }

// Item columns: x and width in millimetres.
struct Col {
    double x, w;
    int align;
};
const Col kCols[] = {{0, 12, kRight}, {14, 56, kLeft}, {71, 12, kLeft}, {84, 18, kRight},
                     {103, 20, kRight}, {124, 18, kRight}, {143, 17, kRight}, {161, 29, kRight}};

} // namespace

bool buildInvoice(long documentId, vrt::Report& report, const Translate& translate, QString* error,
                  vrt::ProgressSink* progress)
{
    auto tr = [&](const char* t) { return translate ? translate(QString::fromUtf8(t)) : QString::fromUtf8(t); };
    openBusinessTables();
    struct Head {
        QString category, mark, note, shipping, methodNumber, amount;
        long customer = 0, term = 0;
    };
    std::optional<Head> head;
    query("SELECT k.NAZIV, d.BROJDOKUMENTA, d.NAPOMENA, d.NACINOTPREME, d.NACINPLACANJA, d.IZNOS_DECIMAL, d.KUPACID, "
          "d.ROKPLACANJA FROM " + table(Tbl::IDokumenti) + " d LEFT JOIN " + table(Tbl::IDKategorija) +
              " k ON k.ID = d.KATEGORIJAID WHERE d.ID = ?",
          {(long long)documentId}, [&](vrt::odbc::Statement& s) {
              head = Head{text(s, 1), text(s, 2), text(s, 3), text(s, 4), text(s, 5), text(s, 6),
                          long(s.integer(7).value_or(0)), long(s.integer(8).value_or(0))};
              return false;
          }, error);
    if (!head) {
        if (error && error->isEmpty())
            *error = QStringLiteral("Dokument ne postoji.");
        return false;
    }
    // LoadHeader: the company keys in full, read afresh.
    const vrt::IniFile ini(corvalde::dataPath(QStringLiteral("Standard.ini")));
    auto key = [&](const char* k) { return ini.get(QStringLiteral("License"), QString::fromLatin1(k)); };
    const QString cityStateZip = key("City") + QStringLiteral(", ") + key("State") + QStringLiteral(", ") + key("Zip");
    // A document without a customer prints an empty customer block.
    QString company, name, street, csz;
    query("SELECT TVRTKA, PREZIME, SREDNJEIME, IME, TADRESA1, TADRESA2, TGRAD, TDRZAVA, TPOSTBROJ FROM " +
              table(Tbl::CON_Contacts) + " WHERE ID = ?",
          {(long long)head->customer}, [&](vrt::odbc::Statement& s) {
              company = text(s, 1);
              // Each column can be read once.
              name = text(s, 2);
              if (const QString middle = text(s, 3); !middle.isEmpty())
                  name += QLatin1Char(' ') + middle;
              name += QLatin1Char(' ') + text(s, 4);
              street = text(s, 5) + QLatin1Char(' ') + text(s, 6);
              csz = text(s, 7) + QStringLiteral(", ") + text(s, 8) + QStringLiteral(", ") + text(s, 9);
              return false;
          });
    const QString method = paymentMethodName(head->methodNumber.toStdString());

    report.clear();
    report.setTitle(head->mark.isEmpty() ? head->category : head->mark);
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(10, 10, 10, 10));
    vrt::ReportBand& h = report.pageHeader;
    h = {};
    h.name = QStringLiteral("header");
    h.height = 72;
    h.addText({0, 0, 100, 8}, key("CompanyName"), font(14, true));
    const QString letter[] = {key("CompanySlogan"), key("Street"), cityStateZip,
                              tr("Telefon:") + QLatin1Char(' ') + key("Phone"), tr("Fax:") + QLatin1Char(' ') + key("Fax"),
                              tr("Email:") + QLatin1Char(' ') + key("Email")};
    for (int i = 0; i < 6; ++i)
        h.addText({0, 9.0 + i * 5, 100, 5}, letter[i], font(9));
    h.addText({105, 0, 85, 8}, head->category, font(14, true), kRight);
    h.addText({105, 9, 85, 6}, head->mark, font(11), kRight);
    h.addText({105, 22, 85, 5}, tr("Naziv kupca:"), font(9, true));
    const QString customerLines[] = {company, name, street, csz};
    for (int i = 0; i < 4; ++i)
        h.addText({105, 27.0 + i * 5, 85, 5}, head->customer ? customerLines[i] : QString(), font(9));
    const char* headings[] = {"Rbr", "Opis", "Jmj", "Količina", "Cijena", "Rabat", "PDV", "Iznos"};
    for (int i = 0; i < 8; ++i)
        h.addText({kCols[i].x, 62, kCols[i].w, 6}, tr(headings[i]), font(9, true), kCols[i].align);
    h.addLine({0, 69, 190, 0}, 0.3);

    // One line per item, read first and printed by the process with its progress; the
    // report's own sums, exact.
    std::vector<std::array<std::string, 8>> rows;
    bool ok = query("SELECT t.RBR, p.NAZIV, p.JM, t.KOLICINA_DECIMAL, t.CIJENA_DECIMAL, t.RABAT_JED_DECIMAL, "
                    "t.POREZ_IZNOS_DECIMAL, t.IZNOS_DECIMAL FROM " + table(Tbl::IDStavke) + " t LEFT JOIN " +
                        table(Tbl::ProizvodUsluga) + " p ON p.ID = t.PROIZVODUSLUGAID WHERE t.DOKUMENTID = ? "
                        "ORDER BY t.RBR, t.ID",
                    {(long long)documentId}, [&](vrt::odbc::Statement& s) {
                        std::array<std::string, 8> r;
                        for (int i = 0; i < 8; ++i)
                            r[size_t(i)] = s.text(i + 1).value_or("");
                        rows.push_back(std::move(r));
                        return true;
                    }, error);
    if (!ok)
        return false;
    vrt::Decimal net, discount, tax;
    size_t next = 0;
    vrt::FunctionSource source([&] { return next < rows.size(); }, (long long)rows.size());
    vrt::Process process(source, [&] {
        const auto& r = rows[next++];
        vrt::ReportBand line;
        line.name = QStringLiteral("item");
        line.height = 5.5;
        const QString cells[8] = {QString::fromStdString(r[0]), QString::fromStdString(r[1]), QString::fromStdString(r[2]),
                                  formatAmount(r[3]), formatAmount(r[4]), formatAmount(r[5]), formatAmount(r[6]),
                                  formatAmount(r[7])};
        for (int i = 0; i < 8; ++i)
            line.addText({kCols[i].x, 0, kCols[i].w, 5.5}, cells[i], font(9), kCols[i].align);
        discount += ItemCalc::value(r[5]);
        tax += ItemCalc::value(r[6]);
        net += ItemCalc::value(r[7]);
        report.print(line);
        return vrt::Process::Take::Next;
    });
    process.setTitle(QStringLiteral("R_IzlazniDokument"));
    // "Cancel" in the progress window ends the report with nothing to show.
    if (process.run(progress) != vrt::Process::Result::Completed)
        return false;

    vrt::ReportBand closing;
    closing.name = QStringLiteral("closing");
    closing.height = 34;
    closing.addLine({0, 1, 190, 0}, 0.3);
    closing.addText({0, 3, 110, 5}, head->note, font(9)).wrap = true;
    const QString terms[3][2] = {{tr("Rok plaćanja:"), head->term ? QString::number(head->term) : QStringLiteral("0")},
                                 {tr("Način plaćanja:"), method.isEmpty() ? QString() : (translate ? translate(method) : method)},
                                 {tr("Način otpreme:"), head->shipping}};
    for (int i = 0; i < 3; ++i) {
        closing.addText({0, 14.0 + i * 5, 32, 5}, terms[i][0], font(9));
        closing.addText({33, 14.0 + i * 5, 80, 5}, terms[i][1], font(9));
    }
    const QString totals[4][2] = {{tr("Ukupno:"), formatAmount(net.toString())},
                                  {tr("Rabat:"), formatAmount(discount.toString())},
                                  {tr("PDV:"), formatAmount(tax.toString())},
                                  {tr("Sveukupno:"), formatAmount(head->amount.toStdString())}};
    for (int i = 0; i < 4; ++i) {
        const bool bold = i == 3;
        closing.addText({125, 3.0 + i * 6, 30, 5.5}, totals[i][0], font(9, bold));
        closing.addText({155, 3.0 + i * 6, 35, 5.5}, totals[i][1], font(9, bold), kRight);
    }
    report.print(closing);
    return true;
}

bool buildInputDocument(long documentId, vrt::Report& report, const Translate& translate, QString* error)
{
    auto tr = [&](const char* t) { return translate ? translate(QString::fromUtf8(t)) : QString::fromUtf8(t); };
    openBusinessTables();
    bool found = false;
    QString date, category, supplier, mark, amount, note;
    query("SELECT d.DATUM, k.NAZIV, c.TVRTKA, d.BROJDOKUMENTA, d.IZNOS_DECIMAL, d.NAPOMENA FROM " + table(Tbl::UDokumenti) +
              " d LEFT JOIN " + table(Tbl::UDKategorija) + " k ON k.ID = d.KATEGORIJAID LEFT JOIN " +
              table(Tbl::CON_Contacts) + " c ON c.ID = d.DOBAVLJACID WHERE d.ID = ?",
          {(long long)documentId}, [&](vrt::odbc::Statement& s) {
              found = true;
              const QDate d = QDate::fromString(text(s, 1), Qt::ISODate);
              date = d.isValid() ? QLocale().toString(d, QLocale::ShortFormat) : QString();
              category = text(s, 2);
              supplier = text(s, 3);
              mark = text(s, 4);
              amount = formatAmount(s.text(5).value_or(""));
              note = text(s, 6);
              return false;
          }, error);
    if (!found) {
        if (error && error->isEmpty())
            *error = QStringLiteral("Dokument ne postoji.");
        return false;
    }
    report.clear();
    report.setTitle(mark);
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(10, 10, 10, 10));
    vrt::ReportBand& h = report.pageHeader;
    h = {};
    h.height = 14;
    h.addText({0, 0, 25, 6}, tr("Datum:"), font(10, true));
    h.addText({26, 0, 60, 6}, date, font(10));
    h.addText({0, 6, 25, 6}, tr("Kategorija:"), font(10, true));
    h.addText({26, 6, 160, 6}, category, font(10));
    vrt::ReportBand block;
    block.height = 30;
    const QString rows[3][2] = {{tr("Dobavljač:"), supplier}, {tr("Oznaka:"), mark}, {tr("Iznos:"), amount}};
    for (int i = 0; i < 3; ++i) {
        block.addText({0, 2.0 + i * 6, 25, 6}, rows[i][0], font(10, true));
        block.addText({26, 2.0 + i * 6, 160, 6}, rows[i][1], font(10));
    }
    block.addText({0, 20, 25, 6}, tr("Napomena:"), font(10, true));
    block.addText({26, 20, 164, 6}, note, font(10)).wrap = true;
    report.print(block);
    return true;
}

} // namespace business
