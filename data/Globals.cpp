#include "data/Globals.h"
#include "runtime/Paths.h"

namespace GLO {
std::string OWNER;
std::atomic<int> W_FIRST{0};
std::atomic<int> EMAILADDED{0};
} // namespace GLO

std::string THISPCPATH;

namespace GC {
std::string DECIMAL = ".";
std::string THOUSAND = ",";
} // namespace GC

namespace G {
std::atomic<int> QVLang{1};
std::string QVFile;
} // namespace G

thread_local uint8_t GLOBALREQUEST = 0;
thread_local uint8_t GLOBALRESPONSE = 0;
thread_local int32_t VCRREQUEST = 0;

namespace corvalde {

QString dataFolder()
{
    return QString::fromStdString(THISPCPATH);
}

QString dataPath(const QString& relative)
{
    return vrt::joinPath(dataFolder(), relative);
}

QString setDataFolderFromCurrent()
{
    const QString folder = vrt::currentFolder();
    THISPCPATH = folder.toStdString();
    return folder;
}

} // namespace corvalde
