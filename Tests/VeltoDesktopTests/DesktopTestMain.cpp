// The desktop tests run inside a QCoreApplication, whose thread is the model's main thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A child that stops reading its input must not end the tests.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
