#include "support/file_test_support.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::test {

Bytes readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes out(raw.size());
    std::memcpy(out.data(), raw.data(), raw.size());
    return out;
}

void writeBytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void appendInt32(Bytes& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::byte>((u >> (8 * i)) & 0xFF));
}

void appendDouble(Bytes& out, double v) {
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::byte>((u >> (8 * i)) & 0xFF));
}

void appendText(Bytes& out, std::u16string_view text, std::size_t units) {
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t c = i < text.size() ? text[i] : 0;
        out.push_back(static_cast<std::byte>(c & 0xFF));
        out.push_back(static_cast<std::byte>(c >> 8));
    }
}

void appendEntrant(Bytes& out, std::u16string_view name, std::int32_t key, std::int32_t winOrder) {
    appendText(out, name, 128);
    appendInt32(out, key);
    appendInt32(out, winOrder);
}

std::vector<std::filesystem::path> tempFilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if ((name.size() >= 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) ||
            name.rfind(".kelvora-", 0) == 0)
            found.push_back(it->path());
    }
    return found;
}

ChildResult runInChild(const std::function<int(const std::function<void(std::string_view)>& report)>& body,
                       bool unprivileged) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(125);
        auto report = [&](std::string_view text) {
            std::size_t done = 0;
            while (done < text.size()) {
                const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
        };
        const int code = body(report);
        ::close(fds[1]);
        ::_exit(code); // never run the parent's test teardown in the child
    }
    ::close(fds[1]);
    ChildResult result;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void openToEveryone(const std::filesystem::path& folder) {
    ::chmod(folder.c_str(), 0755);
}

std::string encodeText(std::string_view utf8, const char* encoding) {
    const iconv_t converter = iconv_open(encoding, "UTF-8");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1)) << encoding;
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(utf8.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* at = out.data();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(converter, &in, &inLeft, &at, &outLeft), static_cast<std::size_t>(-1)) << encoding;
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

void writeText(const std::filesystem::path& file, std::string_view text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

std::string readText(const std::filesystem::path& file) {
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

std::map<std::string, std::string> listTree(const std::filesystem::path& folder) {
    std::map<std::string, std::string> tree;
    for (auto it = std::filesystem::recursive_directory_iterator(folder);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(folder).generic_string();
        if (it->is_symlink()) {
            tree[name] = "<link>";
        } else if (it->is_directory()) {
            tree[name] = "<dir>";
        } else {
            std::ostringstream bytes;
            bytes << std::ifstream(it->path(), std::ios::binary).rdbuf();
            tree[name] = bytes.str();
        }
    }
    return tree;
}

} // namespace kelvora::test
