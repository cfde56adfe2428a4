#include "screen_environment.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "screen/font_setup.h"

namespace kelvora::test {

std::filesystem::path fontAliasFile() {
    const char* source = std::getenv("KELVORA_SOURCE_DIR");
    const std::filesystem::path root =
        source && *source ? std::filesystem::path(source) : KELVORA_SOURCE_ROOT;
    return root / "resources" / "fonts" / "kelvora-fonts.conf";
}

namespace {

class GuiEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(loadFontAliases(fontAliasFile())) << fontAliasFile();
        static int argc = 1;
        static char name[] = "screen_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_gui =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

} // namespace kelvora::test
