#include "records/prizes.h"
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvora;
    fuzz::checkRoundTrip<PrizeList>(data, size, readPrizeList, writePrizeList);
    return 0;
}
