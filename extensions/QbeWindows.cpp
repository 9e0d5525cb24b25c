#include "extensions/QbeWindows.h"

#include "extensions/QbeGlobal.h"
#include "runtime/DateTime.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace DTRV {

namespace {

const char* const kComparisonKeys[MATCHTYPE_COUNT] = {
    "Ignore", "Equal", "NotEqual", "MoreThan", "LessThan", "MoreOrEqual", "LessOrEqual", "InRange", "OutsideRange",
    "BeginsWith", "EndsWith", "Contains", "NotContains", "ThisMonth", "ThisDay", "ThisYear", "ThisMonthDay",
    "ThisYearMonth"};

QString qbeText(SEARCHCLASS& s, const QString& key)
{
    return s.GLOBAL ? s.GLOBAL->TRANSLATE(key) : key;
}

QString comparisonText(SEARCHCLASS& s, int type)
{
    return qbeText(s, QStringLiteral("DTRV::ComparisonText:") + QLatin1String(kComparisonKeys[type]));
}

QString withoutAccelerator(QString text)
{
    return text.remove(QLatin1Char('&'));
}

bool isDateText(const QString& s)
{
    return QDate::fromString(s.trimmed(), QStringLiteral("d.M.yyyy")).isValid();
}

// The entry shows a date field's day number as a date and reads it back.
QString toEntry(const SEARCHCLASS::Field& field, const QString& value)
{
    return field.TYPE == FIELD_DATE ? SEARCHCLASS::formatValue(field, value) : value;
}

QString fromEntry(const SEARCHCLASS::Field& field, const QString& text)
{
    if (field.TYPE != FIELD_DATE)
        return text.trimmed();
    if (text.trimmed().isEmpty())
        return {};
    return QString::number(vrt::dayFromDate(QDate::fromString(text.trimmed(), QStringLiteral("d.M.yyyy"))));
}

} // namespace

QIcon matchTypeIcon(int matchType)
{
    static const char* const symbols[MATCHTYPE_COUNT + 1] = {
        "–", "=", "≠", ">", "<", "≥", "≤", "[ ]", "] [", "a…", "…a", "*a*", "!a", "M", "D", "Y", "MD", "YM", "∑"};
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x30, 0x50, 0x90));
    QFont f = p.font();
    f.setPixelSize(matchType >= 7 && matchType != 13 && matchType != 14 && matchType != 15 ? 8 : 12);
    f.setBold(true);
    p.setFont(f);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    const int i = matchType >= 0 && matchType <= MATCHTYPE_COUNT ? matchType : 0;
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(symbols[i]));
    return QIcon(pm);
}

std::vector<int> offeredMatchTypes(int fieldType)
{
    std::vector<int> t;
    auto range = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            t.push_back(i);
    };
    switch (fieldType) {
    case FIELD_STRING: range(0, 12); break;
    case FIELD_PICTURE: range(0, 10); break;
    case FIELD_DATE: range(0, 8); range(13, 17); break;
    case FIELD_TEXT: range(0, 2); range(9, 12); break;
    case FIELD_CHECK:
    case FIELD_OPTION: range(0, 2); break;
    default: range(0, 8); break;
    }
    return t;
}

// ---------------------------------------------------------------------------------------------

