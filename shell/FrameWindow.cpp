#include "shell/FrameWindow.h"

#include "runtime/Termination.h"

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
    QPointer<shell::FrameWindow> guard(&frame);
    vrt::installTerminationHandler([guard] {
        if (guard)
            guard->close();
        else
            QCoreApplication::quit();
    });
    frame.showMaximized();
    return QApplication::exec();
}
