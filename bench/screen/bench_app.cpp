#include "bench_app.h"

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>

#include "screen/font_setup.h"

namespace kelvora::bench {

void ensureGuiApplication(const char* programName) {
    static QGuiApplication* app = [programName] {
        const std::filesystem::path aliases =
            std::filesystem::path(KELVORA_SOURCE_ROOT) / "resources" / "fonts" / "kelvora-fonts.conf";
        if (!loadFontAliases(aliases))
            std::abort();
        setenv("QT_QPA_PLATFORM", "offscreen", 0); // a benchmark needs no display
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(programName), nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

} // namespace kelvora::bench
