#include "procedures/calendar/CalendarForms.h"

#include <algorithm>
#include <optional>

#include <QBoxLayout>
#include <QColorDialog>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include "chrome/QuickDateKeys.h"
#include "controls/CalendarModel.h"
#include "controls/Images.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/calendar/TaskRules.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "procedures/calendar/CalendarRoutines.h"
#include "runtime/BrowseLocatorView.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Odbc.h"
#include "runtime/Report.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace mailpeople {

namespace {

constexpr long kNoPartner = 9999999;

QString failure(vrt::FileManager& f, int rc) { return QString::number(rc) + QStringLiteral(" : ") + f.ErrorText(); }

// The user's short date with a four-digit year, whatever the locale's own pattern says.
QString longYearDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString contactName(long id, QString* company = nullptr)
{
    if (id == 0 || id == kNoPartner)
        return {};
    vrt::FileManager& f = Access(Tbl::ACON_ContactsAlias);
    f.clearBuffer();
    ACON().ID = int32_t(id);
    if (f.TryFetch(ACON.IDKey) != 0)
        return {};
    if (company)
        *company = QString::fromStdString(ACON().TVRTKA);
    return (QString::fromStdString(ACON().PREZIME) + QLatin1Char(' ') + QString::fromStdString(ACON().IME)).trimmed();
}

bool contactExists(long id)
{
    if (id == 0 || id == kNoPartner)
        return false;
    vrt::FileManager& f = Access(Tbl::ACON_ContactsAlias);
    f.clearBuffer();
    ACON().ID = int32_t(id);
    return f.TryFetch(ACON.IDKey) == 0;
}

QString categoryName(long id)
{
    if (id == 0)
        return {};
    vrt::FileManager& f = Access(Tbl::ACAL_EventCategories);
    f.clearBuffer();
    ACALC().ID = int32_t(id);
    return f.TryFetch(ACALC.CategorieIDKey) == 0 ? QString::fromStdString(ACALC().CATEGORIENAME) : QString();
}

// The key under which a list of the task form keeps its column layout.
QString layoutKey(const QTableWidget* list) { return QStringLiteral("?L:") + list->objectName(); }

void selectRow(QTableWidget* list, int row)
{
    if (row < 0)
        list->setCurrentCell(-1, -1);
    else
        list->setCurrentCell(row, 0);
}

QPixmap swatch(const QColor& colour, QSize size = {40, 14})
{
    QPixmap p(size);
    p.fill(colour);
    return p;
}

} // namespace

// ---- categories ----------------------------------------------------------------------------

