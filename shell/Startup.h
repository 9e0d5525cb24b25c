#pragma once
#include <QString>
#include <functional>

#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

class QUILVO;

namespace shell {

// What the program calls of its libraries and of the frame. The program uses the real ones;
// tests record the calls.
struct LibraryEntries {
    std::function<void(vrt::ErrorClass*, vrt::IniClass*)> corvaldeInit, dllInit, utilsInit;
    std::function<void()> corvaldeKill, dllKill, utilsKill;
    // Runs the frame; returns when its window has closed, with the program's exit code.
    std::function<int()> runFrame;
};

LibraryEntries defaultEntries();

// The program-wide objects and the copies of the language settings.
struct Program {
    vrt::ErrorClass errors;
    vrt::IniClass settings;
    QUILVO* translator = nullptr;
    int language = 1;
    QString translationFile;
};
Program& program();

// The MESSAGE hook's rule: left-aligned, no trailing blanks, at most 255 characters.
QString messageText(const QString& text);

// Start-up, frame, shutdown. Returns the frame's exit code.
int VelmoraMain(const LibraryEntries& entries);

} // namespace shell
