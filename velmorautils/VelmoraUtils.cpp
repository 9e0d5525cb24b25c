#include "velmorautils/VelmoraUtils.h"

namespace VelmoraUtils {
void INIT(vrt::ErrorClass*, vrt::IniClass*) {}
void KILL() {}
} // namespace VelmoraUtils
