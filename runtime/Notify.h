#pragma once
#include <QEvent>
#include <QObject>

namespace vrt {

// A notification between windows: a code and a number, delivered asynchronously and in
// order as a posted event. Nothing is answered.
class NotifyEvent : public QEvent {
public:
    NotifyEvent(int code, int number) : QEvent(type()), m_code(code), m_number(number) {}
    static QEvent::Type type();
    int code() const { return m_code; }
    int number() const { return m_number; }

private:
    int m_code;
    int m_number;
};

// Receivers are known by a number, as windows on their own threads were; 0 is never used.
int registerReceiver(QObject* receiver);
void unregisterReceiver(int id);
QObject* receiver(int id);

// False when no receiver has that number (the notification is dropped).
bool notify(int receiverId, int code, int number = 0);

} // namespace vrt
