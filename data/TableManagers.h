#pragma once
#include "data/Dictionary.h"
#include "runtime/ErrorClass.h"
#include "runtime/FileManager.h"

// Every thread has its own record buffers, its own 35 file and relation managers and its own
// connection (GLO::OWNER): made at library load for the loading thread, at thread start for
// threads started through vrt::startThread, and on first use for any other thread.
namespace corvalde {
void CREATETABLEMANAGERS();
void KILLTABLEMANAGERS();
// Binds the calling thread's managers to an error manager.
void BindThreadManagers(vrt::ErrorClass* errors);
vrt::ErrorClass* ThreadManagersErrors();
// Whether the calling thread has its managers now (false after KILLTABLEMANAGERS).
bool ThreadManagersExist();
// The calling thread's connection.
vrt::Session& ThreadSession();
} // namespace corvalde

// `Access:<label>` and `Relate:<label>` of the calling thread.
vrt::FileManager& Access(Tbl slot);
vrt::RelationManager& Relate(Tbl slot);