std::optional<long> T_TaskKategorija(QWidget* parent, bool pick, long current, const Translate& trIn, const QString&)
{
    const auto tr = [&trIn](const QString& t) { return trIn ? trIn(t) : t; };
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("T_TaskKategorija"));
    dialog.setWindowTitle(tr(QStringLiteral("Kategorije")));
    auto* box = new QHBoxLayout(&dialog);
    auto* list = new QTableWidget(&dialog);
    list->setColumnCount(2);
    list->setHorizontalHeaderLabels({tr(QStringLiteral("Naziv")), QString()});
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->setColumnWidth(0, 221);
    list->setColumnWidth(1, 60);
    // Typing picks the first category whose name starts with what was typed.
    CFCQUEUELOCATORCLASS locator;
    locator.INIT(list);
    locator.SETACTIVELOCATOR(0);
    struct Row {
        long id, order;
    };
    std::vector<Row> rows;
    auto fill = [&] {
        const long keep = list->currentRow() >= 0 && size_t(list->currentRow()) < rows.size() ? rows[size_t(list->currentRow())].id : current;
        list->setRowCount(0);
        rows.clear();
        vrt::FileManager& f = Access(Tbl::ACAL_EventCategories);
        f.clearBuffer();
        if (f.Set(ACALC.CategorieIDKey) == 0)
            while (f.Next() == 0)
                rows.push_back({ACALC().ID, ACALC().ORDER});
        // By order, then identifier; the names and colours read again in that order.
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.order != b.order ? a.order < b.order : a.id < b.id; });
        for (const Row& r : rows) {
            f.clearBuffer();
            ACALC().ID = int32_t(r.id);
            f.TryFetch(ACALC.CategorieIDKey);
            const int at = list->rowCount();
            list->insertRow(at);
            list->setItem(at, 0, new QTableWidgetItem(QString::fromStdString(ACALC().CATEGORIENAME)));
            // The swatch keeps its colour when the row is selected: it is a picture, not a
            // background the selection paints over.
            auto* colour = new QTableWidgetItem;
            colour->setData(Qt::DecorationRole, swatch(controls::colourFromRgbValue(ACALC().CATEGORIECOLOR)));
            list->setItem(at, 1, colour);
            if (r.id == keep)
                list->selectRow(at);
        }
        if (list->currentRow() < 0 && list->rowCount() > 0)
            list->selectRow(0);
    };
    fill();
    auto* buttons = new QVBoxLayout;
    auto button = [&](const QString& text) {
        auto* b = new QPushButton(tr(text), &dialog);
        buttons->addWidget(b);
        return b;
    };
    std::optional<long> chosen;
    auto run = [&](int request) {
        const int row = list->currentRow();
        vrt::FileManager& f = Access(Tbl::CAL_EventCategories);
        if (request == vrt::INSERT_RECORD) {
            f.clearBuffer();
        } else {
            if (row < 0 || size_t(row) >= rows.size())
                return;
            f.clearBuffer();
            CALC().ID = int32_t(rows[size_t(row)].id);
            if (f.TryFetch(CALC.CategorieIDKey) != 0)
                return;
        }
        GLOBALREQUEST = uint8_t(request);
        F_TaskCategorie(&dialog, trIn);
        fill();
    };
    QObject::connect(button(QStringLiteral("Unos")), &QPushButton::clicked, &dialog, [&] { run(vrt::INSERT_RECORD); });
    QObject::connect(button(QStringLiteral("Izmjena")), &QPushButton::clicked, &dialog, [&] { run(vrt::CHANGE_RECORD); });
    QObject::connect(button(QStringLiteral("Brisanje")), &QPushButton::clicked, &dialog, [&] { run(vrt::DELETE_RECORD); });
    auto select = [&] {
        const int row = list->currentRow();
        if (row < 0 || size_t(row) >= rows.size())
            return;
        // The pseudo-category by its identifier and order, not by its (translatable) name.
        if (rows[size_t(row)].id == panes::kAllCategories || rows[size_t(row)].order == panes::kAllCategoriesOrder) {
            vrt::message(tr(QStringLiteral("Ova kategorija ne može biti odabrana !")), {}, vrt::Icon::Question);
            return;
        }
        chosen = rows[size_t(row)].id;
        dialog.accept();
    };
    QPushButton* selectButton = button(QStringLiteral("Izbor"));
    selectButton->setObjectName(QStringLiteral("SELECT"));
    selectButton->setVisible(pick);
    QObject::connect(selectButton, &QPushButton::clicked, &dialog, select);
    if (pick)
        QObject::connect(list, &QTableWidget::cellDoubleClicked, &dialog, select);
    QObject::connect(button(QStringLiteral("Zatvori")), &QPushButton::clicked, &dialog, &QDialog::reject);
    buttons->addStretch(1);
    box->addWidget(list, 1);
    box->addLayout(buttons);
    dialog.resize(420, 360);
    pxp::themeLibraryWindow(&dialog);
    vrt::runModal(dialog);
    GLOBALRESPONSE = chosen || !pick ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED;
    return chosen;
}

