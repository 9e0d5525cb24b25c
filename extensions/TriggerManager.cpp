#include "extensions/TriggerManager.h"

namespace ext {

TRIGGERMANAGER::~TRIGGERMANAGER()
{
    KILL();
}

void TRIGGERMANAGER::SETUP(const vrt::TableDesc& file, bool savePreviousBuffer)
{
    if (FILE)
        return;
    FILE = &file;
    SAVEPREVIOUSBUFFER = savePreviousBuffer;
    m_previous = std::make_unique<std::map<vrt::FileManager*, std::shared_ptr<void>>>();
    vrt::FileManager::registerCallback(file, this);
}

void TRIGGERMANAGER::KILL()
{
    if (!FILE)
        return;
    vrt::FileManager::unregisterCallback(*FILE, this);
    FILE = nullptr;
    std::lock_guard lock(m_mutex);
    m_previous.reset();
}

bool TRIGGERMANAGER::PREINSERT(int&, QString&) { return true; }
bool TRIGGERMANAGER::POSTINSERT(int&, QString&) { return true; }
bool TRIGGERMANAGER::PREUPDATE(int&, QString&) { return true; }
bool TRIGGERMANAGER::POSTUPDATE(int&, QString&) { return true; }
bool TRIGGERMANAGER::PREDELETE(int&, QString&) { return true; }
bool TRIGGERMANAGER::POSTDELETE(int&, QString&) { return true; }

bool TRIGGERMANAGER::functionCalled(vrt::FileOperation op, vrt::FileManager& file, int& errorCode,
                                    std::string& errorText)
{
    std::lock_guard lock(m_mutex);
    BUFFER = file.BUFFER;
    PREVIOUSBUFFER = nullptr;
    if (SAVEPREVIOUSBUFFER && m_previous) {
        const auto it = m_previous->find(&file);
        if (it != m_previous->end())
            PREVIOUSBUFFER = it->second.get();
    }
    RESULT = 0;
    QString message;
    bool go = true;
    switch (op) {
    case vrt::FileOperation::Insert: go = PREINSERT(errorCode, message); break;
    case vrt::FileOperation::Update: go = PREUPDATE(errorCode, message); break;
    case vrt::FileOperation::Delete: go = PREDELETE(errorCode, message); break;
    case vrt::FileOperation::Read: break;
    }
    errorText = message.toStdString();
    return go;
}

void TRIGGERMANAGER::functionDone(vrt::FileOperation op, vrt::FileManager& file, int result)
{
    std::lock_guard lock(m_mutex);
    if (op == vrt::FileOperation::Read) {
        // The row as read: kept per manager (one per thread and declaration).
        if (SAVEPREVIOUSBUFFER && m_previous && FILE && FILE->ops.make) {
            auto& slot = (*m_previous)[&file];
            if (!slot) {
                const vrt::TableDesc* desc = FILE;
                slot = std::shared_ptr<void>(desc->ops.make(), [desc](void* p) { desc->ops.destroy(p); });
            }
            FILE->ops.copy(slot.get(), file.BUFFER);
        }
        return;
    }
    BUFFER = file.BUFFER;
    RESULT = result;
    int code = 0;
    QString message;
    switch (op) {
    case vrt::FileOperation::Insert: POSTINSERT(code, message); break;
    case vrt::FileOperation::Update: POSTUPDATE(code, message); break;
    case vrt::FileOperation::Delete: POSTDELETE(code, message); break;
    case vrt::FileOperation::Read: break;
    }
}

} // namespace ext
