#pragma once
#include "runtime/ErrorClass.h"

namespace corvalde {
// The table managers of the calling thread: created at library load for the loading thread
// and at thread start for every other thread.
void CREATETABLEMANAGERS();
void KILLTABLEMANAGERS();
// Binds the calling thread's managers to an error manager.
void BindThreadManagers(vrt::ErrorClass* errors);
vrt::ErrorClass* ThreadManagersErrors();
} // namespace corvalde
