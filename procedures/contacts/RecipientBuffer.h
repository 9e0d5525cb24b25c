#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <mutex>

// MC:TO, MC:CC and MC:BCC: the recipients the contact browse collects for the mail editor,
// one set per process. No length limit: an address is never cut off.
namespace mailpeople {

class RecipientBuffer {
public:
    enum Kind { To = 0, Cc = 1, Bcc = 2 };

    static RecipientBuffer& instance();

    QString text(Kind kind) const;
    void setText(Kind kind, const QString& text);
    void clear();
    bool allEmpty() const;

    // Appends `address` to the list with ";" between it and what is there. An empty address,
    // or one already in any of the three lists (letter case aside), adds nothing: a recipient
    // gets a message once. True when the address was added.
    bool add(Kind kind, const QString& address);

    // The addresses of a list, without blanks and empty parts.
    static QStringList addresses(const QString& list);

private:
    mutable std::mutex m_mutex;
    std::array<QString, 3> m_lists;
};

} // namespace mailpeople
