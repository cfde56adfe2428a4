#include "audio/music_probe.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <memory>

#include "platform/text.h"

namespace kelvora {

std::u16string musicProblem(const std::filesystem::path& file) {
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    if (!started)
        return u"GStreamer 无法启动";
    GError* error = nullptr;
    std::unique_ptr<GstDiscoverer, decltype(&g_object_unref)> discoverer(
        gst_discoverer_new(5 * GST_SECOND, &error), g_object_unref);
    if (!discoverer) {
        std::u16string reason = fromUtf8(error ? error->message : "GstDiscoverer");
        g_clear_error(&error);
        return reason;
    }
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    if (!uri)
        return u"文件名无效";
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer.get(), uri, &error);
    g_free(uri);
    std::u16string problem;
    if (!info || gst_discoverer_info_get_result(info) != GST_DISCOVERER_OK)
        problem = error ? fromUtf8(error->message) : std::u16string(u"无法识别的音频文件");
    else if (GList* audio = gst_discoverer_info_get_audio_streams(info); !audio)
        problem = u"文件中没有声音";
    else
        gst_discoverer_stream_info_list_free(audio);
    g_clear_error(&error);
    if (info)
        g_object_unref(info);
    return problem;
}

} // namespace kelvora
