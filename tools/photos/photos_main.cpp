// kelvora_photos <output folder> <count> [--seed N] [--with-hidden]: writes <count> generated portrait photos
// named after people, for trying photo mode and for the import's tests. The same seed writes the same files.
// With --with-hidden, ".隐藏.jpg" is added too: a hidden file the import must report and leave out.
// Nothing is overwritten: when any of the files is already there, nothing is written.

#include <QString>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "photos/photo_files.h"

namespace {

namespace fs = std::filesystem;
using namespace kelvora::photos;

constexpr int kMaxCount = 30000; // what a picture list holds

fs::path pathOf(const fs::path& folder, const std::u16string& name) {
    return folder / fs::path(QString::fromStdU16String(name).toStdString());
}

template <typename Number> bool parse(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

int usage() {
    std::fprintf(stderr, "usage: kelvora_photos <output folder> <count 1..%d> [--seed N] [--with-hidden]\n",
                 kMaxCount);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::uint32_t seed = 1;
    bool withHidden = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0) {
            if (i + 1 >= argc || !parse(argv[++i], seed))
                return usage();
        } else if (std::strcmp(argv[i], "--with-hidden") == 0) {
            withHidden = true;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    int count = 0;
    if (args.size() != 2 || !parse(args[1], count) || count < 1 || count > kMaxCount)
        return usage();
    const fs::path folder(args[0]);

    std::vector<PhotoPlan> plans = planPhotos(count, seed);
    if (withHidden) {
        PhotoPlan hidden;
        hidden.index = count; // a face of its own
        hidden.size = QSize(600, 800);
        hidden.extension = "jpg";
        hidden.fileName = u".隐藏.jpg";
        plans.push_back(hidden);
    }
    std::error_code ec;
    for (const PhotoPlan& plan : plans) {
        const fs::path file = pathOf(folder, plan.fileName);
        if (fs::exists(fs::symlink_status(file, ec))) {
            std::fprintf(stderr, "kelvora_photos: %s already exists; nothing written\n", file.c_str());
            return 1;
        }
    }
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "kelvora_photos: cannot make the folder %s\n", folder.c_str());
        return 1;
    }
    for (const PhotoPlan& plan : plans) {
        const fs::path file = pathOf(folder, plan.fileName);
        if (!writeFileBytes(file, photoFileBytes(seed, plan))) {
            std::fprintf(stderr, "kelvora_photos: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    std::printf("kelvora_photos: wrote %zu photos under %s\n", plans.size(), folder.c_str());
    return 0;
}
