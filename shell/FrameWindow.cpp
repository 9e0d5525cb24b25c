#include "shell/FrameWindow.h"


#include <QApplication>
#include <QLabel>
#include <QPointer>

namespace shell {

FrameWindow::FrameWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Velmora"));
    auto* wait = new QLabel(QStringLiteral("Velmora"), this);
    wait->setAlignment(Qt::AlignCenter);
    setCentralWidget(wait);
    resize(1024, 700);
}

} // namespace shell

int W_Frame()
{
    shell::FrameWindow frame;
    frame.showMaximized();
    qInfo("velmora: frame open");
    return QApplication::exec();
}
