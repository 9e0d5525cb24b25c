#pragma once
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// The user's standard folders by their CSIDL numbers, mapped onto the XDG places, and a
// loader that fills procedure addresses from a shared library.
namespace ourcom {

enum Csidl : std::int32_t {
    CSIDL_PERSONAL = 0x05,
    CSIDL_MYMUSIC = 0x0D,
    CSIDL_MYVIDEO = 0x0E,
    CSIDL_DESKTOPDIRECTORY = 0x10,
    CSIDL_TEMPLATES = 0x15,
    CSIDL_APPDATA = 0x1A,
    CSIDL_LOCAL_APPDATA = 0x1C,
    CSIDL_INTERNET_CACHE = 0x20,
    CSIDL_MYPICTURES = 0x27,
    CSIDL_PROFILE = 0x28,
};

// Result codes: 0, ERROR_ALREADY_EXISTS, or E_INVALIDARG for a folder Linux has no place for;
// other failures are the errno as a Windows-style code (0x80070000 | errno).
inline constexpr std::int32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr std::int32_t kFolderInvalidArg = static_cast<std::int32_t>(0x80070057u);
inline constexpr int kMaxFolderPath = 260;

class ISYSTEMFOLDER {
public:
    virtual ~ISYSTEMFOLDER() = default;
    virtual QString folderPath(std::int32_t csidl) = 0;
    virtual std::int32_t createIn(std::int32_t csidl, const QString& subPath) = 0;
    virtual std::int32_t create(const QString& path) = 0;
    virtual std::int32_t lastResult() const = 0;
};

// The XDG places: APPDATA is the configuration folder (~/.config), LOCAL_APPDATA the data
// folder (~/.local/share), TEMPLATES the XDG templates folder. Folders made here are private
// to the user (0700).
class CSIDLFOLDER : public ISYSTEMFOLDER {
public:
    QString folderPath(std::int32_t csidl) override;
    std::int32_t createIn(std::int32_t csidl, const QString& subPath) override;
    std::int32_t create(const QString& path) override;
    std::int32_t lastResult() const override { return LASTRESULT; }

    std::int32_t LASTRESULT = 0;
};

class SPECIALFOLDER {
public:
    SPECIALFOLDER();
    void SETISYSTEMFOLDER(ISYSTEMFOLDER* folder);
    QString GETDIR(std::int32_t csidl);
    // The folder followed by "/" and the sub-path ('\' taken as '/'; a leading separator kept
    // single).
    QString GETDIR(std::int32_t csidl, const QString& subPath);
    std::int32_t CREATEDIRIN(std::int32_t csidl, const QString& subPath);
    std::int32_t CREATEDIR(const QString& path);
    std::int32_t GETERROR() const;

private:
    std::unique_ptr<CSIDLFOLDER> m_default;
    ISYSTEMFOLDER* m_folder = nullptr;
};

// Loads a library by name and fills the callers' procedure variables. "X.dll" is looked for
// as "X.dll", "libX.so" and "X.so"; a name not exported is tried again with "A" appended.
// When any name cannot be found nothing stays loaded and every variable it filled is cleared.
class DLLLOADCLASS {
public:
    using Procedure = void (*)();

    DLLLOADCLASS() = default;
    virtual ~DLLLOADCLASS();
    DLLLOADCLASS(const DLLLOADCLASS&) = delete;
    DLLLOADCLASS& operator=(const DLLLOADCLASS&) = delete;

    virtual bool INITIALIZED() const;
    virtual void SETDLL(const QString& name);
    virtual QString GETDLL() const { return m_name; }
    virtual void ADDPROCEDUREADDRESS(Procedure& variable, const QString& name);
    virtual bool LOADDLL();
    virtual void UNLOADDLL();
    virtual bool DLLLOADED() const { return m_loaded; }
    // Why the last LOADDLL failed: the library or the name that was not found.
    QString errorString() const { return m_error; }

private:
    struct Entry {
        QString name;
        Procedure* variable = nullptr;
    };
    QString m_name;
    std::vector<Entry> m_entries; // sorted by name
    void* m_handle = nullptr;
    bool m_loaded = false;
    QString m_error;
};

} // namespace ourcom
