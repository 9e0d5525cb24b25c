#pragma once
#include <QWidget>

class QTreeWidget;

namespace korbelsteen {

class ReceiveController;

// The receive's window: one line per account with its progress, and "Prekid". It is built
// and kept hidden; the organiser's busy caption is what the user sees of a receive.
class ReceiveWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReceiveWindow(ReceiveController& controller, QWidget* parent = nullptr);

private:
    QTreeWidget* m_list = nullptr;
};

} // namespace korbelsteen
