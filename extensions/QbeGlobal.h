#pragma once
#include "extensions/CriticalSection.h"

#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace DTRV {

// What the query windows share: the English text of every "DTRV::" key (an application that
// shows its screens in another language overrides TRANSLATE) and one named filter per file,
// kept for all threads.
class GLOBALCLASS {
public:
    virtual ~GLOBALCLASS() = default;

    // The text of a known key; an unknown "DTRV::" key is reported once in a message and
    // returned as it is; any other text comes back unchanged.
    virtual QString TRANSLATE(const QString& key);

    // The filter kept for `file` (any case), empty when none. `lock` false: the caller
    // already holds SYNC.
    QString GETFILTER(const QString& file, bool lock = true);
    // Keeps `filter` for `file`; an empty filter forgets it.
    void SETFILTER(const QString& file, const QString& filter = {}, bool lock = true);

    ST::CRITICALSECTION SYNC;

    // The table of known keys in order, for the windows and tests.
    static const std::vector<std::pair<const char*, const char*>>& texts();

private:
    std::map<QString, QString> FILTERLIST; // file in upper case -> filter
};

} // namespace DTRV
