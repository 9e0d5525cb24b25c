#pragma once
#include <QLocale>
#include <QFont>
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>
#include "protocols/MailHtml.h"
#include <functional>
#include <map>

class QCalendarWidget;
class QLabel;
class QPushButton;
class QVBoxLayout;

// Components the organiser window hosts in its panes, under their program identifiers.
namespace controls {

inline constexpr const char* kChartProgId = "RMChart.RMChartX";
inline constexpr const char* kTaskPanelProgId = "Codejock.TaskPanel.12.1.1";
inline constexpr const char* kWebBrowserProgId = "Codejock.WebBrowser.12.1.1";
inline constexpr const char* kCalendarSettingsProgId = "Codejock.CalendarGlobalSettings.12.1.1";
inline constexpr const char* kCalendarProgId = "Codejock.CalendarControl.12.1.1";
inline constexpr const char* kDatePickerProgId = "Codejock.DatePicker.12.1.1";
inline constexpr const char* kGanttProgId = "Exontrol.G2antt.1";

// The panel that shows the shown message's header: one group of items, each a line of text
// in its own font, or a control item that hosts another widget.
class MessageHeaderPanel : public QWidget {
    Q_OBJECT
public:
    enum ItemType { TextItem = 1, ControlItem = 3 };
    explicit MessageHeaderPanel(QWidget* parent = nullptr);

    void addGroup(int id, const QString& caption);
    void setCaptionVisible(bool visible);
    bool captionVisible() const { return m_captionVisible; }
    void addItem(int id, const QString& caption, int type);
    void setItemFont(int id, const QFont& font);
    void setItemText(int id, const QString& text);
    // A control item shows `widget` inside the panel.
    void setHandle(int id, QWidget* widget);
    void setMargins(int left, int top, int right, int bottom, int middle);

    QList<int> itemIds() const;
    QWidget* item(int id) const;
    QWidget* hosted(int id) const;

private:
    struct Item {
        int type;
        QWidget* widget;
        QPointer<QWidget> hosted;
    };
    QVBoxLayout* m_layout;
    QLabel* m_caption;
    std::map<int, Item> m_items;
    QList<int> m_order;
    bool m_captionVisible = true;
};

// The mail preview: the body file and the images beside it, nothing else. It reads only
// regular files inside the body file's folder, at most kMaxPreviewBytes each; no device,
// pipe, link out of the folder or remote address is opened, and no script runs.
class PreviewBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit PreviewBrowser(QWidget* parent = nullptr);
    // A local file, or "about:blank"; then the event "NavigateComplete2".
    void navigate(const QString& target);
    QString location() const { return m_location; }
    // The markup handed to the text browser for the shown file (made safe).
    QString shownHtml() const { return m_shownHtml; }
    // A page of the program's own made from mail data (names, addresses): made safe like a
    // mail, with its icons as data images; `folder` is where its links may point.
    void showPage(const QString& html, const QString& folder);
    // Pages this browser shows are the program's own: they carry their icons as data images.
    bool ownPages = false;
    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // An event of the browser, by name, once it has happened.
    void eventRaised(const QString& event);

private:
    void load(const QString& target);
    QString m_location;
    QString m_shownHtml;
    QString m_folder; // canonical folder of the shown body file; empty: nothing may load
};

// The calendar's global settings: the language resources and the title.
class CalendarGlobalSettings : public QObject {
    Q_OBJECT
public:
    explicit CalendarGlobalSettings(QObject* parent = nullptr) : QObject(parent) {}
    void ResourceFile(const QString& path) { m_resourceFile = path; }
    QString resourceFile() const { return m_resourceFile; }
    bool UseResourceFileLocale = false;
    // The language of the resource file (its name ends in Hr, En or Ru) when the calendar
    // takes its locale from it; otherwise the default locale.
    QLocale locale() const;
    QString Title;

private:
    QString m_resourceFile;
};

// A date picker bound to a calendar: a month view and a "today" button.
class DatePicker : public QWidget {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);
    // Bound to the calendar component: a picked day is shown there, days with events are bold.
    void AttachToCalendar(QObject* calendar);
    bool isBold(const QDate& day) const;
    QObject* attachedCalendar() const { return m_calendar; }
    void setShowNoneButton(bool show);
    void setTextTodayButton(const QString& text);
    QString textTodayButton() const;
    int BorderStyle = 0;
    QCalendarWidget* month() const { return m_month; }

private:
    void markEventDays();
    QCalendarWidget* m_month;
    QPushButton* m_today;
    QPushButton* m_none;
    QPointer<QObject> m_calendar;
};

// Stand-in for a pane whose real component is built by a later piece of work (the calendar):
// it fills its place and names what will be there.
class PaneStandIn : public QWidget {
    Q_OBJECT
public:
    PaneStandIn(const QString& progId, QWidget* parent = nullptr);
    QString progId() const { return m_progId; }

private:
    QString m_progId;
};

void registerOrganiserControls();

} // namespace controls
