#include "settings/picture_name_list.h"

#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr std::uint64_t kPictureListLimitMiB = 24;

} // namespace

SettingsFileLocation pictureListFileLocation(const DataPaths& paths) {
    return SettingsFileLocation{paths.pictureListFile, paths.settingsFolder, paths.pictureFolder,
                                kPictureListLimitMiB, false};
}

bool readPictureNameList(ByteReader& in, PictureNameList& list) {
    list.entries.clear();
    // Written so that NaN fails too.
    if (!in.readDouble(list.aspectRatio) ||
        !(list.aspectRatio >= kMinAspectRatio && list.aspectRatio <= kMaxAspectRatio))
        return false;
    std::size_t count = 0;
    if (!in.readCount(kMaxEntrants, sizeof(Entrant), count) || !in.readEntrantList(list.entries, count))
        return false;
    for (Entrant& e : list.entries) {
        if (!joinChecked({}, e.text()))
            return false;
        e.winOrder = 0;
    }
    return true;
}

void writePictureNameList(ByteWriter& out, const PictureNameList& list) {
    out.reserve(out.bytes().size() + sizeof(double) + sizeof(std::int32_t) +
                list.entries.size() * sizeof(Entrant));
    out.writeDouble(list.aspectRatio);
    out.writeInt32(static_cast<std::int32_t>(list.entries.size()));
    out.writeEntrants(list.entries);
}

FileResult loadPictureNameList(const DataPaths& paths, PictureNameList& list) {
    return loadSettingsFile(
        pictureListFileLocation(paths), [&] { list = PictureNameList{}; },
        [&](ByteReader& in) { return readPictureNameList(in, list); });
}

FileResult savePictureNameList(const DataPaths& paths, const PictureNameList& list) {
    return saveSettingsFile(pictureListFileLocation(paths),
                            [&](ByteWriter& out) { writePictureNameList(out, list); });
}

std::optional<std::filesystem::path> picturePath(const DataPaths& paths, const Entrant& entrant) {
    return joinChecked(paths.pictureFolder, entrant.text());
}

} // namespace kelvora
