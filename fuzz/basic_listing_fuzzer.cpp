// The BASIC listing on arbitrary program bytes: any length, any links, any tokens.
#include <cstdint>
#include <span>

#include "views/basic_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kestrune::BasicListing listing = kestrune::ListBasic(std::span(data, size));
    volatile std::size_t length = listing.lines ? kestrune::ListingPage(*listing.lines).size() : 0;
    (void)length;
    return 0;
}
