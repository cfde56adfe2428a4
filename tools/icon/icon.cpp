// kelvora_icon <folder>: writes the program's icon into a hicolor theme folder, the layout desktop menus and
// taskbars look up: scalable/apps/kelvora.svg and <n>x<n>/apps/kelvora.png. The pictures come from the same
// painter as the window icon, so the packaged icon cannot drift from the one the running program shows.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>

#include "media/app_icon.h"
#include "records/file_system.h"

namespace {

using kelvora::FileResult;

bool report(const char* what, const std::filesystem::path& path, int errnum) {
    std::fprintf(stderr, "kelvora_icon: cannot %s %s: %s\n", what, path.c_str(), std::strerror(errnum));
    return false;
}

bool writeIconFile(const std::filesystem::path& target, const QByteArray& bytes) {
    if (const int errnum = kelvora::ensureFolderTree(target, false); errnum != 0)
        return report("create the folder of", target, errnum);
    const FileResult result = kelvora::writeFileReplacing(
        target, kelvora::tempPathFor(target),
        std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    return result ? true : report("write", result.path, result.errnum);
}

QByteArray png(int size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A failed encoding leaves nothing to write; an empty icon file must not pass for a picture.
    return writer.write(kelvora::paintAppIcon(size)) ? bytes : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvora_icon <hicolor folder>\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    if (!writeIconFile(folder / "scalable" / "apps" / "kelvora.svg", kelvora::appIconSvg()))
        return 1;
    for (const int size : {48, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const QByteArray bytes = png(size);
        if (bytes.isEmpty()) {
            std::fprintf(stderr, "kelvora_icon: cannot encode the %s icon\n", name.c_str());
            return 1;
        }
        if (!writeIconFile(folder / name / "apps" / "kelvora.png", bytes))
            return 1;
    }
    return 0;
}
