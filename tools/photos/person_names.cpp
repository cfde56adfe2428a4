#include "photos/person_names.h"

#include <string_view>
#include <unordered_set>

namespace kelvora::photos {

namespace {

constexpr std::u16string_view kSurnames =
    u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚"
    u"卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史";
constexpr std::u16string_view kGiven = u"伟芳娜秀敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华玉萍红建文辉力鹏飞"
                                       u"云峰宇浩然欣怡子涵晨阳佳琪思雨梓轩博俊凯嘉怡晓东海燕春梅";

} // namespace

std::vector<std::u16string> personNames(std::size_t count, std::uint32_t seed) {
    // A plain congruential generator: the standard distributions differ between libraries, the names must
    // not.
    auto next = [&seed](std::size_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::size_t>((seed >> 16) % n);
    };
    std::vector<std::u16string> names;
    names.reserve(count);
    std::unordered_set<std::u16string> seen;
    while (names.size() < count) {
        std::u16string name(1, kSurnames[next(kSurnames.size())]);
        name += kGiven[next(kGiven.size())];
        if (next(3) != 0) // two of three given names have two characters
            name += kGiven[next(kGiven.size())];
        if (seen.insert(name).second)
            names.push_back(std::move(name));
    }
    return names;
}

} // namespace kelvora::photos
