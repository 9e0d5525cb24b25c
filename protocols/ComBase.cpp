#include "protocols/ComBase.h"

#include <optional>

namespace controls {
namespace {
thread_local std::optional<QString> t_errorInfo;
} // namespace

void setErrorInfo(const QString& description) { t_errorInfo = description; }
void clearErrorInfo() { t_errorInfo.reset(); }

bool takeErrorInfo(QString* description)
{
    if (!t_errorInfo)
        return false;
    if (description)
        *description = *t_errorInfo;
    t_errorInfo.reset();
    return true;
}

} // namespace controls
