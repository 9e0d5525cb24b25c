#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

#include "runtime/BrowseLocator.h"

class QAbstractItemView;
class QLineEdit;
class QWidget;

// Type-ahead search in a list: while the list has the focus, typed characters build a search
// text and the first row whose searched column starts with it (ignoring case) is selected.
// Two seconds without typing, the navigation keys and mouse clicks start a new search. The
// text can be mirrored into a variable and shown in a locator entry, whose placeholder then
// names the searched column. The list's own keyboard search gets no characters, so only one
// search moves the selection.
class CFCQUEUELOCATORCLASS : public QObject {
    Q_OBJECT
public:
    // How often the pause is checked while there is a text, in milliseconds.
    static constexpr int TimerInterval = 100;

    explicit CFCQUEUELOCATORCLASS(QObject* parent = nullptr);
    ~CFCQUEUELOCATORCLASS() override;

    // `variable` (optional) mirrors the search text; `locatorEntry` (optional) shows it, and
    // editing it searches for what it holds.
    void INIT(QAbstractItemView* list, QString* variable = nullptr, QLineEdit* locatorEntry = nullptr);
    // A list whose rows are not all in its model (read when shown) searches itself: `search`
    // gets the search text instead of the model being walked.
    void INIT(QAbstractItemView* list, std::function<void(const QString&)> search);
    // Turns type-ahead on over model column `column`.
    void SETACTIVELOCATOR(int column);
    void SETCLEARTIME(int hundredths) { m_text.setClearTime(hundredths); }
    void REMOVELOCATOR();
    void CLEARLOCATOR();
    // The locator entry was edited: its text becomes the search text.
    virtual void TAKEACCEPTED();
    // Selects the first matching row; nothing matching leaves the selection.
    void NEWSELECTION();
    void KILL();

    // The timer's tick: clears the search text once the pause is long enough.
    void TAKETIMER();
    // Typed characters as the list received them (Backspace as U+0008).
    void TAKECHARACTERS(const QString& chars);

    const QString& searchText() const { return m_text.text(); }
    bool active() const { return m_use; }
    int column() const { return m_column; }
    void setClock(vrt::LocatorText::Clock clock) { m_text.setClock(std::move(clock)); }

signals:
    // The locator selected `row` of the list.
    void newSelection(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mirror();
    bool typedCharacters(const QString& text) const;

    QPointer<QAbstractItemView> m_list;
    QPointer<QWidget> m_viewport;
    QPointer<QWidget> m_header;
    QPointer<QLineEdit> m_entry;
    QString* m_variable = nullptr;
    std::function<void(const QString&)> m_search;
    vrt::LocatorText m_text;
    int m_column = 0;
    bool m_use = false;
    QTimer m_timer;
};
