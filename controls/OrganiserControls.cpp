#include "controls/OrganiserControls.h"

#include "controls/GanttView.h"

#include <QCalendarWidget>
#include <QTextCharFormat>
#include <QChartView>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QUrl>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/CalendarControl.h"
#include "runtime/ComponentRegistry.h"


#include <optional>

namespace controls {

QLocale CalendarGlobalSettings::locale() const
{
    if (!UseResourceFileLocale)
        return QLocale();
    const QString base = QFileInfo(m_resourceFile).completeBaseName();
    if (base.endsWith(QLatin1String("Hr"), Qt::CaseInsensitive))
        return QLocale(QLocale::Croatian, QLocale::Croatia);
    if (base.endsWith(QLatin1String("En"), Qt::CaseInsensitive))
        return QLocale(QLocale::English, QLocale::UnitedKingdom);
    if (base.endsWith(QLatin1String("Ru"), Qt::CaseInsensitive))
        return QLocale(QLocale::Russian, QLocale::Russia);
    return QLocale();
}

// ---- message header panel -----------------------------------------------------------------

MessageHeaderPanel::MessageHeaderPanel(QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_caption = new QLabel(this);
    m_caption->hide();
    m_layout->addWidget(m_caption);
    m_layout->addStretch(1);
}

void MessageHeaderPanel::addGroup(int, const QString& caption)
{
    m_caption->setText(caption);
    m_caption->setVisible(m_captionVisible);
}

void MessageHeaderPanel::setCaptionVisible(bool visible)
{
    m_captionVisible = visible;
    m_caption->setVisible(visible);
}

void MessageHeaderPanel::addItem(int id, const QString& caption, int type)
{
    QWidget* w = nullptr;
    if (type == ControlItem) {
        w = new QWidget(this);
        auto* box = new QVBoxLayout(w);
        box->setContentsMargins(0, 0, 0, 0);
    } else {
        auto* label = new QLabel(caption, this);
        // A subject or sender is text: a guess at rich text would load the images it names.
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        w = label;
    }
    w->setObjectName(QStringLiteral("item%1").arg(id));
    m_layout->insertWidget(m_layout->count() - 1, w, type == ControlItem ? 1 : 0);
    // A control item takes the room below the text lines; the closing stretch only fills in
    // while it is hidden.
    if (type == ControlItem)
        m_layout->setStretch(m_layout->count() - 1, 0);
    m_items[id] = {type, w, nullptr};
    m_order << id;
}

void MessageHeaderPanel::setItemFont(int id, const QFont& font)
{
    if (QWidget* w = item(id))
        w->setFont(font);
}

void MessageHeaderPanel::setItemText(int id, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(item(id)))
        label->setText(text);
}

void MessageHeaderPanel::setHandle(int id, QWidget* widget)
{
    const auto it = m_items.find(id);
    if (it == m_items.end() || it->second.type != ControlItem || !widget)
        return;
    widget->setParent(it->second.widget);
    it->second.widget->layout()->addWidget(widget);
    widget->show();
    it->second.hosted = widget;
}

void MessageHeaderPanel::setMargins(int left, int top, int right, int bottom, int middle)
{
    m_layout->setContentsMargins(left, top, right, bottom);
    m_layout->setSpacing(middle);
}

QList<int> MessageHeaderPanel::itemIds() const { return m_order; }

QWidget* MessageHeaderPanel::item(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second.widget;
}

QWidget* MessageHeaderPanel::hosted(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second.hosted.data();
}

// ---- preview ------------------------------------------------------------------------------

PreviewBrowser::PreviewBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

void PreviewBrowser::navigate(const QString& target)
{
    load(target);
    emit eventRaised(QStringLiteral("NavigateComplete2"));
}

void PreviewBrowser::load(const QString& target)
{
    m_location = target;
    m_folder.clear();
    m_shownHtml.clear();
    clear();
    if (target == QLatin1String("about:blank"))
        return;
    const QString folder = QFileInfo(QFileInfo(target).absolutePath()).canonicalFilePath();
    const std::optional<QByteArray> body = readFileInside(folder, target, kMaxPreviewBytes);
    if (body)
        showPage(decodeMailHtml(*body), folder);
}

void PreviewBrowser::showPage(const QString& html, const QString& folder)
{
    // The body's own folder is where its inline images lie and all it may load from.
    m_folder = QFileInfo(folder).canonicalFilePath();
    document()->setBaseUrl(QUrl::fromLocalFile(m_folder + QLatin1Char('/')));
    m_shownHtml = safeMailHtml(html, {m_folder, ownPages});
    setHtml(m_shownHtml);
}

