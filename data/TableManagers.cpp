#include "data/TableManagers.h"
#include "data/Corvalde.h"
#include "runtime/Threads.h"

namespace corvalde {
namespace {
struct ThreadManagers {
    vrt::ErrorClass* errors = nullptr;
};
} // namespace

void CREATETABLEMANAGERS()
{
    vrt::perThread<ThreadManagers>().errors = DictionaryErrors();
}

void KILLTABLEMANAGERS()
{
    vrt::perThread<ThreadManagers>().errors = nullptr;
}

void BindThreadManagers(vrt::ErrorClass* errors)
{
    vrt::perThread<ThreadManagers>().errors = errors;
}

vrt::ErrorClass* ThreadManagersErrors()
{
    return vrt::perThread<ThreadManagers>().errors;
}

} // namespace corvalde
