// The BASIC listing on arbitrary program bytes: any length, any links, any tokens, in the dialect
// found and in every dialect, with the first line's SYS.
#include <cstdint>
#include <span>

#include "views/basic_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> program(data, size);
    volatile std::size_t length = 0;
    const kestrune::BasicListing found = kestrune::ListBasic(program);
    if (found.lines) length = length + kestrune::ListingPage(*found.lines).size();
    for (int dialect = 0; dialect < kestrune::kBasicDialectCount; ++dialect) {
        const kestrune::BasicListing listing =
            kestrune::ListBasic(program, static_cast<kestrune::BasicDialect>(dialect));
        if (listing.lines) length = length + kestrune::ListingPage(*listing.lines).size();
    }
    length = length + static_cast<std::size_t>(kestrune::FirstLineSys(program).value_or(0));
    return 0;
}
