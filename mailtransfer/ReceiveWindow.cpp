#include "mailtransfer/ReceiveWindow.h"

#include "mailtransfer/ReceiveController.h"
#include "procedures/common/ListLayoutView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korbelsteen {

ReceiveWindow::ReceiveWindow(ReceiveController& controller, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Email"));
    setFont(QFont(QStringLiteral("Tahoma")));
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Slanje i primanje"), QStringLiteral("Mail Host"),
                             QStringLiteral("Pop User Name"), QStringLiteral("Pop Password"),
                             QStringLiteral("Pop Mail Port"), QStringLiteral("Pop Ssl")});
    for (int c = 0; c < m_list->columnCount(); ++c)
        m_list->setColumnHidden(c, c != 1);
    m_list->setColumnWidth(1, 333);
    auto* cancel = new QPushButton(QIcon(QStringLiteral(":/icons/cancel.ico")), QStringLiteral("Prekid"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, &controller, &ReceiveController::cancel);
    // The list's column widths live in the working folder's Standard.ini.
    VelmoraDll::restoreListLayout(m_list->header(), QStringLiteral("W_Korbelsteen"), QStringLiteral("?L:AccountsQ"));
    connect(&controller, &ReceiveController::closed, this, [this] {
        VelmoraDll::saveListLayout(m_list->header(), QStringLiteral("W_Korbelsteen"), QStringLiteral("?L:AccountsQ"));
    });
    connect(&controller, &ReceiveController::textChanged, this, [this](int row, const QString& text) {
        while (m_list->topLevelItemCount() <= row)
            m_list->addTopLevelItem(new QTreeWidgetItem());
        m_list->topLevelItem(row)->setText(1, text);
    });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().width() - width() - 4, y());
    hide();
}

} // namespace korbelsteen
