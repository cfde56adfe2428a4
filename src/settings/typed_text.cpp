#include "settings/typed_text.h"

#include <algorithm>
#include <limits>

namespace kelvora {

namespace {

bool isTrimmed(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\u3000' || c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

} // namespace

std::u16string_view trimTypedText(std::u16string_view text) {
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

std::int32_t readNumberField(std::u16string_view text) {
    text = trimTypedText(text);
    if (text.empty())
        return 0;
    std::int64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return 0;
        value = std::min<std::int64_t>(value * 10 + (c - u'0'), std::numeric_limits<std::int32_t>::max());
    }
    return static_cast<std::int32_t>(value);
}

} // namespace kelvora
