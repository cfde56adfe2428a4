#include "screen/font_setup.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace kelvora {

bool loadFontAliases(const std::filesystem::path& path) {
    std::error_code error;
    // FcConfigParseAndLoad reports a missing file as success when "complain" is off, and on stderr when on;
    // checking first keeps the answer honest and the console quiet.
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    FcConfig* config = FcConfigGetCurrent(); // initialises the default configuration if nobody has yet
    if (!config)
        return false;
    const std::string file = path.string();
    if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue))
        return false;
    return FcConfigBuildFonts(config) == FcTrue;
}

} // namespace kelvora
