#include "procedures/finance/FinanceForms.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "controls/Images.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/DateTime.h"
#include "runtime/Decimal.h"
#include "runtime/Dialogs.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace finance {

QString amountScreenText(const QString& stored)
{
    const auto d = vrt::Decimal::parse(QStringView(stored).trimmed());
    if (!d || d->isZero())
        return {};
    return d->format(2, u',', u'.');
}

std::optional<QString> amountFromScreen(const QString& typed)
{
    QString t = typed.trimmed();
    t.remove(QLatin1Char(' ')).remove(QChar(0x00A0));
    if (t.isEmpty())
        return QStringLiteral("0");
    std::optional<vrt::Decimal> d;
    static const QRegularExpression pointDecimal(QStringLiteral("^[-+]?\\d*\\.\\d{1,2}$"));
    if (!t.contains(QLatin1Char(',')) && pointDecimal.match(t).hasMatch())
        d = vrt::Decimal::parse(QStringView(t));
    else
        d = vrt::Decimal::parse(QStringView(t), u',', u'.');
    if (!d)
        return std::nullopt;
    if (d->scale() > 2)
        d = d->round(2);
    return QString::fromStdString(d->toString());
}

namespace {

QString trText(const Translate& translate, const QString& text) { return translate ? translate(text) : text; }

// A form's record: the table manager over its buffer, the row primed by the caller or here.
class TableTarget : public vrt::FormTarget {
public:
    explicit TableTarget(Tbl table) : m_table(table) {}
    bool primed() const override { return Access(m_table).HasReservedRow(); }
    bool prime() override { return Access(m_table).PrimeRecord(true) == 0; }
    bool save() override { return Access(m_table).TryUpdate() == 0; }
    bool remove() override { return Relate(m_table).Delete(false) == 0; }
    bool cancelAutoInc() override { return Access(m_table).CancelAutoInc(&Relate(m_table)) == 0; }
    QString lastError() const override { return Access(m_table).ErrorText(); }

private:
    Tbl m_table;
};

QDate parseDate(const QString& text)
{
    const QString t = text.trimmed();
    QDate d = QLocale().toDate(t, QLocale::ShortFormat);
    for (const char* form : {"d.M.yyyy", "d.M.yyyy.", "d.M.yy", "yyyy-MM-dd", "M/d/yyyy", "d/M/yyyy"})
        if (!d.isValid())
            d = QDate::fromString(t, QLatin1String(form));
    if (d.isValid() && d.year() < 100)
        d = d.addYears(2000);
    return d;
}

QString dateText(int day) { return day ? QLocale().toString(vrt::dateFromDay(day), QLocale::ShortFormat) : QString(); }

QString categoryName(long id)
{
    vrt::FileManager& f = Access(Tbl::APrihodiRashodiKategorija);
    APRK().ID = int32_t(id);
    if (id == 0 || f.TryFetch(APRK.IDKey) != 0)
        return {};
    return QString::fromStdString(APRK().NAZIV);
}

// The stored amount fits its column; a longer one is refused, never cut.
bool amountFits(const QString& stored)
{
    const vrt::TableDesc& t = *Access(Tbl::PrihodiRashodi).FILE;
    return stored.size() <= t.fields[size_t(t.fieldIndex("IZNOS_DECIMAL"))].maxChars();
}

// The entry window: the amount and date are checked before the framework stores anything.
class EntryDialog : public vrt::UpdateDialog {
public:
    EntryDialog(vrt::UpdateFormController& c, const QString& title, const Translate& translate, QWidget* parent = nullptr)
        : vrt::UpdateDialog(c, title, parent), m_translate(translate)
    {
        if (QLineEdit* date = entry(QStringLiteral("DATUM"))) {
            QAction* pick = date->addAction(controls::imageIcon({}, QStringLiteral("down.ico")), QLineEdit::TrailingPosition);
            pick->setObjectName(QStringLiteral("CALENDAR"));
            connect(pick, &QAction::triggered, this, [this, date] { pickDate(date); });
        }
    }

