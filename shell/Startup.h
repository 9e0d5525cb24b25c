#pragma once
#include <QString>

#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

class QUILVO;

namespace shell {

// What the program calls of its libraries and of the frame. The program uses the real ones;
// tests record the calls.
class LibraryEntries {
public:
    virtual ~LibraryEntries() = default;
    virtual void corvaldeInit(vrt::ErrorClass* errors, vrt::IniClass* settings) = 0;
    virtual void dllInit(vrt::ErrorClass* errors, vrt::IniClass* settings) = 0;
    virtual void utilsInit(vrt::ErrorClass* errors, vrt::IniClass* settings) = 0;
    virtual void corvaldeKill() = 0;
    virtual void dllKill() = 0;
    virtual void utilsKill() = 0;
    // Runs the frame; returns when its window has closed, with the program's exit code.
    virtual int runFrame() = 0;
};

// The program's own libraries and frame.
LibraryEntries& defaultEntries();

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
int VelmoraMain(LibraryEntries& entries);

} // namespace shell
