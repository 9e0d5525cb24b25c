#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "runtime/IniFile.h"

#include <cstring>

int main(int argc, char** argv)
{
    // A second process for the tests that need two writers on one file:
    // --ini-writer FILE SECTION PREFIX COUNT writes PREFIX0..PREFIX<COUNT-1>.
    if (argc == 6 && std::strcmp(argv[1], "--ini-writer") == 0) {
        vrt::IniFile ini(QString::fromLocal8Bit(argv[2]));
        const int count = std::atoi(argv[5]);
        for (int i = 0; i < count; ++i)
            if (!ini.put(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]) + QString::number(i), QString::number(i)))
                return 1;
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    testsupport::isolateEnvironment();
    QApplication app(argc, argv);
    // Library start-up writes into the current folder's Standard.ini: keep it in the run's own.
    QDir().mkpath(testsupport::isolatedRoot() + QStringLiteral("/work"));
    QDir::setCurrent(testsupport::isolatedRoot() + QStringLiteral("/work"));
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::installScriptedPresenter();
    testsupport::installNonBlockingRunners();
    return RUN_ALL_TESTS();
}
