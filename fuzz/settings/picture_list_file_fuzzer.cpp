#include <cstdlib>

#include "records/file_system.h"
#include "round_trip.h"
#include "settings/picture_name_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvora;
    fuzz::checkRoundTrip<PictureNameList>(data, size, readPictureNameList, writePictureNameList);

    // Whatever the reader lets through must stay inside the picture folder.
    ByteReader in(std::span(reinterpret_cast<const std::byte*>(data), size));
    PictureNameList list;
    if (readPictureNameList(in, list)) {
        const DataPaths paths("/data");
        for (const Entrant& e : list.entries) {
            const auto path = picturePath(paths, e);
            if (!path || path->parent_path() != paths.pictureFolder)
                std::abort();
        }
    }
    return 0;
}
