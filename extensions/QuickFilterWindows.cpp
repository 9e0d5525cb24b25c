#include "extensions/QuickFilterWindows.h"

#include "runtime/BrowseView.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ext {

// The filter's side as these windows give it.
class QuickFilterWindowsSide : public QuickFilterSide {
public:
    explicit QuickFilterWindowsSide(QuickFilterWindows& windows) : w(windows) {}

    int inputWindow(bool wildcard, const XFILTERENTRY& e, QString& low, QString& high) override
    {
        return w.inputWindow(wildcard, e, low, high);
    }
    void saveWindow() override
    {
        w.saveWindow();
        w.fillQuickList();
    }
    void loadWindow() override
    {
        w.loadWindow();
        w.fillQuickList();
    }
    QString showPopup(vrt::PopupMenu& menu) override
    {
        const int id = menu.ask(QCursor::pos(), &w.m_view);
        return id ? menu.item(id)->name : QString();
    }
    int regionPopup(const QStringList& items) override
    {
        QMenu menu(&w.m_view);
        for (int i = 0; i < items.size(); ++i)
            menu.addAction(items[i])->setData(i + 1);
        const QAction* chosen = menu.exec(QCursor::pos());
        return chosen ? chosen->data().toInt() : 0;
    }
    void showStatus(const QString& text) override
    {
        if (w.m_status) {
            w.m_status->setText(text);
            w.m_status->setVisible(!w.m_filter.HIDESTATUS);
        }
    }
    void inform(const QString& text, const QString& caption) override
    {
        vrt::message(text, caption, vrt::Icon::Information);
    }
    QString columnHeader(int column) override
    {
        return w.m_view.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    // The filter's texts stay as its group gives them.
    QString translate(const QString& text) override { return text; }

private:
    QuickFilterWindows& w;
};

QuickFilterWindows::QuickFilterWindows(XQUICKFILTERCLASS& filter, vrt::BrowseView& view, QLabel* status)
    : QObject(&view), m_filter(filter), m_side(std::make_unique<QuickFilterWindowsSide>(*this)), m_view(view),
      m_status(status)
{
    m_filter.setSide(m_side.get());
    m_side->showStatus(m_filter.STATUSTEXT);
    m_view.installEventFilter(this);
}

QuickFilterWindows::~QuickFilterWindows()
{
    if (m_filter.side() == m_side.get())
        m_filter.setSide(nullptr);
}

void QuickFilterWindows::setQuickList(QComboBox* list)
{
    m_quickList = list;
    fillQuickList();
    connect(list, &QComboBox::activated, this, [this](int index) {
        m_filter.takeQuickList(index);
        m_view.syncSelection();
    });
}

void QuickFilterWindows::fillQuickList()
{
    if (!m_quickList)
        return;
    const int selected = m_filter.SETQUICKLIST();
    QSignalBlocker block(m_quickList.data());
    m_quickList->clear();
    for (const auto& entry : m_filter.FL)
        m_quickList->addItem(entry.FILTERNAME);
    m_quickList->setCurrentIndex(selected);
}

int QuickFilterWindows::keyCode(int key, Qt::KeyboardModifiers modifiers)
{
    return QKeyCombination(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), Qt::Key(key))
        .toCombined();
}

void QuickFilterWindows::addRegion(QWidget* entry, int control, QColor colour)
{
    QPalette palette = entry->palette();
    palette.setColor(QPalette::Base, colour);
    entry->setPalette(palette);
    entry->setCursor(Qt::PointingHandCursor);
    entry->installEventFilter(this);
    m_regions[entry] = control;
}

bool QuickFilterWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyCode(key->key(), key->modifiers());
        if (watched == &m_view) {
            const int column = std::max(0, m_view.currentIndex().column());
            const int before = m_filter.FILTERNUM;
            const bool loaded = m_filter.FILTERLOADED;
            const bool handled = m_filter.TAKEKEY(code, column);
            if (handled || before != m_filter.FILTERNUM || loaded != m_filter.FILTERLOADED) {
                m_view.syncSelection();
                return true;
            }
            return false;
        }
        const auto region = m_regions.find(watched);
        if (region != m_regions.end() && !m_filter.VORNISET) {
            const XQUICKFILTERCLASS::Keys& k = m_filter.KEYS;
            if (code == k.enable || code == k.enableInstring || code == k.enableInstringString ||
                code == k.enableWildcard || code == k.global || code == m_filter.CANCELLOADEDKEY ||
                code == m_filter.LOADFILTERKEY || code == m_filter.SAVEFILTERKEY)
                return m_filter.TAKEREGIONKEY(code, region->second);
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        const auto region = m_regions.find(watched);
        if (region != m_regions.end() && m_filter.VORNISET &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            return m_filter.TAKEREGIONCLICK(region->second);
    }
    return false;
}

