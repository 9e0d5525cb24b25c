#include "controls/OrganiserControls.h"

#include "controls/GanttView.h"

#include <QCalendarWidget>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "runtime/ComponentRegistry.h"

namespace controls {

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
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        w = label;
    }
    w->setObjectName(QStringLiteral("item%1").arg(id));
    m_layout->insertWidget(m_layout->count() - 1, w, type == ControlItem ? 1 : 0);
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
    m_location = target;
    QFile f(target);
    if (target == QLatin1String("about:blank") || !f.open(QIODevice::ReadOnly)) {
        clear();
        return;
    }
    setHtml(QString::fromUtf8(f.readAll()));
}

QVariant PreviewBrowser::loadResource(int type, const QUrl& name)
{
    // Only files beside the message (inline parts saved with it) are shown.
    if (!name.isLocalFile() && !name.isRelative())
        return {};
    return QTextBrowser::loadResource(type, name);
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
    connect(m_today, &QPushButton::clicked, this, [this] { m_month->setSelectedDate(QDate::currentDate()); });
}

void DatePicker::setShowNoneButton(bool show) { m_none->setVisible(show); }
void DatePicker::setTextTodayButton(const QString& text) { m_today->setText(text); }
QString DatePicker::textTodayButton() const { return m_today->text(); }

// ---- stand-ins ----------------------------------------------------------------------------

PaneStandIn::PaneStandIn(const QString& progId, QWidget* parent) : QWidget(parent), m_progId(progId)
{
    auto* box = new QVBoxLayout(this);
    auto* label = new QLabel(progId, this);
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
    // The calendar is a later piece of work; a stand-in holds its place.
    r.registerFactory(QString::fromLatin1(kCalendarProgId), [](QWidget* p) { return new PaneStandIn(QString::fromLatin1(kCalendarProgId), p); });
    r.registerFactory(QString::fromLatin1(kGanttProgId), [](QWidget* p) { return new GanttView(p); });
}

} // namespace controls
