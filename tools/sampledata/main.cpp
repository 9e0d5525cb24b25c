// Fills a data folder's database with sample records, for trying the program out:
//   sampledata <data folder> [--mails N] [--contacts N] [--tasks N] [--seed N]
// The folder gets Files/Database.db with every table; existing records stay.
#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/OpenFiles.h"
#include "tools/sampledata/SampleData.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: sampledata <data folder> [--mails N] [--contacts N] [--tasks N] [--seed N]\n");
        return 2;
    }
    organiser::SampleSizes sizes;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        bool ok = false;
        const int value = args[i + 1].toInt(&ok);
        if (!ok || value < 0) {
            std::fprintf(stderr, "sampledata: %s needs a number\n", qPrintable(args[i]));
            return 2;
        }
        if (args[i] == "--mails") sizes.mails = value;
        else if (args[i] == "--contacts") sizes.contacts = value;
        else if (args[i] == "--tasks") sizes.tasks = value;
        else if (args[i] == "--seed") sizes.seed = unsigned(value);
        else {
            std::fprintf(stderr, "sampledata: unknown option %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "sampledata: cannot make %s\n", qPrintable(args[0]));
        return 1;
    }
    corvalde::load();
    THISPCPATH = QDir(args[0]).canonicalPath().toStdString();
    corvalde::setTableNames();
    if (W_First::OpenFilez() != 0)
        return 1;
    const organiser::SampleResult r = organiser::generateSampleData(sizes);
    corvalde::KILLTABLEMANAGERS();
    if (!r.error.isEmpty()) {
        std::fprintf(stderr, "sampledata: %s\n", qPrintable(r.error));
        return 1;
    }
    std::printf("%s: %d mails (%d in the first inbox), %d contacts, %d tasks\n", THISPCPATH.c_str(), sizes.mails,
                r.inboxMails, sizes.contacts, sizes.tasks);
    return 0;
}
