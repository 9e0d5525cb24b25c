#include "shell/FrameProtocol.h"

#include "data/Globals.h"
#include "runtime/Notify.h"
#include "runtime/Text.h"
#include "shell/RibbonModel.h"

namespace shell {

std::optional<QString> moduleCaption(int module, const QString& companyName, const Translate& translate)
{
    if (module == 1) {
        const QString name = vrt::clip(companyName, 255);
        if (!name.trimmed().isEmpty())
            return name;
        return translate(QStringLiteral("Osobni organizator i poslovna evidencija")).toUpper();
    }
    const char* text = nullptr;
    switch (module) {
    case 2: text = "EMAIL poruke"; break;
    case 3: text = "LISTA zadataka"; break;
    case 4: text = "KALENDAR"; break;
    case 5: text = "PROJEKTI - Gantt"; break;
    case 6:
    case 101: text = "PRIHODI/TROŠKOVI"; break;
    case 7: text = "PASSWORDI"; break;
    case 8: text = "KONTAKTI i adresar"; break;
    case 102: text = "ULAZNI dokumenti - trošak"; break;
    case 103: text = "IZLAZNI dokumenti - prihod"; break;
    case 104: text = "STANJE - prihod/trošak"; break;
    default: return std::nullopt;
    }
    return translate(QString::fromUtf8(text)).toUpper();
}

QString busyCaption(const Translate& translate)
{
    return translate(QStringLiteral("SLANJE/PRIMANJE U TOKU ... MOLIMO PRIČEKAJTE ...")).toUpper();
}

std::optional<std::array<bool, 3>> addressGroupsVisible(int page)
{
    switch (page) {
    case 1: return std::array<bool, 3>{false, false, false};
    case 2: return std::array<bool, 3>{true, false, false};
    case 3: return std::array<bool, 3>{false, true, false};
    case 4: return std::array<bool, 3>{false, false, true};
    default: return std::nullopt;
    }
}

OrganiserLink::OrganiserLink(std::function<int()> receiverId, Sender sender)
    : m_receiverId(std::move(receiverId)), m_sender(std::move(sender))
{
}

OrganiserLink::OrganiserLink()
    : OrganiserLink([] { return GLO::W_FIRST.load(); },
                    [](int receiver, int code, int number) { return vrt::notify(receiver, code, number); })
{
}

void OrganiserLink::send(int code, int number)
{
    m_waiting.emplace_back(code, number);
    flush();
}

void OrganiserLink::flush()
{
    while (!m_waiting.empty()) {
        const int receiver = m_receiverId();
        if (receiver == 0 || !m_sender(receiver, m_waiting.front().first, m_waiting.front().second))
            return;
        m_waiting.pop_front();
    }
}

void CommandForwarder::executed(int id)
{
    if (id < kFirstReservedId)
        m_link.send(kCommand, id);
}

void CommandForwarder::tabChosen(int tabId)
{
    m_lastTab = tabNumberForId(tabId, m_lastTab);
    m_link.send(kTabChosen, m_lastTab);
}

bool WidthWatch::changed(int width)
{
    if (m_last == 0 || width == m_last)
        return false;
    m_last = width;
    return true;
}

NotificationHandler::NotificationHandler(FrameView& view, Translate translate,
                                         std::function<QString()> companyName)
    : m_view(view), m_translate(std::move(translate)), m_companyName(std::move(companyName))
{
}

void NotificationHandler::take(int code, int number)
{
    switch (code) {
    case kModuleShown:
        if (auto caption = captionOf(number)) {
            m_view.setCaption(*caption);
            m_captionModule = number;
        }
        m_module = number;
        if (number >= 1 && number <= kTabCount)
            m_view.selectRibbonTab(number);
        break;
    case kCloseDown:
        m_view.closeDown();
        break;
    case kAddressGroups:
        if (auto visible = addressGroupsVisible(number))
            m_view.setAddressGroups(*visible);
        break;
    default:
        break;
    }
}

std::optional<QString> NotificationHandler::caption() const
{
    return m_captionModule == 0 ? std::nullopt : captionOf(m_captionModule);
}

std::optional<QString> NotificationHandler::captionOf(int module) const
{
    return moduleCaption(module, module == 1 ? m_companyName() : QString(), m_translate);
}

TransferWatch::Change TransferWatch::update(long long start)
{
    const bool busy = start == 1;
    if (busy == m_busy)
        return Change::None;
    m_busy = busy;
    return busy ? Change::Began : Change::Ended;
}

} // namespace shell
