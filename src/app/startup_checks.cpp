#include "app/startup_checks.h"

#include <fontconfig/fontconfig.h>
#include <gst/gst.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/text.h"

namespace kelvora {

namespace {

constexpr std::array kFonts{
    Requirement{"WenQuanYi Zen Hei Mono", "fonts-wqy-zenhei"},
    Requirement{"AR PL UKai CN", "fonts-arphic-ukai"},
    Requirement{"AR PL UMing CN", "fonts-arphic-uming"},
};

// decodebin picks the parser and decoder by the file's content; the sink falls back to a fake one without a
// sound card, so it is only missing when the plugin set is.
constexpr std::array kSoundElements{
    Requirement{"filesrc", "libgstreamer1.0-0"},
    Requirement{"decodebin", "gstreamer1.0-plugins-base"},
    Requirement{"audioconvert", "gstreamer1.0-plugins-base"},
    Requirement{"volume", "gstreamer1.0-plugins-base"},
    Requirement{"mpegaudioparse", "gstreamer1.0-plugins-good"},
    Requirement{"mpg123audiodec", "gstreamer1.0-plugins-good"},
    Requirement{"wavparse", "gstreamer1.0-plugins-good"},
    Requirement{"autoaudiosink", "gstreamer1.0-plugins-good"},
};

std::u16string fromAscii(std::string_view text) {
    return fromUtf8(text);
}

// "a, b" for the names and the distinct packages, in table order.
void collect(std::span<const Requirement> table, const std::function<bool(std::string_view)>& present,
             std::u16string& names, std::u16string& packages) {
    std::vector<std::string_view> seen;
    for (const Requirement& r : table) {
        if (present(r.name))
            continue;
        if (!names.empty())
            names += u"\n";
        names += fromAscii(r.name);
        if (std::find(seen.begin(), seen.end(), r.package) == seen.end()) {
            seen.push_back(r.package);
            if (!packages.empty())
                packages += u" ";
            packages += fromAscii(r.package);
        }
    }
}

} // namespace

std::span<const Requirement> requiredFontFamilies() {
    return kFonts;
}
std::span<const Requirement> requiredSoundElements() {
    return kSoundElements;
}

std::u16string missingFontsText(std::u16string_view aliasFileFailed,
                                const std::function<bool(std::string_view)>& installed) {
    std::u16string text;
    if (!aliasFileFailed.empty()) {
        text = u"字体配置文件加载失败:\n";
        text += aliasFileFailed;
        text += u"\n\n黑体、楷体、仿宋等字体名将由系统替换";
    }
    std::u16string names;
    std::u16string packages;
    collect(kFonts, installed, names, packages);
    if (!names.empty()) {
        if (!text.empty())
            text += u"\n\n\n";
        text +=
            u"缺少字体:\n" + names + u"\n\n文字将以其它字体显示。安装方法:\nsudo apt-get install " + packages;
    }
    return text;
}

std::u16string missingSoundText(const std::function<bool(std::string_view)>& available) {
    std::u16string names;
    std::u16string packages;
    collect(kSoundElements, available, names, packages);
    if (names.empty())
        return {};
    return u"缺少播放音乐所需的组件:\n" + names +
           u"\n\n抽奖可照常进行，但没有音乐。安装方法:\nsudo apt-get install " + packages;
}

bool fontFamilyInstalled(std::string_view family) {
    const std::string name(family);
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    const bool found = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    if (objects)
        FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

bool soundElementAvailable(std::string_view element) {
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    if (!started)
        return false;
    const std::string name(element);
    GstElementFactory* factory = gst_element_factory_find(name.c_str());
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

} // namespace kelvora
