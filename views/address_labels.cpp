#include "views/address_labels.h"

#include <algorithm>
#include <bitset>

namespace kestrune {

namespace {

// Which 16-bit addresses have a label, so that the many operands without one cost one lookup.
const std::bitset<0x10000>& LabelledAddresses() {
    static const std::bitset<0x10000> labelled = [] {
        std::bitset<0x10000> bits;
        for (const AddressLabel& label : AddressLabels)
            bits.set(label.address);
        return bits;
    }();
    return labelled;
}

}  // namespace

std::string_view LabelFor(std::uint32_t address) {
    if (address >= 0x10000 || !LabelledAddresses().test(address)) return {};
    const auto row = std::lower_bound(
        AddressLabels.begin(), AddressLabels.end(), address,
        [](const AddressLabel& label, std::uint32_t wanted) { return label.address < wanted; });
    return row->text;
}

}  // namespace kestrune
