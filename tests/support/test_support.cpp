#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "platform/text.h"
#include "records/file_result.h"
#include "records/file_system.h"

namespace kelvora::test {

MessageAnswer RecordingMessageBox::show(OwnerWindow owner, std::u16string_view text, MessageIcon icon,
                                        MessageButtons buttons) {
    shown.push_back(RecordedMessage{owner, std::u16string(text), icon, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (answers.empty())
        return MessageAnswer::No;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info && info->result() && info->result()->Failed()) {
        std::cerr << "kept temporary folder of the failed test: " << m_path << '\n';
        return;
    }
    std::error_code ec;
    // Tests make files read-only on purpose; give the owner write access back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::string u8(std::u16string_view text) {
    return toUtf8(text);
}

std::u16string keptNote(const std::filesystem::path& file) {
    return std::u16string(kKeptBeforeSaveText) + pathText(keepBeforeOverwrite(file));
}

EntrantList entrantsNamed(std::initializer_list<std::u16string_view> names) {
    EntrantList list;
    for (const std::u16string_view name : names)
        list.push_back(makeEntrant(name));
    return list;
}

std::vector<std::string> namesOf(const EntrantList& list) {
    std::vector<std::string> out;
    for (const Entrant& e : list)
        out.push_back(u8(e.text()));
    return out;
}

} // namespace kelvora::test
