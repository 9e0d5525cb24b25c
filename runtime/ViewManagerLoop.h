#pragma once
#include <cstdint>

#include "runtime/ViewManager.h"

namespace MH {

// A view with a record loop: RUN opens it, reads forwards or backwards and hands each record
// to TAKERECORD until it asks to stop, then closes it. Reading can fetch each record afresh
// from the table (reread). Open and Reset(bool) do not run again from inside themselves, so
// an ApplyRange or Reset override may call them.
class VIEWMANAGER : public vrt::ViewManager {
public:
    using vrt::ViewManager::ViewManager;

    int Open() override;
    using vrt::ViewManager::Reset;
    int Reset(bool fromBuffer) override;
    void Kill() override;

    // The next (previous) record; with `reread`, read again from the table by its primary key;
    // a record gone meanwhile clears the buffer and answers RecordNotAvailable.
    virtual int NEXT(bool reread);
    virtual int PREVIOUS(bool reread);
    // The current record is in the buffer; non-zero stops the loop and is RUN's answer.
    virtual uint8_t TAKERECORD() { return 0; }
    // `direction` above 0 reads forwards, otherwise backwards; `once` takes one record only.
    // Answers the last TAKERECORD answer, 0 when no record was taken.
    uint8_t RUN(bool reread, int direction, bool once = false);

    bool BLOCKOPEN = false;
    bool BLOCKRESET = false;

private:
    int reread(int status);
};

} // namespace MH
