// Test entry with a QCoreApplication: the serial component handles its workers' notifications
// in the event loop of the thread that owns it.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