void F_TaskCategorie(QWidget* parent, const Translate& trIn)
{
    const auto tr = [&trIn](const QString& t) { return trIn ? trIn(t) : t; };
    const int request = GLOBALREQUEST;
    GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
    vrt::FileManager& f = Access(Tbl::CAL_EventCategories);
    const bool primed = f.HasReservedRow();
    CAL_EventCategories_Rec& r = CALC();

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("F_TaskCategorie"));
    dialog.setWindowTitle(tr(QStringLiteral("Kategorije")));
    auto* form = new QFormLayout(&dialog);
    auto* title = new QLabel(&dialog);
    title->setObjectName(QStringLiteral("NASLOV"));
    if (request == vrt::INSERT_RECORD)
        title->setText(tr(QStringLiteral("Unos novog zapisa")));
    else if (request == vrt::CHANGE_RECORD)
        title->setText(tr(QStringLiteral("Izmjena zapisa")));
    else if (request == vrt::DELETE_RECORD) {
        title->setText(tr(QStringLiteral("BRISANJE zapisa")));
        title->setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    }
    form->addRow(title);
    auto* name = new QLineEdit(QString::fromStdString(r.CATEGORIENAME), &dialog);
    name->setObjectName(QStringLiteral("CATEGORIENAME"));
    name->setMaxLength(99);
    form->addRow(tr(QStringLiteral("Naziv kategorije:")), name);
    long colour = request == vrt::INSERT_RECORD && r.CATEGORIECOLOR == 0 ? 16777215 : r.CATEGORIECOLOR;
    auto* colourRow = new QHBoxLayout;
    auto* shown = new QLabel(&dialog);
    shown->setObjectName(QStringLiteral("CATEGORIECOLOR"));
    shown->setPixmap(swatch(controls::colourFromRgbValue(colour), {60, 18}));
    auto* pickColour = new QPushButton(tr(QStringLiteral("Boja...")), &dialog);
    pickColour->setObjectName(QStringLiteral("POPCOLORSELECT"));
    colourRow->addWidget(shown);
    colourRow->addWidget(pickColour);
    colourRow->addStretch(1);
    form->addRow(tr(QStringLiteral("Boja:")), colourRow);
    // Standard categories get their colour back whenever the tasks tab is shown.
    const bool standard = panes::isStandardCategory(r.ID, r.ORDER);
    pickColour->setEnabled(request == vrt::INSERT_RECORD || (request == vrt::CHANGE_RECORD && !standard));
    name->setReadOnly(!(request == vrt::INSERT_RECORD || request == vrt::CHANGE_RECORD));
    QObject::connect(pickColour, &QPushButton::clicked, &dialog, [&] {
        QColor c = controls::colourFromRgbValue(colour);
        if (vrt::colorDialog(QStringLiteral("Select a color"), c)) {
            colour = controls::rgbValueFromColour(c);
            shown->setPixmap(swatch(c, {60, 18}));
        }
    });
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OK"));
    buttons->addButton(tr(QStringLiteral("Prekid")), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (request != vrt::INSERT_RECORD && request != vrt::CHANGE_RECORD && request != vrt::DELETE_RECORD) {
            dialog.reject();
            return;
        }
        bool used = false;
        if (request == vrt::DELETE_RECORD) {
            vrt::FileManager& events = Access(Tbl::ACAL_CalendarEvents);
            events.clearBuffer();
            ACAL().LABELID = r.ID;
            used = events.TryFetch(ACAL.Labels) == 0;
        }
        if (const QString refusal = categoryRefusal(request, r.ID, r.ORDER, used); !refusal.isEmpty()) {
            vrt::message(tr(refusal), {}, vrt::Icon::Question);
            dialog.reject(); // closes without changing the table
            return;
        }
        const QString newName = name->text().trimmed();
        if (request != vrt::DELETE_RECORD && newName.isEmpty()) {
            vrt::message(tr(QStringLiteral("Upišite naziv kategorije.")), {}, vrt::Icon::Exclamation);
            name->setFocus();
            return;
        }
        vrt::odbc::Connection* connection = f.session().connection();
        std::optional<vrt::odbc::Transaction> tx;
        if (connection)
            tx.emplace(*connection);
        int rc = 0;
        if (request == vrt::DELETE_RECORD) {
            rc = f.DeleteRecord();
        } else {
            const long id = r.ID;
            if (request == vrt::INSERT_RECORD) {
                // Renumbered on OK only, in the same transaction as the new row.
                std::vector<CategoryOrder> current;
                vrt::FileManager& all = Access(Tbl::ACAL_EventCategories);
                all.clearBuffer();
                if (all.Set(ACALC.CategorieIDKey) == 0)
                    while (all.Next() == 0)
                        if (ACALC().ID != id)
                            current.push_back({ACALC().ID, ACALC().ORDER});
                long newOrder = 1;
                for (const CategoryOrder& c : renumberedOrders(current, &newOrder)) {
                    all.clearBuffer();
                    ACALC().ID = int32_t(c.id);
                    if (all.TryFetch(ACALC.CategorieIDKey) != 0 || ACALC().ORDER == c.order)
                        continue;
                    ACALC().ORDER = int32_t(c.order);
                    if (const int w = all.TryUpdate()) {
                        vrt::stop(QStringLiteral("F_TaskCategorie WriteRedoslijed :") + failure(all, w));
                        return;
                    }
                }
                r.ORDER = int32_t(newOrder);
            }
            r.CATEGORIENAME = newName.toStdString();
            r.CATEGORIECOLOR = int32_t(colour);
            rc = request == vrt::INSERT_RECORD && !primed ? f.TryInsert() : f.TryUpdate();
        }
        if (rc != 0) {
            vrt::message(failure(f, rc), tr(QStringLiteral("Greška")), vrt::Icon::Exclamation);
            return;
        }
        if (tx && !tx->commit()) {
            vrt::message(QString::fromStdString(connection->error().text), tr(QStringLiteral("Greška")), vrt::Icon::Exclamation);
            return;
        }
        GLOBALRESPONSE = vrt::REQUEST_COMPLETED;
        dialog.accept();
    });
    pxp::themeLibraryWindow(&dialog);
    vrt::runModal(dialog);
    if (GLOBALRESPONSE != vrt::REQUEST_COMPLETED && request == vrt::INSERT_RECORD && primed)
        f.CancelAutoInc();
}

// ---- the table as a form target ------------------------------------------------------------

bool TableTarget::primed() const { return Access(Tbl(m_table)).HasReservedRow(); }

bool TableTarget::prime()
{
    vrt::FileManager& f = Access(Tbl(m_table));
    // A clean record the form fills; the row is added on OK, numbered by the table.
    f.clearBuffer();
    m_insert = true;
    return true;
}

bool TableTarget::save()
{
    vrt::FileManager& f = Access(Tbl(m_table));
    const int rc = m_insert ? f.TryInsert() : f.TryUpdate();
    m_error = rc ? f.ErrorText() : QString();
    if (rc == 0)
        m_insert = false;
    return rc == 0;
}

bool TableTarget::remove()
{
    vrt::FileManager& f = Access(Tbl(m_table));
    const int rc = f.DeleteRecord();
    m_error = rc ? f.ErrorText() : QString();
    return rc == 0;
}