int QuickFilterWindows::inputWindow(bool wildcard, const XFILTERENTRY& entry, QString& low, QString& high)
{
    QDialog dialog(&m_view);
    dialog.setObjectName(QStringLiteral("QuickFilterSearch"));
    auto* lowPrompt = new QLabel(m_filter.TRN(QStringLiteral("Search :")));
    auto* lowEdit = new QLineEdit(low);
    lowEdit->setObjectName(QStringLiteral("low"));
    lowEdit->setMaxLength(200);
    auto* highPrompt = new QLabel(m_filter.TRN(QStringLiteral("Max :")));
    auto* highEdit = new QLineEdit(high);
    highEdit->setObjectName(QStringLiteral("high"));
    auto* apply = new QPushButton(m_filter.TRN(QStringLiteral("Apply filter")));
    apply->setObjectName(QStringLiteral("apply"));
    apply->setDefault(true);
    auto* cancel = new QPushButton(m_filter.TRN(QStringLiteral("Cancel operation")));
    cancel->setObjectName(QStringLiteral("cancel"));
    auto* range = new QPushButton(QStringLiteral("▼"));
    range->setObjectName(QStringLiteral("range"));
    range->setToolTip(m_filter.TRN(QStringLiteral("Od-do filter")));
    auto* grid = new QFormLayout;
    grid->addRow(lowPrompt, lowEdit);
    grid->addRow(highPrompt, highEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(range);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    bool rangeMode = false;
    const auto setMode = [&](bool on) {
        rangeMode = on;
        highPrompt->setVisible(on);
        highEdit->setVisible(on);
        highEdit->setEnabled(on);
        dialog.setWindowTitle(m_filter.TRN(on ? QStringLiteral("Numbers") : QStringLiteral("Search")));
        lowPrompt->setText(m_filter.TRN(on ? QStringLiteral("Min :") : QStringLiteral("Search :")));
        range->setText(on ? QStringLiteral("▲") : QStringLiteral("▼"));
        for (QLineEdit* e : {lowEdit, highEdit}) {
            e->setValidator(on ? new QDoubleValidator(e) : nullptr);
            e->setMaxLength(on ? 32 : 200);
        }
        lowEdit->setFocus();
        lowEdit->selectAll();
    };
    setMode(false);
    if (wildcard) {
        dialog.setWindowTitle(m_filter.TRN(QStringLiteral("WildCard")));
    }
    if (wildcard || entry.FIELDTYPE == 4) { // only a text can be given
        range->hide();
        range->setEnabled(false);
    }
    int result = 2;
    QObject::connect(range, &QPushButton::clicked, &dialog, [&] { setMode(!rangeMode); });
    QObject::connect(apply, &QPushButton::clicked, &dialog, [&] {
        result = rangeMode ? 1 : 0;
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] {
        result = 2;
        dialog.reject();
    });
    vrt::runModal(dialog);
    low = lowEdit->text();
    high = highEdit->text();
    return result;
}

void QuickFilterWindows::saveWindow()
{
    QDialog dialog(&m_view);
    dialog.setObjectName(QStringLiteral("QuickFilterSave"));
    dialog.setWindowTitle(m_filter.TRN(QStringLiteral("Spremanje filtera")));
    auto* name = new QLineEdit(m_lastName);
    name->setObjectName(QStringLiteral("name"));
    name->setMaxLength(255);
    auto* makeDefault = new QCheckBox(m_filter.TRN(QStringLiteral(" Automatski učitaj ovaj filter kod otvaranja")));
    makeDefault->setObjectName(QStringLiteral("default"));
    auto* textPrompt = new QLabel(m_filter.TRN(QStringLiteral("Filter Text:")));
    auto* text = new QPlainTextEdit(m_filter.GLOBALFILTERSTRING);
    text->setReadOnly(true);
    auto* ok = new QPushButton(m_filter.TRN(QStringLiteral("&Ok")));
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(m_filter.TRN(QStringLiteral("&Prekid")));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    form->addRow(m_filter.TRN(QStringLiteral("Naziv filtera")), name);
    form->addRow(QString(), makeDefault);
    layout->addLayout(form);
    layout->addWidget(textPrompt);
    layout->addWidget(text);
    textPrompt->setVisible(m_filter.SHOWBODY);
    text->setVisible(m_filter.SHOWBODY);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        if (name->text().trimmed().isEmpty()) {
            name->setFocus();
            return;
        }
        m_lastName = name->text();
        m_filter.saveCurrent(name->text(), makeDefault->isChecked());
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    vrt::runModal(dialog);
}

void QuickFilterWindows::loadWindow()
{
    QDialog dialog(&m_view);
    dialog.setObjectName(QStringLiteral("QuickFilterLoad"));
    dialog.setWindowTitle(m_filter.TRN(QStringLiteral("Filteri (F2 za postavljanje ili skidanje standardnog filtera)")));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("list"));
    auto* clearAll = new QCheckBox(m_filter.TRN(QStringLiteral("Cancel all prevoius filters before load")));
    clearAll->setObjectName(QStringLiteral("clearAll"));
    clearAll->setChecked(m_clearAll);
    auto* withOr = new QCheckBox(m_filter.TRN(QStringLiteral("Apply with current filter with OR")));
    withOr->setObjectName(QStringLiteral("withOr"));
    withOr->setChecked(m_withOr);
    auto* load = new QPushButton(m_filter.TRN(QStringLiteral("&Učitaj")));
    load->setObjectName(QStringLiteral("load"));
    auto* close = new QPushButton(m_filter.TRN(QStringLiteral("&Zatvori")));
    auto* remove = new QPushButton(m_filter.TRN(QStringLiteral("&Brisanje")));
    remove->setObjectName(QStringLiteral("delete"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(m_filter.TRN(QStringLiteral("Naziv filtera"))));
    layout->addWidget(list);
    layout->addWidget(clearAll);
    layout->addWidget(withOr);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    const auto fill = [&] {
        const int row = std::max(0, list->currentRow());
        m_filter.FILLQUEUE();
        list->clear();
        for (const auto& f : m_filter.FF) {
            auto* item = new QListWidgetItem(f.FILTERNAME, list);
            item->setData(Qt::UserRole, f.FILTERID);
            if (f.FILTERSTYLE == 2) {
                QFont bold = item->font();
                bold.setWeight(QFont::Bold);
                item->setFont(bold);
                item->setForeground(QColor(128, 0, 0));
                item->setIcon(dialog.style()->standardIcon(QStyle::SP_DialogApplyButton));
            }
        }
        load->setEnabled(!m_filter.FF.empty());
        remove->setEnabled(!m_filter.FF.empty());
        clearAll->setEnabled(m_filter.FILTERNUM > 0);
        if (list->count() > 0)
            list->setCurrentRow(std::min(row, list->count() - 1));
    };
    fill();
    const auto chosen = [&] { return list->currentItem() ? list->currentItem()->data(Qt::UserRole).toString() : QString(); };
    struct F2 : QObject {
        std::function<void()> toggle;
        bool eventFilter(QObject*, QEvent* e) override
        {
            // F2, or a double click with Alt held (a plain one loads the filter).
            const bool key = e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F2;
            const bool altDouble = e->type() == QEvent::MouseButtonDblClick &&
                                   (static_cast<QMouseEvent*>(e)->modifiers() & Qt::AltModifier);
            if (key || altDouble) {
                toggle();
                return true;
            }
            return false;
        }
    } f2;
    f2.toggle = [&] {
        if (!chosen().isEmpty()) {
            m_filter.toggleDefault(chosen());
            fill();
        }
    };
    list->installEventFilter(&f2);
    list->viewport()->installEventFilter(&f2);
    const auto doLoad = [&] {
        if (chosen().isEmpty())
            return;
        m_clearAll = clearAll->isChecked();
        m_withOr = withOr->isChecked();
        m_filter.loadSaved(chosen(), m_clearAll && clearAll->isEnabled(), m_withOr);
        dialog.accept();
    };
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, doLoad);
    QObject::connect(load, &QPushButton::clicked, &dialog, doLoad);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        if (chosen().isEmpty())
            return;
        if (vrt::message(m_filter.TRN(QStringLiteral("Delete filter ?")), {}, vrt::Icon::Question,
                         vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO) != vrt::BUTTON_YES)
            return;
        m_filter.deleteSaved(chosen());
        fill();
        list->setFocus();
    });
    vrt::runModal(dialog);
    m_clearAll = clearAll->isChecked();
    m_withOr = withOr->isChecked();
}

void QuickFilterWindows::showFilters()
{
    QDialog dialog(&m_view);
    dialog.setWindowTitle(QStringLiteral("Show Filters"));
    auto* table = new QTableWidget(int(m_filter.XFILTER.size()), 9);
    table->setHorizontalHeaderLabels({"Name", "Number", "On", "Instring", "Type", "LastFilter", "FieldPicture",
                                      "FieldType", "FilterToFilter"});
    int row = 0;
    for (const auto& e : m_filter.XFILTER) {
        const QStringList cells = {e.FILTERNAME,
                                   QString::number(e.FIELDNUMBER),
                                   QString::number(e.FILTERON),
                                   QString::number(e.FILTERINSTRING),
                                   QString::number(e.FILTERTYPE),
                                   QString::number(e.LASTFILTER),
                                   e.FIELDPICTURE,
                                   QString::number(e.FIELDTYPE),
                                   e.FILTERTOFILTER};
        for (int c = 0; c < cells.size(); ++c)
            table->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(box);
    vrt::runModal(dialog);
}

} // namespace ext
