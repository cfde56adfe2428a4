#include "staff_sheets.h"

#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "photos/person_names.h"
#include "platform/text.h"
#include "records/file_result.h"
#include "sheets/xlsx_writer.h"

namespace kelvora::sample {

namespace {

constexpr std::uint32_t kStaffSeed = 20261208;
constexpr const char16_t* kDepartments[] = {u"销售部", u"市场部", u"研发部", u"人事部",
                                            u"财务部", u"行政部", u"客服部", u"采购部"};

std::vector<std::vector<std::u16string>> staffRows(int count) {
    std::vector<std::vector<std::u16string>> rows{{u"姓名", u"部门", u"工号", u"手机"}};
    int n = 0;
    for (const std::u16string& name : photos::personNames(static_cast<std::size_t>(count), kStaffSeed)) {
        ++n;
        std::u16string number = decimalText(n);
        // Staff numbers keep their leading zeros: the reason they are stored as text.
        number.insert(0, number.size() < 5 ? 5 - number.size() : 0, u'0');
        rows.push_back({name, kDepartments[n % 8], number, decimalText(13800000000LL + n * 7919LL)});
    }
    return rows;
}

bool writeGb18030(const std::filesystem::path& file, const std::u16string& text) {
    iconv_t convert = iconv_open("GB18030", "UTF-16LE");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    std::string out(text.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const bool converted = iconv(convert, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(convert);
    if (!converted)
        return false;
    out.resize(out.size() - outLeft);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(stream.flush());
}

} // namespace

bool writeStaffSheets(const std::filesystem::path& folder, int count) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::vector<std::vector<std::u16string>> rows = staffRows(count);
    const XlsxWriteResult written = writeXlsx(folder / u8"员工名单.xlsx", {SheetOut{u"员工名单", rows}});
    if (!written.failure) {
        std::fprintf(stderr, "%s\n", toUtf8(messageText(written.failure)).c_str());
        return false;
    }
    std::u16string csv;
    for (const std::vector<std::u16string>& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            csv.append(i ? u"," : u"").append(row[i]);
        csv += u"\r\n";
    }
    if (!writeGb18030(folder / u8"员工名单.csv", csv)) {
        std::fprintf(stderr, "kelvora_sample_data: %s could not be written\n",
                     (folder / u8"员工名单.csv").c_str());
        return false;
    }
    return true;
}

} // namespace kelvora::sample
