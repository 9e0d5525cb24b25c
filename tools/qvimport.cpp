// Makes a translation table (.qvl) or substitution table (.qvs) from a CSV or TSV export.
#include "services/QuilvoImport.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

static int usage()
{
    std::fprintf(stderr,
                 "usage: qvimport [--utf8] [--codepage LANGUAGE=NAME]... INPUT.tsv|INPUT.csv OUTPUT\n"
                 "  The header row names the columns: DEFLANG, SRCOFTEXT, LANG2..LANG28 for a\n"
                 "  translation table, DEFTEXT and SUBTEXT for a substitution table. Each column is\n"
                 "  read in the code page of its language unless --utf8 is given.\n");
    return 2;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    quilvo::ImportOptions options;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--utf8")) {
            options.utf8 = true;
        } else if (a == QLatin1String("--codepage") && i + 1 < args.size()) {
            const QStringList parts = args[++i].split(QLatin1Char('='));
            bool ok = false;
            const int language = parts.value(0).toInt(&ok);
            if (parts.size() != 2 || !ok || language < 1 || language > quilvo::kLanguages || parts[1].isEmpty())
                return usage();
            options.codePages[language] = parts[1];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage();
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return usage();
    int rows = 0;
    QString error;
    if (!quilvo::importTable(files[0], files[1], options, &rows, &error)) {
        std::fprintf(stderr, "qvimport: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("qvimport: %d rows written to %s\n", rows, files[1].toLocal8Bit().constData());
    return 0;
}
