#pragma once
// The table of contents an event package carries as its last entry, "manifest.json": the format version, the
// program that made it, when, and every file with its size and SHA-256. A package is trusted only as far as
// this manifest and its own entries agree, so the parser is strict about shape and names: anything it does
// not understand is damage, except a newer format, which is reported as such before anything else is read.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

inline constexpr int kPackageFormatVersion = 1;
inline constexpr std::string_view kManifestName = "manifest.json";
// Far more than any manifest of 200000 files takes.
inline constexpr std::uint64_t kManifestMaxBytes = std::uint64_t{16} << 20;

struct ManifestFile {
    std::string path; // UTF-8, "/"-separated, from the program's folder
    std::uint64_t size = 0;
    std::string sha256; // 64 lowercase hex digits
};

struct PackageManifest {
    int format = kPackageFormatVersion;
    std::string program; // the version of the program that packed it
    std::string created; // ISO 8601 local time
    std::vector<ManifestFile> files;
};

std::string manifestJson(const PackageManifest& manifest);

enum class ManifestVerdict : std::uint8_t {
    Ok,
    Damaged,     // not JSON, or not the shape of a manifest; detail says what (UTF-8, for the operator)
    NewerFormat, // format is above kPackageFormatVersion; nothing else was looked at
    UnsafePath,  // detail is the path
};

struct ManifestParse {
    ManifestVerdict verdict = ManifestVerdict::Ok;
    std::string detail;
    PackageManifest manifest;
};

// Every file path is checked with isSafePackagePath; a path given twice is damage.
ManifestParse parseManifest(std::string_view json);

// A name a package may carry for a file: relative, "/"-separated, valid UTF-8, no empty, "." or ".."
// component, no backslash, NUL or other control character, and inside one of the event's two data folders.
bool isSafePackagePath(std::string_view name);

} // namespace kelvora
