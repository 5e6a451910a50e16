#include <QCoreApplication>

#include <gtest/gtest.h>

// The runner finds the engine beside the running program, which needs an application object.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
