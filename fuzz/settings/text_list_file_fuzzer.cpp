#include "round_trip.h"
#include "settings/text_name_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvora;
    fuzz::checkRoundTrip<TextNameList>(data, size, readTextNameList, writeTextNameList);
    return 0;
}