bool TableTarget::cancelAutoInc()
{
    vrt::FileManager& f = Access(Tbl(m_table));
    if (!f.HasReservedRow())
        return true;
    return f.CancelAutoInc() == 0;
}

// ---- task form -----------------------------------------------------------------------------

TaskForm::TaskForm(const TaskFormArgs& args, int request, const Translate& trIn, const QString& dataFolder, QWidget* parent)
    : QDialog(parent), m_args(args), m_request(request), m_tr(trIn), m_dataFolder(dataFolder),
      m_target(int(Tbl::CAL_CalendarEvents)), m_controller(m_target, request, QStringLiteral("F_Zadaci"))
{
    setObjectName(QStringLiteral("F_Zadaci"));
    setWindowTitle(tr(QStringLiteral("Zadaci")));
    setWindowIcon(controls::imageIcon(dataFolder, QStringLiteral("dudes.ico")));
    m_controller.translate = m_tr;
    auto* box = new QVBoxLayout(this);
    addTitle(box);
    QToolButton* partnerButton = addPartnerRows(box);
    addTimes(box);
    addTexts(box);
    addLists(box);
    QToolButton* categoryButton = addCategoryRow(box);
    addButtons(box);
    fillLists();
    // One-key dates (T today, M start of the month ...) in the start and end dates.
    auto* dateKeys = new MH::QUICKENDATECLASS(this);
    dateKeys->INIT(this, MH::QUICKENDATECLASS::localeWeekStart());
    showChosenIcons();
    connectLookups(partnerButton, categoryButton);
    watchHistory();
    resize(520, 640);
}

void TaskForm::addTitle(QVBoxLayout* box)
{
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("NASLOV"));
    QFont big = m_title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_title->setFont(big);
    box->addWidget(m_title);
}

QToolButton* TaskForm::addPartnerRows(QVBoxLayout* box)
{
    auto* top = new QFormLayout;
    auto* partnerRow = new QHBoxLayout;
    m_partner = new QLineEdit(this);
    m_partner->setObjectName(QStringLiteral("PARTNERID"));
    m_partner->setValidator(new QIntValidator(0, 99999999, m_partner));
    m_partner->setMaximumWidth(90);
    m_partnerName = new QLabel(this);
    m_partnerName->setObjectName(QStringLiteral("KONTAKT"));
    auto* partnerButton = new QToolButton(this);
    partnerButton->setObjectName(QStringLiteral("CALLLOOKUP"));
    partnerButton->setText(QStringLiteral("..."));
    partnerRow->addWidget(m_partner);
    partnerRow->addWidget(partnerButton);
    partnerRow->addWidget(m_partnerName, 1);
    top->addRow(tr(QStringLiteral("Kontakt:")), partnerRow);
    m_company = new QLabel(this);
    m_company->setObjectName(QStringLiteral("TVRTKA"));
    top->addRow(QString(), m_company);
    box->addLayout(top);
    return partnerButton;
}

void TaskForm::addTimes(QVBoxLayout* box)
{
    auto* times = new QGroupBox(tr(QStringLiteral("Početak i  završetak")), this);
    auto* grid = new QFormLayout(times);
    auto dateEdit = [this](const char* name) {
        auto* d = new QDateEdit(this);
        d->setObjectName(QLatin1String(name));
        d->setCalendarPopup(true);
        d->setDisplayFormat(longYearDateFormat());
        return d;
    };
    auto timeEdit = [this](const char* name) {
        auto* t = new QTimeEdit(this);
        t->setObjectName(QLatin1String(name));
        t->setDisplayFormat(QStringLiteral("HH:mm"));
        return t;
    };
    m_startDate = dateEdit("STARTDATETIME_DATE");
    m_startTime = timeEdit("STARTDATETIME_TIME");
    m_endDate = dateEdit("ENDDATETIME_DATE");
    m_endTime = timeEdit("ENDDATETIME_TIME");
    auto pair = [this](QWidget* a, QWidget* b) {
        auto* row = new QHBoxLayout;
        row->addWidget(a);
        row->addWidget(new QLabel(tr(QStringLiteral("Vrijeme:")), this));
        row->addWidget(b);
        row->addStretch(1);
        return row;
    };
    grid->addRow(tr(QStringLiteral("Početak:")), pair(m_startDate, m_startTime));
    grid->addRow(tr(QStringLiteral("Završetak:")), pair(m_endDate, m_endTime));
    box->addWidget(times);
}

void TaskForm::addTexts(QVBoxLayout* box)
{
    auto* texts = new QFormLayout;
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("SUBJECT"));
    m_subject->setMaxLength(255);
    m_location = new QLineEdit(this);
    m_location->setObjectName(QStringLiteral("LOCATION"));
    m_location->setMaxLength(255);
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QStringLiteral("BODY"));
    texts->addRow(tr(QStringLiteral("Naslov:")), m_subject);
    texts->addRow(tr(QStringLiteral("Lokacija:")), m_location);
    texts->addRow(tr(QStringLiteral("Opis:")), m_body);
    box->addLayout(texts);
}

