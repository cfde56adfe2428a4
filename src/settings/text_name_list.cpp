#include "settings/text_name_list.h"

#include <cerrno>
#include <string>

#include "platform/text.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr std::uint64_t kTextListLimitMiB = 48;

// A temporary name beside the operator's file that names nothing already there: the folder is theirs, and a
// file that happens to be called "x.txt.tmp" is not ours to overwrite.
std::filesystem::path exportTempPath(const std::filesystem::path& file) {
    // Built by appending rather than with "." + name + ".tmp": GCC 12 at -O3 warns falsely (-Wrestrict) about
    // the temporary string that concatenation makes.
    std::string name = ".";
    name += file.filename().string();
    name += ".tmp";
    const std::filesystem::path base = file.parent_path() / name;
    std::filesystem::path temp = base;
    std::error_code ec;
    for (int k = 1; k < 1000 &&
                    std::filesystem::symlink_status(temp, ec).type() != std::filesystem::file_type::not_found;
         ++k) {
        temp = base;
        temp += std::to_string(k);
    }
    return temp;
}

} // namespace

SettingsFileLocation textListFileLocation(const DataPaths& paths) {
    return SettingsFileLocation{paths.textListFile, paths.settingsFolder, {}, kTextListLimitMiB, false};
}

bool readTextNameList(ByteReader& in, TextNameList& list) {
    list.entries.clear();
    std::size_t count = 0;
    if (!in.readInt32(list.spaceAligned) || !in.readCount(kMaxEntrants, sizeof(Entrant), count) ||
        !in.readEntrantList(list.entries, count))
        return false;
    for (Entrant& e : list.entries)
        e.winOrder = 0;
    return true;
}

void writeTextNameList(ByteWriter& out, const TextNameList& list) {
    out.reserve(out.bytes().size() + 2 * sizeof(std::int32_t) + list.entries.size() * sizeof(Entrant));
    out.writeInt32(list.spaceAligned);
    out.writeInt32(static_cast<std::int32_t>(list.entries.size()));
    out.writeEntrants(list.entries);
}

FileResult loadTextNameList(const DataPaths& paths, TextNameList& list) {
    return loadSettingsFile(
        textListFileLocation(paths), [&] { list = TextNameList{}; },
        [&](ByteReader& in) { return readTextNameList(in, list); });
}

FileResult saveTextNameList(const DataPaths& paths, const TextNameList& list) {
    return saveSettingsFile(textListFileLocation(paths),
                            [&](ByteWriter& out) { writeTextNameList(out, list); });
}

FileResult exportTextListFile(const std::filesystem::path& file, std::span<const Entrant> entries) {
    static constexpr char16_t kBom = 0xFEFF;
    static constexpr char16_t kLineEnd[] = {u'\r', u'\n'};
    ByteWriter out;
    out.reserve(sizeof kBom + entries.size() * (sizeof(Entrant::name) + sizeof kLineEnd));
    out.writeBytes(&kBom, sizeof kBom);
    for (const Entrant& e : entries) {
        const std::u16string_view name = e.text();
        out.writeBytes(name.data(), name.size() * sizeof(char16_t));
        out.writeBytes(kLineEnd, sizeof kLineEnd);
    }

    clearAttributes(file);
    FileResult result = writeFileReplacing(file, exportTempPath(file), out.bytes());
    if (!result) {
        // The operator chose this file; the temporary one beside it is ours and means nothing to them.
        result.path = file;
        result.insideDataFolders = false;
    }
    return result;
}

} // namespace kelvora
