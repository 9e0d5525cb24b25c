#pragma once
#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

class QUILVO;

namespace CORVALDE {
// First call only: the caller's error manager becomes the dictionary's (when given) and the
// calling thread's table managers report through it. `ini` is accepted and not used.
void INIT(vrt::ErrorClass* errors, vrt::IniClass* ini);
// Sets its flag; releasing happens at unload and thread end.
void KILL();
bool initialised();
bool killed();
} // namespace CORVALDE

namespace corvalde {

// Library start-up, run once (idempotent) by every program and test fixture before anything
// else of the library; unload() is its pair.
void load();
void unload();
bool loaded();

// The error manager every table manager reports through.
vrt::ErrorClass* DictionaryErrors();
QUILVO& translator();

// Reads the language number and translation file name from ".\Standard.ini" (the current
// folder) into G::QVLang and G::QVFile; defaults 1 and "Velmora.qvl".
void readLanguageSettings(int maxFileChars);

// Clears the once-flags of CORVALDE::INIT/KILL and restores the library's own error
// manager; for tests only.
void resetInitForTest();

// The placeholder procedure: message 27 with its own name, pending key cleared, response 2.
void ProcedureNotDefined();

} // namespace corvalde