void TaskForm::addLists(QVBoxLayout* box)
{
    auto* lists = new QHBoxLayout;
    auto listBox = [this](const char* caption, QTableWidget*& list, QLabel*& icon, const char* name) {
        auto* col = new QVBoxLayout;
        auto* head = new QHBoxLayout;
        head->addWidget(new QLabel(tr(QString::fromUtf8(caption)), this));
        icon = new QLabel(this);
        icon->setFixedSize(20, 20);
        head->addWidget(icon);
        head->addStretch(1);
        col->addLayout(head);
        list = new QTableWidget(0, 1, this);
        list->setObjectName(QLatin1String(name));
        list->horizontalHeader()->hide();
        list->verticalHeader()->hide();
        list->setShowGrid(false);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
        list->setMaximumHeight(86);
        col->addWidget(list);
        return col;
    };
    lists->addLayout(listBox("Status:", m_status, m_statusIcon, "StatusQ"));
    lists->addLayout(listBox("Važnost:", m_importance, m_importanceIcon, "VaznoQ"));
    box->addLayout(lists);
}

QToolButton* TaskForm::addCategoryRow(QVBoxLayout* box)
{
    auto* categoryRow = new QHBoxLayout;
    categoryRow->addWidget(new QLabel(tr(QStringLiteral("Kategorija:")), this));
    m_category = new QLineEdit(this);
    m_category->setObjectName(QStringLiteral("LABELID"));
    m_category->setValidator(new QIntValidator(0, 99999999, m_category));
    m_category->setMaximumWidth(60);
    auto* categoryButton = new QToolButton(this);
    categoryButton->setObjectName(QStringLiteral("CALLLOOKUP2"));
    categoryButton->setText(QStringLiteral("..."));
    m_categoryName = new QLabel(this);
    m_categoryName->setObjectName(QStringLiteral("KATEGORIJA"));
    categoryRow->addWidget(m_category);
    categoryRow->addWidget(categoryButton);
    categoryRow->addWidget(m_categoryName, 1);
    box->addLayout(categoryRow);
    return categoryButton;
}

void TaskForm::addButtons(QVBoxLayout* box)
{
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OK"));
    QPushButton* cancel = buttons->addButton(tr(QStringLiteral("Prekid")), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TaskForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TaskForm::reject);
    box->addWidget(buttons);
}

// Status and importance with their texts and the user's column widths.
void TaskForm::fillLists()
{
    const auto fill = [this](QTableWidget* list, std::initializer_list<const char*> texts, int designWidth) {
        for (const char* t : texts) {
            list->insertRow(list->rowCount());
            list->setItem(list->rowCount() - 1, 0, new QTableWidgetItem(tr(QString::fromUtf8(t))));
        }
        list->horizontalHeader()->resizeSection(0, VelmoraDll::dialogUnitsToPixels(list->horizontalHeader(), designWidth));
        // The user's column widths from the last time the form closed.
        VelmoraDll::restoreListLayout(list->horizontalHeader(), QStringLiteral("F_Zadaci"), layoutKey(list));
    };
    fill(m_status, {"Nije gotovo", "U toku", "Gotovo"}, 396);
    fill(m_importance, {"Nije važno", "Napomena", "Važno", "Izuzetno važno"}, 156);
    // Typing in either list picks the first row that starts with what was typed.
    for (QTableWidget* list : {m_status, m_importance}) {
        auto* locator = new CFCQUEUELOCATORCLASS(list);
        locator->INIT(list);
        locator->SETACTIVELOCATOR(0);
    }
}

// Status and importance, their icons as they are chosen.
void TaskForm::showChosenIcons()
{
    static const char* const statusIcons[] = {"smiley2.ico", "smiley3.ico", "smiley1.ico"};
    static const char* const importanceIcons[] = {nullptr, "1310056677_alert.ico", "1310056574_emblem-important.ico", "1310056627_important.ico"};
    connect(m_status, &QTableWidget::currentCellChanged, this, [this](int row) {
        m_statusIcon->setPixmap(row >= 0 && row < 3 ? controls::imageIcon(m_dataFolder, QLatin1String(statusIcons[row])).pixmap(18, 18) : QPixmap());
    });
    connect(m_importance, &QTableWidget::currentCellChanged, this, [this](int row) {
        const bool shown = row >= 1 && row <= 3;
        m_importanceIcon->setVisible(shown);
        if (shown)
            m_importanceIcon->setPixmap(controls::imageIcon(m_dataFolder, QLatin1String(importanceIcons[row])).pixmap(18, 18));
    });
}

// A partner or category typed or picked shows its name; one that names nothing is asked for.
void TaskForm::connectLookups(QToolButton* partnerButton, QToolButton* categoryButton)
{
    connect(partnerButton, &QToolButton::clicked, this, &TaskForm::askPartner);
    connect(categoryButton, &QToolButton::clicked, this, &TaskForm::askCategory);
    connect(m_partner, &QLineEdit::editingFinished, this, [this] {
        const long id = m_partner->text().toLong();
        if (id == 0 || contactExists(id))
            showPartner();
        else
            askPartner();
    });
    connect(m_category, &QLineEdit::editingFinished, this, [this] {
        const long id = m_category->text().toLong();
        if (id == 0 || !mailpeople::categoryName(id).isEmpty())
            showCategory();
        else
            askCategory();
    });
}