    void accept() override
    {
        if (m_editable) {
            const auto amount = amountFromScreen(entry(QStringLiteral("IZNOS_DECIMAL"))->text());
            if (!amount || !amountFits(*amount)) {
                vrt::message(amount ? trText(m_translate, QStringLiteral("Iznos ne stane u polje:")) + QLatin1Char(' ')
                                          + trText(m_translate, QStringLiteral("Iznos:"))
                                    : trText(m_translate, QStringLiteral("Iznos nije ispravan broj.")),
                             QString(), vrt::Icon::Exclamation);
                entry(QStringLiteral("IZNOS_DECIMAL"))->setFocus();
                return;
            }
            const QString date = entry(QStringLiteral("DATUM"))->text();
            if (!date.trimmed().isEmpty() && !parseDate(date).isValid()) {
                vrt::message(trText(m_translate, QStringLiteral("Datum nije ispravan.")), QString(), vrt::Icon::Exclamation);
                entry(QStringLiteral("DATUM"))->setFocus();
                return;
            }
        }
        vrt::UpdateDialog::accept();
    }
    bool m_editable = true;

private:
    void pickDate(QLineEdit* date)
    {
        QDialog box(this);
        box.setWindowTitle(QStringLiteral("Date"));
        auto* layout = new QVBoxLayout(&box);
        auto* calendar = new QCalendarWidget(&box);
        const QDate shown = parseDate(date->text());
        calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
        layout->addWidget(calendar);
        connect(calendar, &QCalendarWidget::activated, &box, &QDialog::accept);
        connect(calendar, &QCalendarWidget::clicked, &box, &QDialog::accept);
        pxp::themeLibraryWindow(&box);
        if (vrt::runModal(box) == QDialog::Accepted)
            date->setText(QLocale().toString(calendar->selectedDate(), QLocale::ShortFormat));
        date->setFocus();
    }
    Translate m_translate;
};

int finish(int response)
{
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace

int F_PrihodiRashodi(long categoryId, int type, const Translate& translate)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    TableTarget target(Tbl::PrihodiRashodi);
    if (request == vrt::INSERT_RECORD) {
        if (categoryId == 0 || type == 0) {
            // A row without a category would never show in the tree: refuse it.
            vrt::stop(QStringLiteral("F_PrihodiRashodi SrediProzor NOT - pn:KategorijaID : ") + QString::number(categoryId)
                      + QStringLiteral(" pn:Tip : ") + QString::number(type));
            if (target.primed())
                target.cancelAutoInc();
            return finish(vrt::REQUEST_CANCELLED);
        }
        if (!target.primed() && !target.prime())
            return finish(vrt::REQUEST_CANCELLED);
        PR().KATEGORIJAID = int32_t(categoryId);
        PR().TIPID = type;
        PR().DATUM = vrt::today();
    }
    vrt::UpdateFormController c(target, request, QStringLiteral("F_PrihodiRashodi"));
    c.translate = translate;
    c.setAskDelete(false);
    c.setFields({
        {QStringLiteral("KATEGORIJA"), trText(translate, QStringLiteral("Kategorija:")),
         [] { return categoryName(PR().KATEGORIJAID); }, {}, true},
        {QStringLiteral("DATUM"), trText(translate, QStringLiteral("Datum:")), [] { return dateText(PR().DATUM); },
         [](const QString& t) { const QDate d = parseDate(t); PR().DATUM = d.isValid() ? vrt::dayFromDate(d) : 0; }},
        {QStringLiteral("NAZIV"), trText(translate, QStringLiteral("Naziv:")), [] { return QString::fromStdString(PR().NAZIV); },
         [](const QString& t) { PR().NAZIV = t.left(254).toStdString(); }},
        {QStringLiteral("IZNOS_DECIMAL"), trText(translate, QStringLiteral("Iznos:")),
         [] { return amountScreenText(QString::fromStdString(PR().IZNOS_DECIMAL)); },
         [](const QString& t) { PR().IZNOS_DECIMAL = amountFromScreen(t).value_or(QStringLiteral("0")).toStdString(); }},
        {QStringLiteral("NAPOMENA"), trText(translate, QStringLiteral("Napomena:")),
         [] { return QString::fromStdString(PR().NAPOMENA); },
         [](const QString& t) { PR().NAPOMENA = t.left(7999).toStdString(); }},
    });
    EntryDialog dialog(c, trText(translate, QStringLiteral("Prihodi/troškovi")), translate);
    dialog.m_editable = c.editable();
    dialog.setCancelText(trText(translate, QStringLiteral("Prekid")));
    if (request != vrt::DELETE_RECORD)
        if (QLineEdit* name = dialog.entry(QStringLiteral("NAZIV")))
            dialog.setFocusProxy(name), name->setFocus();
    pxp::themeLibraryWindow(&dialog);
    return finish(dialog.run());
}

int F_PrihodiRashodiKategorija(const Translate& translate)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    TableTarget target(Tbl::PrihodiRashodiKategorija);
    vrt::UpdateFormController c(target, request, QStringLiteral("F_PrihodiRashodiKategorija"));
    c.translate = translate;
    c.setAskDelete(false);
    c.setFields({
        {QStringLiteral("NAZIV"), trText(translate, QStringLiteral("Naziv:")), [] { return QString::fromStdString(PRK().NAZIV); },
         [](const QString& t) { PRK().NAZIV = t.left(254).toStdString(); }},
        {QStringLiteral("NAPOMENA"), trText(translate, QStringLiteral("Napomena:")),
         [] { return QString::fromStdString(PRK().NAPOMENA); },
         [](const QString& t) { PRK().NAPOMENA = t.left(7999).toStdString(); }},
    });
    vrt::UpdateDialog dialog(c, trText(translate, QStringLiteral("Kategorija")));
    dialog.setCancelText(trText(translate, QStringLiteral("Prekid")));
    pxp::themeLibraryWindow(&dialog);
    return finish(dialog.run());
}

} // namespace finance
