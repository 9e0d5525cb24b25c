#pragma once
#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <utility>

// The conversation between the frame and the organiser window: what each side sends, and what
// the frame does with what it receives. No widgets here; the frame window applies the results.
namespace shell {

// Frame -> organiser window.
enum ToOrganiser : int {
    kCommand = 1,      // a ribbon command id
    kTabChosen = 2,    // the ribbon tab the user chose, 1..8
    kWidthChanged = 3, // 0
    kMinimising = 4,   // 1
    kRestored = 5,     // 1: restored while not maximised
};

// Organiser window -> frame.
enum FromOrganiser : int {
    kModuleShown = 1,   // 1..8 or 101..104
    kCloseDown = 2,     // any number
    kAddressGroups = 3, // contact sheet page 1..4
};

using Translate = std::function<QString(const QString&)>;

// The caption strip's text for a module; nullopt leaves the caption as it is. Module 1 shows
// the company name as stored, or the program's own description when none is set.
std::optional<QString> moduleCaption(int module, const QString& companyName, const Translate& translate);

// The caption while another process sends and receives mail.
QString busyCaption(const Translate& translate);

// Groups of the address-book tab that the organiser shows or hides, in this order.
inline constexpr std::array<int, 3> kAddressGroupIds{80, 81, 82};
// Visibility of those groups for a contact sheet page; nullopt leaves them as they are.
std::optional<std::array<bool, 3>> addressGroupsVisible(int page);

// Sends to the organiser window in order. Until the organiser window has registered as a
// receiver, notifications wait here instead of being lost.
class OrganiserLink {
public:
    using Sender = std::function<bool(int receiver, int code, int number)>;
    // `receiverId` says where the organiser window is now (0 = not yet registered).
    OrganiserLink(std::function<int()> receiverId, Sender sender);
    // The organiser window of the program (its receiver id is published in a global).
    OrganiserLink();

    void send(int code, int number);
    // Delivers what waits, once the organiser window can receive it.
    void flush();
    std::size_t pending() const { return m_waiting.size(); }

private:
    std::function<int()> m_receiverId;
    Sender m_sender;
    std::deque<std::pair<int, int>> m_waiting;
};

// Turns what the user does on the ribbon into notifications.
class CommandForwarder {
public:
    explicit CommandForwarder(OrganiserLink& link) : m_link(link) {}
    void executed(int id);
    // The user chose a tab; its id as the ribbon reports it.
    void tabChosen(int tabId);
    int lastTab() const { return m_lastTab; }

private:
    OrganiserLink& m_link;
    int m_lastTab = 0;
};

// Reports a change of the frame's width once per change, and only after the frame opened.
class WidthWatch {
public:
    void opened(int width) { m_last = width; }
    bool changed(int width);

private:
    int m_last = 0;
};

// What the frame shows in answer to the organiser window.
class FrameView {
public:
    virtual ~FrameView() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual void selectRibbonTab(int tab) = 0;
    virtual void setAddressGroups(const std::array<bool, 3>& visible) = 0;
    // Posts the frame's orderly close.
    virtual void closeDown() = 0;
};

class NotificationHandler {
public:
    NotificationHandler(FrameView& view, Translate translate, std::function<QString()> companyName);
    void take(int code, int number);
    int module() const { return m_module; }
    // The caption of the last module that named one, made again (the language may have
    // changed since); nullopt before any did.
    std::optional<QString> caption() const;

private:
    std::optional<QString> captionOf(int module) const;

    FrameView& m_view;
    Translate m_translate;
    std::function<QString()> m_companyName;
    int m_module = 0;
    int m_captionModule = 0;
};

// Follows the mail-transfer flag: 1 while another process receives.
class TransferWatch {
public:
    enum class Change { None, Began, Ended };
    Change update(long long start);
    bool busy() const { return m_busy; }

private:
    bool m_busy = false;
};

} // namespace shell
