#pragma once
#include <QString>

#include <map>
#include <memory>
#include <mutex>

#include "runtime/FileManager.h"

// Before-and-after hooks on every insert, update and delete made through the file and
// relation managers of one table declaration, on every thread. A derived class puts its rules
// in the PRE hooks: answering false refuses the operation, which then fails with the hook's
// error code and text. Writes that bypass the managers (statements written by hand, rows
// deleted by a cascade, another program such as Korbelsteen) are not seen.
namespace ext {

class TRIGGERMANAGER : public vrt::FileCallback {
public:
    TRIGGERMANAGER() = default;
    ~TRIGGERMANAGER() override;
    TRIGGERMANAGER(const TRIGGERMANAGER&) = delete;
    TRIGGERMANAGER& operator=(const TRIGGERMANAGER&) = delete;

    // Attaches to `file`; with `savePreviousBuffer` keeps a copy of each row as it was read,
    // for the update hooks. A second SETUP changes nothing.
    void SETUP(const vrt::TableDesc& file, bool savePreviousBuffer = false);
    void KILL();

    virtual bool PREINSERT(int& errorCode, QString& errorMessage);
    virtual bool POSTINSERT(int& errorCode, QString& errorMessage);
    virtual bool PREUPDATE(int& errorCode, QString& errorMessage);
    virtual bool POSTUPDATE(int& errorCode, QString& errorMessage);
    virtual bool PREDELETE(int& errorCode, QString& errorMessage);
    virtual bool POSTDELETE(int& errorCode, QString& errorMessage);

    // During a hook: the record being written (the calling thread's buffer) and, with
    // SAVEPREVIOUSBUFFER, the row as that thread last read it.
    void* BUFFER = nullptr;
    const void* PREVIOUSBUFFER = nullptr;
    const vrt::TableDesc* FILE = nullptr;
    bool SAVEPREVIOUSBUFFER = false;
    // The result of the operation, for the POST hooks.
    int RESULT = 0;

    // vrt::FileCallback
    bool functionCalled(vrt::FileOperation op, vrt::FileManager& file, int& errorCode, std::string& errorText) override;
    void functionDone(vrt::FileOperation op, vrt::FileManager& file, int result) override;

private:
    std::mutex m_mutex;
    std::unique_ptr<std::map<vrt::FileManager*, std::shared_ptr<void>>> m_previous;
};

} // namespace ext
