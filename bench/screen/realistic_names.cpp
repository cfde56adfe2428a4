#include "realistic_names.h"

#include <iconv.h>

#include <array>
#include <cstdlib>
#include <random>
#include <string_view>

namespace kelvora::bench {

std::u16string level1Hanzi() {
    // Decoded at run time instead of kept as a table: the C library's converter knows the code page.
    iconv_t cd = iconv_open("UTF-16LE", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::u16string hanzi;
    for (int row = 0xB0; row <= 0xD7; ++row) {
        for (int col = 0xA1; col <= 0xFE; ++col) {
            if (row == 0xD7 && col >= 0xFA)
                break; // the last row has five empty slots
            char in[2] = {char(row), char(col)};
            char out[4] = {};
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = sizeof in;
            std::size_t outLeft = sizeof out;
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1) || outLeft != 2)
                continue;
            hanzi += char16_t(std::uint8_t(out[0]) | (std::uint8_t(out[1]) << 8));
        }
    }
    iconv_close(cd);
    return hanzi;
}

EntrantList realisticNames(int count, std::uint32_t seed) {
    static const std::u16string_view surnames = u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓"
                                                u"曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈"
                                                u"姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷"
                                                u"侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤";
    static const std::array<std::u16string_view, 24> first = {
        u"Alexander", u"Anna",  u"Ben",  u"Chloe", u"David",  u"Emily",  u"Felix",  u"Grace",
        u"Henry",     u"Isla",  u"Jack", u"Kate",  u"Liam",   u"Maria",  u"Noah",   u"Olivia",
        u"Peter",     u"Quinn", u"Ryan", u"Sofia", u"Thomas", u"Ursula", u"Victor", u"Wendy"};
    static const std::array<std::u16string_view, 16> last = {
        u"Ng",    u"Smith", u"Brown",  u"Wong",   u"Lee",  u"Taylor", u"Chan",  u"Miller",
        u"Davis", u"Lam",   u"Garcia", u"Wilson", u"Tsui", u"Moore",  u"Clark", u"Young"};
    const std::u16string hanzi = level1Hanzi();
    if (hanzi.empty())
        std::abort(); // a benchmark over the wrong characters would measure the wrong thing
    std::mt19937 random(seed);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    EntrantList names;
    names.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        std::u16string name;
        const std::size_t kind = pick(100);
        if (kind < 5) {
            name = std::u16string(first[pick(first.size())]) + u" " + std::u16string(last[pick(last.size())]);
        } else if (kind < 10) {
            name = u"1";
            name += char16_t(u'3' + pick(7));
            for (int d = 0; d < 9; ++d)
                name += char16_t(u'0' + pick(10));
        } else {
            name += surnames[pick(surnames.size())];
            const int given = pick(2) == 0 ? 1 : 2;
            for (int g = 0; g < given; ++g)
                name += hanzi[pick(hanzi.size())];
        }
        names.push_back(makeEntrant(name));
    }
    return names;
}

} // namespace kelvora::bench
