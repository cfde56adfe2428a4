#pragma once
// Helpers of the file suites (records, settings): raw file bytes, hand-built record images, and a child
// process for faults that must not touch the test runner itself (file-size limits, dropped privileges).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::test {

using Bytes = std::vector<std::byte>;

Bytes readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const Bytes& bytes);

// Little-endian pieces of a file image, built without the code under test.
void appendInt32(Bytes& out, std::int32_t v);
void appendDouble(Bytes& out, double v);
// A text field of units units: the text, then zeros.
void appendText(Bytes& out, std::u16string_view text, std::size_t units);
void appendEntrant(Bytes& out, std::u16string_view name, std::int32_t key, std::int32_t winOrder);

// UTF-8 text in another encoding ("GB18030", "UTF-16LE"...), converted by the C library rather than by the
// code under test; fails the test when iconv cannot.
std::string encodeText(std::string_view utf8, const char* encoding);

// Temporary files left in folder: names ending in ".tmp", and the unique ones of copies (".kelvora-...").
std::vector<std::filesystem::path> tempFilesIn(const std::filesystem::path& folder);

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string output; // what the child wrote to its report pipe
};

// Runs body in a forked child; body writes what the parent should check through report() and returns the exit
// code. With unprivileged set, the child first drops root (to nobody), so that permission checks apply.
ChildResult runInChild(const std::function<int(const std::function<void(std::string_view)>& report)>& body,
                       bool unprivileged = false);

// Lets an unprivileged child reach into a test folder.
void openToEveryone(const std::filesystem::path& folder);

// A file holding text as its bytes, its folders made as needed; and the bytes of a file as text.
void writeText(const std::filesystem::path& file, std::string_view text);
std::string readText(const std::filesystem::path& file);

// Every entry under folder by its relative name: a file's bytes, "<dir>" for a folder, "<link>" for a
// symbolic link (never followed). Two equal listings mean nothing was added, removed or changed.
std::map<std::string, std::string> listTree(const std::filesystem::path& folder);

} // namespace kelvora::test