ValueWindow::ValueWindow(SEARCHCLASS& search, const SEARCHCLASS::Field& field, QbeCriterion& criterion, QWidget* parent)
    : QDialog(parent), m_field(field), m_criterion(criterion)
{
    const bool ranged = criterion.type == MATCHTYPE_INSIDERANGE || criterion.type == MATCHTYPE_OUTSIDERANGE;
    auto* form = new QFormLayout;
    if (field.TYPE == FIELD_CHECK && !ranged) {
        setWindowTitle(qbeText(search, QStringLiteral("DTRV::AskCriterion:ValueTitle")));
        m_check = new QCheckBox(field.PROMPT.isEmpty() ? field.DISPLAY : field.PROMPT, this);
        const QString trueValue = field.PICTURE.section(QLatin1Char('|'), 0, 0);
        m_check->setChecked(field.PICTURE.isEmpty() ? criterion.value.trimmed() == QLatin1String("1")
                                                    : criterion.value == trueValue && !trueValue.isEmpty());
        form->addRow(m_check);
    } else {
        setWindowTitle(qbeText(search, ranged ? QStringLiteral("DTRV::AskCriterion:RangeTitle")
                                         : QStringLiteral("DTRV::AskCriterion:ValueTitle")));
        m_lower = new QLineEdit(toEntry(field, criterion.value), this);
        form->addRow(qbeText(search, ranged ? QStringLiteral("DTRV::AskCriterion:LowerPrompt")
                                       : QStringLiteral("DTRV::AskCriterion:ValuePrompt")),
                     m_lower);
        if (ranged) {
            m_upper = new QLineEdit(toEntry(field, criterion.limit), this);
            form->addRow(qbeText(search, QStringLiteral("DTRV::AskCriterion:UpperPrompt")), m_upper);
            bool lowOk = false, highOk = false;
            const double low = criterion.value.toDouble(&lowOk);
            const double high = criterion.limit.toDouble(&highOk);
            m_numeric = (lowOk && highOk) || field.TYPE == FIELD_DATE;
            if (lowOk && highOk ? high < low : criterion.limit < criterion.value)
                m_upper->setText(m_lower->text());
        }
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(withoutAccelerator(qbeText(search, QStringLiteral("DTRV::Button:OK"))), QDialogButtonBox::AcceptRole);
    buttons->addButton(qbeText(search, QStringLiteral("DTRV::Button:Cancel")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ValueWindow::accept()
{
    if (m_check) {
        const QString trueValue = m_field.PICTURE.section(QLatin1Char('|'), 0, 0);
        const QString falseValue = m_field.PICTURE.section(QLatin1Char('|'), 1, 1);
        if (m_field.PICTURE.isEmpty())
            m_criterion.value = m_check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else
            m_criterion.value = m_check->isChecked() ? trueValue : falseValue;
        QDialog::accept();
        return;
    }
    const QString low = fromEntry(m_field, m_lower->text());
    if (m_field.TYPE == FIELD_DATE && !m_lower->text().trimmed().isEmpty() && !isDateText(m_lower->text())) {
        emit beep();
        QApplication::beep();
        m_lower->setFocus();
        return;
    }
    if (m_upper) {
        const QString high = fromEntry(m_field, m_upper->text());
        bool lowOk = false, highOk = false;
        const double l = low.toDouble(&lowOk);
        const double h = high.toDouble(&highOk);
        const bool greater = m_numeric && lowOk && highOk ? h > l : QString::compare(high, low, Qt::CaseInsensitive) > 0;
        if (!greater) {
            emit beep();
            QApplication::beep();
            m_upper->setFocus();
            return;
        }
        m_criterion.limit = high;
    }
    m_criterion.value = low;
    QDialog::accept();
}

// ---------------------------------------------------------------------------------------------

bool MatchTypeWindow::askValue(const SEARCHCLASS::Field& field, QbeCriterion& c)
{
    ValueWindow w(m_search, field, c, this);
    return w.exec() == QDialog::Accepted;
}

MatchTypeWindow::MatchTypeWindow(SEARCHCLASS& search, QWidget* parent)
    : QDialog(parent), m_search(search), m_field(*search.currentField())
{
    setWindowTitle(qbeText(search, QStringLiteral("DTRV::MatchType:Title")) + QStringLiteral(" – ") + m_field.DISPLAY);
    auto* box = new QGroupBox(this);
    auto* radios = new QVBoxLayout(box);
    m_radios.resize(MATCHTYPE_COUNT);
    for (int t = 0; t < MATCHTYPE_COUNT; ++t) {
        auto* r = new QRadioButton(comparisonText(search, t), box);
        r->setIcon(matchTypeIcon(t));
        r->setVisible(false);
        m_radios[size_t(t)] = r;
        connect(r, &QRadioButton::clicked, this, [this, t] { setType(t); });
    }
    // Only the offered types, in their order; hidden ones take no room.
    for (int t : offeredMatchTypes(m_field.TYPE)) {
        radios->addWidget(m_radios[size_t(t)]);
        m_radios[size_t(t)]->setVisible(true);
    }
    radios->addStretch();

    m_list = new QTreeWidget(this);
    m_list->setColumnCount(1);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        const int row = currentRow();
        if (row >= 0)
            for (size_t t = 0; t < m_radios.size(); ++t)
                m_radios[t]->setChecked(int(t) == m_field.CRITERION[size_t(row)].type);
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { change(); });

    auto* column = new QVBoxLayout;
    auto add = [&](const QString& key, auto slot) {
        QString text = qbeText(search, QStringLiteral("DTRV::Button:") + key);
        if (key != QLatin1String("Help"))
            text = withoutAccelerator(text);
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        m_buttons[key] = b;
        column->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    add(QStringLiteral("OK"), [this] { accept(); })->setDefault(true);
    add(QStringLiteral("Cancel"), [this] { reject(); });
    add(QStringLiteral("Insert"), [this] { insert(); });
    add(QStringLiteral("Change"), [this] { change(); });
    add(QStringLiteral("Delete"), [this] { remove(); });
    add(QStringLiteral("Load"), [this] {
        if (m_search.LOAD() == 0) {
            m_result = -2;
            QDialog::accept();
        }
    })->setVisible(search.canLoadSave());
    add(QStringLiteral("Save"), [this] {
        if (m_search.SAVE() == 0)
            QDialog::accept();
    })->setVisible(search.canLoadSave());
    // Help has nowhere to go unless the application names a help page.
    add(QStringLiteral("Help"), [] {})->setVisible(false);
    column->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(m_list, 1);
    layout->addLayout(column);

    m_saved = m_field.CRITERION;
    if (m_field.CRITERION.empty())
        m_search.ADDCRITERION(MATCHTYPE_IGNOREFIELD);
    showCriteria(0);
}

QPushButton* MatchTypeWindow::button(const QString& key) const
{
    const auto it = m_buttons.find(key);
    return it == m_buttons.end() ? nullptr : it->second;
}

int MatchTypeWindow::currentRow() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void MatchTypeWindow::showCriteria(int current)
{
    QSignalBlocker block(m_list);
    m_list->clear();
    for (const auto& c : m_field.CRITERION) {
        auto* item = new QTreeWidgetItem(m_list, QStringList{c.DISPLAY.isEmpty() ? withoutAccelerator(comparisonText(m_search, c.type)) : c.DISPLAY});
        item->setIcon(0, matchTypeIcon(c.type));
        item->setToolTip(0, withoutAccelerator(comparisonText(m_search, c.type)));
    }
    const int n = m_list->topLevelItemCount();
    if (n > 0)
        m_list->setCurrentItem(m_list->topLevelItem(std::clamp(current, 0, n - 1)));
    const int row = currentRow();
    for (size_t t = 0; t < m_radios.size(); ++t)
        m_radios[t]->setChecked(row >= 0 && int(t) == m_field.CRITERION[size_t(row)].type);
    button(QStringLiteral("Change"))->setEnabled(n > 0);
    button(QStringLiteral("Delete"))->setEnabled(n > 0);
}

void MatchTypeWindow::setType(int matchType)
{
    const int row = currentRow();
    if (row < 0)
        return;
    QbeCriterion c = m_field.CRITERION[size_t(row)];
    c.type = matchType;
    m_search.PUTCRITERION(row, c);
    showCriteria(row);
}

void MatchTypeWindow::insert()
{
    const bool reuse = !m_field.CRITERION.empty() && m_field.CRITERION.front().type == MATCHTYPE_IGNOREFIELD;
    int row = 0;
    QbeCriterion c;
    c.type = m_search.defaultMatch(m_field.TYPE);
    if (!reuse) {
        m_search.ADDCRITERION(c.type);
        row = m_field.CRITERIACOUNT() - 1;
    }
    c = m_field.CRITERION[size_t(row)];
    c.type = m_search.defaultMatch(m_field.TYPE);
    showCriteria(row);
    if (askValue(m_field, c)) {
        m_search.PUTCRITERION(row, c);
    } else if (reuse) {
        QbeCriterion blank;
        m_search.PUTCRITERION(row, blank);
    } else {
        m_field.CRITERION.erase(m_field.CRITERION.begin() + row);
        row = std::max(0, row - 1);
    }
    showCriteria(row);
}

void MatchTypeWindow::change()
{
    const int row = currentRow();
    if (row < 0)
        return;
    QbeCriterion c = m_field.CRITERION[size_t(row)];
    if (askValue(m_field, c))
        m_search.PUTCRITERION(row, c);
    showCriteria(row);
}

void MatchTypeWindow::remove()
{
    const int row = currentRow();
    if (row < 0)
        return;
    m_field.CRITERION.erase(m_field.CRITERION.begin() + row);
    if (m_field.CRITERION.empty())
        m_search.ADDCRITERION(MATCHTYPE_IGNOREFIELD);
    showCriteria(row);
}

void MatchTypeWindow::accept()
{
    std::erase_if(m_field.CRITERION, [](const auto& c) { return c.type == MATCHTYPE_IGNOREFIELD; });
    const int n = m_field.CRITERIACOUNT();
    m_result = n == 0 ? 0 : n == 1 ? m_field.CRITERION.front().type : 100;
    QDialog::accept();
}

void MatchTypeWindow::reject()
{
    m_field.CRITERION = m_saved;
    m_result = -1;
    QDialog::reject();
}

int MatchTypeWindow::run()
{
    exec();
    return m_result;
}

bool MatchTypeWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Insert) {
            insert();
            return true;
        }
        if (key == Qt::Key_Delete) {
            remove();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

namespace {

struct PageText {
    const char* heading;
    const char* text;
};

const PageText kPages[5] = {
    {"Introduction",
     "This wizard helps you find records: for each field you may give one or more criteria, and only the "
     "records that match them all are listed.\n\nTo proceed with the query, press the [Next] button."},
    {"Load Criteria from Disk", "Press [Load] to retrieve a saved criteria set.  Otherwise, press [Next] to proceed."},
    {"Enter Criteria", ""},
    {"Save Criteria to Disk", "Press [Save] to memorize the current criteria.  Otherwise, press [Next] to proceed."},
    {"Conclusion", "If you are happy with your entries, then press [Finish] to search the database for matching records."},
};

} // namespace

int QueryWizard::matchTypeWindow()
{
    MatchTypeWindow w(m_search, this);
    return w.run();
}

QueryWizard::QueryWizard(SEARCHCLASS& search, QWidget* parent) : QDialog(parent), m_search(search)
{
    setWindowTitle(qbeText(search, QStringLiteral("Dentravo Wizard")));
    m_step = new QLabel(this);
    m_heading = new QLabel(this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_heading->setFont(bold);
    m_pages = new QStackedWidget(this);

    auto button = [&](const QString& key, QWidget* owner) {
        auto* b = new QPushButton(qbeText(search, QStringLiteral("DTRV::Button:") + key), owner);
        b->setAutoDefault(false);
        m_buttons[key] = b;
        return b;
    };
    for (int i = 0; i < 5; ++i) {
        auto* page = new QWidget(m_pages);
        auto* v = new QVBoxLayout(page);
        if (i == 2) {
            auto* h = new QHBoxLayout;
            m_fields = new QTreeWidget(page);
            m_fields->setColumnCount(2);
            m_fields->setHeaderHidden(true);
            m_fields->setRootIsDecorated(false);
            m_criteria = new QTreeWidget(page);
            m_criteria->setColumnCount(1);
            m_criteria->setHeaderHidden(true);
            m_criteria->setRootIsDecorated(false);
            h->addWidget(m_fields, 1);
            h->addWidget(m_criteria, 1);
            v->addLayout(h);
            v->addWidget(button(QStringLiteral("Change"), page), 0, Qt::AlignLeft);
            connect(m_fields, &QTreeWidget::currentItemChanged, this, [this] { showCriteria(); });
            connect(m_fields, &QTreeWidget::itemDoubleClicked, this, [this] { change(); });
            connect(m_criteria, &QTreeWidget::itemDoubleClicked, this, [this] { change(); });
            connect(m_buttons[QStringLiteral("Change")], &QPushButton::clicked, this, [this] { change(); });
        } else {
            auto* text = new QLabel(qbeText(search, QString::fromUtf8(kPages[i].text)), page);
            text->setWordWrap(true);
            v->addWidget(text);
            if (i == 1 || i == 3) {
                const QString key = i == 1 ? QStringLiteral("Load") : QStringLiteral("Save");
                auto* b = button(key, page);
                b->setEnabled(search.canLoadSave());
                v->addWidget(b, 0, Qt::AlignLeft);
                connect(b, &QPushButton::clicked, this, [this, i] {
                    if ((i == 1 ? m_search.LOAD() : m_search.SAVE()) == 0) {
                        showFields();
                        setPage(i + 2);
                    }
                });
            }
            v->addStretch();
        }
        m_pages->addWidget(page);
    }
    auto* nav = new QHBoxLayout;
    nav->addStretch();
    for (const char* key : {"Previous", "Next", "Finish", "Cancel"})
        nav->addWidget(button(QLatin1String(key), this));
    connect(m_buttons[QStringLiteral("Previous")], &QPushButton::clicked, this, [this] { setPage(page() - 1); });
    connect(m_buttons[QStringLiteral("Next")], &QPushButton::clicked, this, [this] { setPage(page() + 1); });
    connect(m_buttons[QStringLiteral("Finish")], &QPushButton::clicked, this, [this] { done(1); });
    connect(m_buttons[QStringLiteral("Cancel")], &QPushButton::clicked, this, [this] { done(3); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_step);
    layout->addWidget(m_heading);
    layout->addWidget(m_pages, 1);
    layout->addLayout(nav);
    resize(520, 360);
    showFields();
    setPage(search.WIZARDPAGE);
}

QPushButton* QueryWizard::button(const QString& key) const
{
    const auto it = m_buttons.find(key);
    return it == m_buttons.end() ? nullptr : it->second;
}

int QueryWizard::page() const
{
    return m_pages->currentIndex() + 1;
}

void QueryWizard::setPage(int p)
{
    p = std::clamp(p, 1, 5);
    m_pages->setCurrentIndex(p - 1);
    m_step->setText(qbeText(m_search, QStringLiteral("Step %1 of 5")).arg(p));
    m_heading->setText(qbeText(m_search, QString::fromUtf8(kPages[p - 1].heading)));
    button(QStringLiteral("Previous"))->setEnabled(p > 1);
    button(QStringLiteral("Next"))->setEnabled(p < 5);
    button(QStringLiteral("Finish"))->setDefault(p == 5);
    button(QStringLiteral("Next"))->setDefault(p < 5);
    if (p == 5)
        button(QStringLiteral("Finish"))->setFocus();
    else if (p == 3)
        m_fields->setFocus();
    else
        button(QStringLiteral("Next"))->setFocus();
}

void QueryWizard::showFields()
{
    const int keep = std::max(0, m_fields->indexOfTopLevelItem(m_fields->currentItem()));
    QSignalBlocker block(m_fields);
    m_fields->clear();
    for (const auto& f : m_search.fields()) {
        auto* item = new QTreeWidgetItem(m_fields, QStringList{QString::number(f.CRITERIACOUNT()), f.DISPLAY});
        item->setTextAlignment(0, Qt::AlignRight);
    }
    m_fields->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    if (m_fields->topLevelItemCount() > 0)
        m_fields->setCurrentItem(m_fields->topLevelItem(std::min(keep, m_fields->topLevelItemCount() - 1)));
    showCriteria();
}

void QueryWizard::showCriteria()
{
    m_criteria->clear();
    const int row = m_fields->indexOfTopLevelItem(m_fields->currentItem());
    if (row < 0)
        return;
    m_search.setCurrentFieldIndex(row);
    for (const auto& c : m_search.fields()[size_t(row)].CRITERION) {
        auto* item = new QTreeWidgetItem(m_criteria, QStringList{c.DISPLAY});
        item->setIcon(0, matchTypeIcon(c.type));
    }
}

void QueryWizard::change()
{
    const int row = m_fields->indexOfTopLevelItem(m_fields->currentItem());
    if (row < 0)
        return;
    m_search.setCurrentFieldIndex(row);
    matchTypeWindow();
    showFields();
}

int SEARCHCLASS::RUNWIZARD(QWidget* parent)
{
    QueryWizard wizard(*this, parent);
    // Finish ends with 1; Cancel and closing the window with anything else.
    return wizard.exec() == 1 ? 0 : 3;
}

} // namespace DTRV