void TaskForm::watchHistory()
{
    // Ctrl+H in an entry puts back what it held in the task this form stored last.
    const auto text = [](QLineEdit* e) {
        return vrt::FormField{e->objectName(), {}, [e] { return e->text(); }, [e](const QString& v) { e->setText(v); }};
    };
    const auto date = [](QDateEdit* e) {
        return vrt::FormField{e->objectName(), {}, [e] { return e->date().toString(Qt::ISODate); },
                              [e](const QString& v) { e->setDate(QDate::fromString(v, Qt::ISODate)); }};
    };
    const auto time = [](QTimeEdit* e) {
        return vrt::FormField{e->objectName(), {}, [e] { return e->time().toString(Qt::ISODate); },
                              [e](const QString& v) { e->setTime(QTime::fromString(v, Qt::ISODate)); }};
    };
    m_controller.setFields({text(m_partner), date(m_startDate), time(m_startTime), date(m_endDate), time(m_endTime),
                            text(m_subject), text(m_location),
                            {m_body->objectName(), {}, [this] { return m_body->toPlainText(); },
                             [this](const QString& v) { m_body->setPlainText(v); }},
                            text(m_category)});
    for (const vrt::FormField& f : m_controller.fields())
        if (QWidget* w = findChild<QWidget*>(f.name))
            w->installEventFilter(this);
    // The date and time entries get their keys in their inner line edit.
    for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{m_startDate, m_startTime, m_endDate, m_endTime})
        if (QLineEdit* inner = box->findChild<QLineEdit*>())
            inner->installEventFilter(this);
}

