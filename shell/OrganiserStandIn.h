#pragma once
#include <QObject>
#include <vector>

namespace shell {

// Stands where the organiser window will be: registers as its receiver, records what the
// frame sends, and answers as the organiser does for leaving the program (command 1013) and
// for a chosen tab (the module shown).
class OrganiserStandIn : public QObject {
    Q_OBJECT
public:
    struct Received {
        int code;
        int number;
        bool operator==(const Received&) const = default;
    };

    OrganiserStandIn(int frameReceiverId, QObject* parent = nullptr);
    ~OrganiserStandIn() override;
    int receiverId() const { return m_id; }
    const std::vector<Received>& received() const { return m_received; }
    void clear() { m_received.clear(); }

protected:
    bool event(QEvent* event) override;

private:
    int m_frame;
    int m_id;
    std::vector<Received> m_received;
};

} // namespace shell
