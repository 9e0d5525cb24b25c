#include "shell/FrameWindow.h"

#include "services/Quilvo.h"
#include "shell/Startup.h"


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
    // The frame's texts are recorded untranslated, so a language change can start from them.
    if (QUILVO* t = shell::program().translator) {
        t->FRAMEWINDOW = &frame;
        t->QVFRQ(&frame);
        t->TRANSLATEWINDOW(&frame);
    }
    frame.showMaximized();
    qInfo("velmora: frame open");
    return QApplication::exec();
}
