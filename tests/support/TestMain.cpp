#include <QApplication>
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    testsupport::isolateEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::installScriptedPresenter();
    return RUN_ALL_TESTS();
}