QVariant PreviewBrowser::loadResource(int type, const QUrl& name)
{
    // A refusal is empty data, not an invalid answer: on an invalid one the document would
    // open a local file by itself.
    const QVariant refused = QVariant(QByteArray());
    // data: images are the mail's own bytes; the document decodes them.
    if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("data"))
        return {};
    if (type != QTextDocument::ImageResource || m_folder.isEmpty())
        return refused;
    const QUrl url = name.isRelative() ? QUrl::fromLocalFile(m_folder + QLatin1Char('/')).resolved(name) : name;
    if (!url.isLocalFile())
        return refused;
    const std::optional<QByteArray> bytes = readFileInside(m_folder, url.toLocalFile(), kMaxPreviewBytes);
    return bytes ? QVariant(*bytes) : refused;
}

// ---- date picker --------------------------------------------------------------------------

DatePicker::DatePicker(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    m_month = new QCalendarWidget(this);
    m_month->setGridVisible(false);
    box->addWidget(m_month);
    auto* buttons = new QHBoxLayout;
    m_today = new QPushButton(QStringLiteral("Today"), this);
    m_none = new QPushButton(QStringLiteral("None"), this);
    buttons->addWidget(m_today);
    buttons->addWidget(m_none);
    box->addLayout(buttons);
    box->addStretch(1); // the month keeps its own height at the top of a tall pane
    connect(m_today, &QPushButton::clicked, this, [this] { m_month->setSelectedDate(QDate::currentDate()); });
}

void DatePicker::AttachToCalendar(QObject* calendar)
{
    m_calendar = calendar;
    auto* cal = qobject_cast<CalendarControl*>(calendar);
    if (!cal)
        return;
    // A picked day is shown in the calendar; days with events are bold.
    connect(m_month, &QCalendarWidget::clicked, cal, [cal](const QDate& day) { cal->goToDate(day); });
    connect(m_month, &QCalendarWidget::activated, cal, [cal](const QDate& day) { cal->goToDate(day); });
    connect(m_today, &QPushButton::clicked, cal, [cal] { cal->goToDate(QDate::currentDate()); });
    connect(m_month, &QCalendarWidget::currentPageChanged, this, [this] { markEventDays(); });
    connect(cal, &CalendarControl::populated, this, [this] { markEventDays(); });
    connect(cal, &CalendarControl::shownPeriodChanged, this, [this, cal] {
        if (m_month->selectedDate() != cal->shownDate())
            m_month->setSelectedDate(cal->shownDate());
    });
    markEventDays();
}

void DatePicker::markEventDays()
{
    auto* cal = qobject_cast<CalendarControl*>(m_calendar);
    m_month->setDateTextFormat(QDate(), QTextCharFormat()); // all plain again
    if (!cal)
        return;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QDate first(m_month->yearShown(), m_month->monthShown(), 1);
    const std::vector<bool> marked = cal->DataProvider().daysWithEvents(first.addDays(-7), first.addDays(42));
    for (size_t i = 0; i < marked.size(); ++i)
        if (marked[i])
            m_month->setDateTextFormat(first.addDays(-7 + qint64(i)), bold);
}

bool DatePicker::isBold(const QDate& day) const { return m_month->dateTextFormat(day).fontWeight() == QFont::Bold; }

void DatePicker::setShowNoneButton(bool show) { m_none->setVisible(show); }
void DatePicker::setTextTodayButton(const QString& text) { m_today->setText(text); }
QString DatePicker::textTodayButton() const { return m_today->text(); }

// ---- stand-ins ----------------------------------------------------------------------------

PaneStandIn::PaneStandIn(const QString& progId, QWidget* parent) : QWidget(parent), m_progId(progId)
{
    auto* box = new QVBoxLayout(this);
    // What the user reads; the component's name is for the program only.
    auto* label = new QLabel(QStringLiteral("Ovaj dio programa još nije dostupan."), this);
    label->setObjectName(QStringLiteral("NotAvailable"));
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    box->addWidget(label);
}

void registerOrganiserControls()
{
    auto& r = vrt::ComponentRegistry::instance();
    r.registerFactory(QString::fromLatin1(kChartProgId), [](QWidget* p) { return new QChartView(p); });
    r.registerFactory(QString::fromLatin1(kTaskPanelProgId), [](QWidget* p) { return new MessageHeaderPanel(p); });
    r.registerFactory(QString::fromLatin1(kWebBrowserProgId), [](QWidget* p) { return new PreviewBrowser(p); });
    r.registerFactory(QString::fromLatin1(kCalendarSettingsProgId), [](QWidget* p) { return new CalendarGlobalSettings(p); });
    r.registerFactory(QString::fromLatin1(kDatePickerProgId), [](QWidget* p) { return new DatePicker(p); });
    registerCalendarControl();
    r.registerFactory(QString::fromLatin1(kGanttProgId), [](QWidget* p) { return new GanttView(p); });
}

} // namespace controls
