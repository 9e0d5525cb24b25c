#include "runtime/ViewManagerLoop.h"

namespace MH {

int VIEWMANAGER::Open()
{
    if (BLOCKOPEN)
        return vrt::NoError;
    BLOCKOPEN = true;
    int rc = vrt::ViewManager::Open();
    if (rc == vrt::NoError)
        rc = ApplyRange();
    if (rc == vrt::NoError)
        rc = Reset();
    BLOCKOPEN = false;
    return rc;
}

int VIEWMANAGER::Reset(bool fromBuffer)
{
    if (BLOCKRESET)
        return vrt::NoError;
    BLOCKRESET = true;
    const int rc = vrt::ViewManager::Reset(fromBuffer);
    BLOCKRESET = false;
    return rc;
}

void VIEWMANAGER::Kill()
{
    Close();
    vrt::ViewManager::Kill();
}

int VIEWMANAGER::reread(int status)
{
    vrt::FileManager& file = Primary();
    if (status != vrt::NoError || file.TryFetch(file.FILE->primaryKey()) == vrt::NoError)
        return status;
    file.clearBuffer();
    return vrt::RecordNotAvailable;
}

int VIEWMANAGER::NEXT(bool rereadRecord)
{
    const int status = Next();
    return rereadRecord ? reread(status) : status;
}

int VIEWMANAGER::PREVIOUS(bool rereadRecord)
{
    const int status = Previous();
    return rereadRecord ? reread(status) : status;
}

uint8_t VIEWMANAGER::RUN(bool rereadRecord, int direction, bool once)
{
    uint8_t taken = 0;
    if (Open() == vrt::NoError) {
        while ((direction > 0 ? NEXT(rereadRecord) : PREVIOUS(rereadRecord)) == vrt::NoError) {
            taken = TAKERECORD();
            if (once || taken != 0)
                break;
        }
    }
    Close();
    return taken;
}

} // namespace MH
