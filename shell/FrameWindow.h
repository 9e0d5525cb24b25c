#pragma once
#include <QMainWindow>

namespace shell {

// The program's main window. Closing it ends the event loop; the program then shuts down.
class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit FrameWindow(QWidget* parent = nullptr);
};

} // namespace shell

// Runs the frame until its window closes; returns the event loop's exit code.
int W_Frame();