bool TaskForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_H && key->modifiers() == Qt::ControlModifier) {
            QObject* field = qobject_cast<QAbstractSpinBox*>(watched->parent()) ? watched->parent() : watched;
            if (m_controller.restoreHistory(field->objectName())) {
                if (field == m_partner)
                    showPartner();
                else if (field == m_category)
                    showCategory();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TaskForm::showPartner()
{
    QString company;
    const QString name = contactName(m_partner->text().toLong(), &company);
    m_partnerName->setText(name);
    m_company->setText(name.isEmpty() ? QString() : company);
}

void TaskForm::showCategory() { m_categoryName->setText(mailpeople::categoryName(m_category->text().toLong())); }

void TaskForm::askPartner()
{
    const std::optional<long> chosen = pickContact(this, m_partner->text().toLong());
    if (chosen) {
        m_partner->setText(QString::number(*chosen));
        showPartner();
    } else {
        // The caller's identifier stays; the names show that no contact goes with it.
        m_partnerName->clear();
        m_company->clear();
        m_partner->setFocus();
    }
}

void TaskForm::askCategory()
{
    const std::optional<long> chosen = T_TaskKategorija(this, true, m_category->text().toLong(), m_tr, m_dataFolder);
    if (chosen)
        m_category->setText(QString::number(*chosen));
    showCategory();
}

void TaskForm::fromRecord()
{
    const CAL_CalendarEvents_Rec& r = CAL();
    // "No partner" and "no category" show as empty entries, whatever number stands for them.
    m_partner->setText(contactExists(r.PARTNERID) ? QString::number(r.PARTNERID) : QString());
    auto dt = [](int day, int time) {
        return QDateTime(day ? vrt::dateFromDay(day) : QDate::currentDate(), time ? vrt::qtimeFromTime(time) : QTime(0, 0));
    };
    const QDateTime start = dt(r.STARTDATETIME_DATE, r.STARTDATETIME_TIME), end = dt(r.ENDDATETIME_DATE, r.ENDDATETIME_TIME);
    m_startDate->setDate(start.date());
    m_startTime->setTime(start.time());
    m_endDate->setDate(end.date());
    m_endTime->setTime(end.time());
    m_subject->setText(QString::fromStdString(r.SUBJECT));
    m_location->setText(QString::fromStdString(r.LOCATION));
    m_body->setPlainText(QString::fromStdString(r.BODY));
    m_category->setText(r.LABELID > 0 ? QString::number(r.LABELID) : QString());
}

void TaskForm::toRecord()
{
    CAL_CalendarEvents_Rec& r = CAL();
    r.PARTNERID = int32_t(m_partner->text().toLong());
    r.STARTDATETIME_DATE = vrt::dayFromDate(m_startDate->date());
    r.STARTDATETIME_TIME = vrt::timeFromQTime(m_startTime->time());
    r.ENDDATETIME_DATE = vrt::dayFromDate(m_endDate->date());
    r.ENDDATETIME_TIME = vrt::timeFromQTime(m_endTime->time());
    r.SUBJECT = m_subject->text().left(255).toStdString();
    r.LOCATION = m_location->text().left(255).toStdString();
    r.BODY = m_body->toPlainText().left(7999).toStdString();
    r.STATUS = std::max(0, m_status->currentRow());
    r.IMPORTANCELEVEL = std::max(0, m_importance->currentRow());
    r.LABELID = int32_t(m_category->text().toLong());
}

bool TaskForm::SrediProzor()
{
    if (m_request == vrt::INSERT_RECORD) {
        m_title->setText(tr(QStringLiteral("Unos novog zapisa")));
        if (!m_controller.open())
            return false;
        CAL_CalendarEvents_Rec& r = CAL();
        const long category = newTaskCategory(m_args.categoryId);
        r.LABELID = int32_t(category);
        const panes::CalendarSelection& sel = panes::calendarSelection();
        const TaskTimes t = newTaskTimes(sel.start, sel.end, m_args.flag != 0, QDateTime::currentDateTime());
        r.STARTDATETIME_DATE = vrt::dayFromDate(t.start.date());
        r.STARTDATETIME_TIME = vrt::timeFromQTime(t.start.time());
        r.ENDDATETIME_DATE = vrt::dayFromDate(t.end.date());
        r.ENDDATETIME_TIME = vrt::timeFromQTime(t.end.time());
        if (!m_args.text.isEmpty())
            r.BODY = taskBodyFromText(m_args.text).left(7999).toStdString();
        r.PARTNERID = int32_t(m_args.partnerId);
        r.STATUS = 0;
        r.IMPORTANCELEVEL = 0;
        fromRecord();
        showCategory();
        selectRow(m_status, 0);
        selectRow(m_importance, 0);
        // A task without a partner is asked for one on OK, never by a picker over the form
        // before the user has seen it.
        showPartner();
        m_subject->setFocus();
        return true;
    }
    m_title->setText(m_request == vrt::DELETE_RECORD ? tr(QStringLiteral("BRISANJE zapisa")) : tr(QStringLiteral("Izmjena zapisa")));
    if (m_request == vrt::DELETE_RECORD)
        m_title->setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    if (m_args.eventId != 0 && m_args.eventId != kNoPartner) {
        vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
        f.clearBuffer();
        CAL().EVENTID = int32_t(m_args.eventId);
        if (const int rc = f.TryFetch(CAL.PK_CalendarEvents)) {
            vrt::stop(QString::fromLatin1(m_request == vrt::DELETE_RECORD ? "F_EditEvent SrediProzor(2) :" : "F_EditEvent SrediProzor(1) :")
                      + QString::number(m_args.eventId) + QStringLiteral(" : ") + failure(f, rc));
            return false;
        }
    }
    fromRecord();
    ShowLookups();
    const bool editable = m_request == vrt::CHANGE_RECORD;
    for (QWidget* w : std::initializer_list<QWidget*>{m_partner, m_startDate, m_startTime, m_endDate, m_endTime, m_subject, m_location,
                                                     m_body, m_status, m_importance, m_category})
        w->setEnabled(editable);
    return true;
}

void TaskForm::ShowLookups()
{
    const CAL_CalendarEvents_Rec& r = CAL();
    if (r.PARTNERID != 0)
        showPartner();
    showCategory();
    selectRow(m_status, r.STATUS >= 0 && r.STATUS <= 2 ? r.STATUS : -1);
    selectRow(m_importance, r.IMPORTANCELEVEL >= 0 && r.IMPORTANCELEVEL <= 3 ? r.IMPORTANCELEVEL : -1);
    m_subject->setFocus();
}

int TaskForm::run()
{
    GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
    m_prepared = SrediProzor();
    if (!m_prepared)
        return GLOBALRESPONSE;
    pxp::themeLibraryWindow(this);
    vrt::runModal(*this);
    for (const QTableWidget* list : {m_status, m_importance})
        VelmoraDll::saveListLayout(list->horizontalHeader(), QStringLiteral("F_Zadaci"), layoutKey(list));
    GLOBALRESPONSE = uint8_t(m_controller.response() ? m_controller.response() : vrt::REQUEST_CANCELLED);
    return GLOBALRESPONSE;
}

void TaskForm::accept()
{
    if (m_request == vrt::INSERT_RECORD || m_request == vrt::CHANGE_RECORD) {
        // A partner number that names no contact is never stored: the user picks one or
        // empties the entry (no partner).
        if (!m_partner->text().trimmed().isEmpty() && !contactExists(m_partner->text().toLong())) {
            askPartner();
            if (!contactExists(m_partner->text().toLong()))
                return;
        }
        // The end may not lie before the start: the user is told, and nothing is changed.
        const TaskTimes t{QDateTime(m_startDate->date(), m_startTime->time()), QDateTime(m_endDate->date(), m_endTime->time())};
        if (!timesInOrder(t)) {
            vrt::message(tr(QStringLiteral("Završetak ne može biti prije početka.")), tr(QStringLiteral("Zadaci")), vrt::Icon::Exclamation);
            m_endDate->setFocus();
            return;
        }
        if (m_body->toPlainText().isEmpty())
            m_body->setPlainText(m_subject->text());
        toRecord();
    }
    if (!m_controller.ok())
        return;
    QDialog::accept();
}

void TaskForm::reject()
{
    m_controller.cancel();
    QDialog::reject();
}

void F_Zadaci(QWidget* parent, const TaskFormArgs& args, const Translate& tr, const QString& dataFolder)
{
    TaskForm form(args, GLOBALREQUEST, tr, dataFolder, parent);
    form.run();
}

// ---- task report ---------------------------------------------------------------------------

void buildTaskReport(vrt::Report& report, long eventId, const Translate& trIn)
{
    const auto tr = [&trIn](const QString& t) { return trIn ? trIn(t) : t; };
    report.clear();
    report.setTitle(tr(QStringLiteral("Zadatak")));
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(15, 15, 15, 15));
    vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
    f.clearBuffer();
    CAL().EVENTID = int32_t(eventId);
    if (eventId == 0 || f.TryFetch(CAL.PK_CalendarEvents) != 0)
        return; // nothing to print: an empty report
    const CAL_CalendarEvents_Rec row = CAL();
    // The partner as a left join: a task whose partner is gone still prints.
    QString company, name;
    vrt::FileManager& contacts = Access(Tbl::ACON_ContactsAlias);
    contacts.clearBuffer();
    ACON().ID = row.PARTNERID;
    const bool hasPartner = row.PARTNERID != 0 && contacts.TryFetch(ACON.IDKey) == 0;
    if (hasPartner) {
        company = QString::fromStdString(ACON().TVRTKA);
        name = (QString::fromStdString(ACON().PREZIME) + QLatin1Char(' ') + QString::fromStdString(ACON().IME)).trimmed();
    }
    const QLocale locale;
    auto when = [&](int day, int time) {
        if (day == 0)
            return QString();
        return locale.toString(vrt::dateFromDay(day), longYearDateFormat()) + QLatin1Char(' ')
               + (time ? locale.toString(vrt::qtimeFromTime(time), QLocale::ShortFormat) : QString());
    };
    QFont font(QStringLiteral("Tahoma"), 10);
    QFont bold = font;
    bold.setBold(true);
    vrt::ReportBand& h = report.pageHeader;
    h = vrt::ReportBand{};
    h.height = 50;
    double y = 0;
    auto line = [&](const QString& label, const QString& value, const QString& extra = {}) {
        h.addText(QRectF(0, y, 35, 6), tr(label), bold);
        h.addText(QRectF(36, y, 110, 6), value, font);
        if (!extra.isEmpty())
            h.addText(QRectF(150, y, 30, 6), extra, font, 0x0002 | 0x0080);
        y += 7;
    };
    line(QStringLiteral("Početak:"), when(row.STARTDATETIME_DATE, row.STARTDATETIME_TIME));
    line(QStringLiteral("Završetak:"), when(row.ENDDATETIME_DATE, row.ENDDATETIME_TIME));
    line(QStringLiteral("Tvrtka:"), company, hasPartner ? QString::number(row.PARTNERID) : QString());
    line(QStringLiteral("Prezime i ime:"), name);
    line(QStringLiteral("Naslov:"), QString::fromStdString(row.SUBJECT));
    line(QStringLiteral("Lokacija:"), QString::fromStdString(row.LOCATION));
    h.addLine(QRectF(0, y, 180, 0), 0.4);
    h.height = y + 3;
    // The description flows over as many pages as it needs.
    report.printText(QString::fromStdString(row.BODY), font, 180);
}

void R_Task(long eventId, const Translate& tr)
{
    vrt::Report report;
    buildTaskReport(report, eventId, tr);
    report.preview();
    GLOBALRESPONSE = vrt::REQUEST_COMPLETED;
}

// ---- wiring --------------------------------------------------------------------------------

void attachCalendarForms(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    auto tr = [&window](const QString& t) { return window.translated(t); };
    host.forms.attach(organiser::Form::F_Zadaci, [&window, tr](const organiser::FormArgs& a) {
        TaskFormArgs args;
        args.eventId = a.eventId;
        args.flag = a.flag;
        args.partnerId = a.partnerId;
        args.categoryId = a.categoryId;
        args.text = a.text;
        F_Zadaci(&window, args, tr, window.dataFolder());
    });
    host.forms.attach(organiser::Form::F_TaskCategorie, [&window, tr](const organiser::FormArgs&) { F_TaskCategorie(&window, tr); });
    // The task list's own current row: the document lists keep theirs.
    host.forms.attach(organiser::Form::R_Task, [&panes, tr](const organiser::FormArgs&) {
        organiser::OrganiserList& tasks = panes.lists().list(organiser::ctl::Zadaci);
        R_Task(tasks.cell(QStringLiteral("CAL:EVENTID")).toLong(), tr);
    });
}

} // namespace mailpeople
