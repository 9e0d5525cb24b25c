#pragma once
#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

// A small outside library of which only the initialiser and shutdown are used.
namespace VelmoraUtils {
void INIT(vrt::ErrorClass* errors, vrt::IniClass* settings);
void KILL();
} // namespace VelmoraUtils
