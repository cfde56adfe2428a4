// The audio tests' one Qt application: the players deliver their bus messages through its event loop.

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "audio_tests";
        static char* argv[] = {name, nullptr};
        m_app = new QCoreApplication(argc, argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QCoreApplication* m_app = nullptr;
};

const auto* g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
