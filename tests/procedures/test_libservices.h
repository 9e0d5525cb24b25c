#pragma once
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"
#include "tests/support/TestSupport.h"

namespace libservices_test {

// Messages straight to the scripted presenter, with none recorded yet: what other tests left
// in the runtime's hook slots must not decide what these tests see.
inline void freshMessages()
{
    vrt::resetHooks();
    testsupport::presenter().clear();
}

// The two seeded category names in English, every other text as it stands.
struct English : QUILVO {
    QString QVSTR(const QString& t) override
    {
        if (t == QStringLiteral("Prihodi"))
            return QStringLiteral("Income");
        return t == QStringLiteral("Troškovi") ? QStringLiteral("Expenses") : t;
    }
};

} // namespace libservices_test
