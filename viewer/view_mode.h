// The views of a file, each with its radio button and pane (see view_table.h); the value is the
// button's index.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrune {

enum ViewMode {
    ViewBasic = 0,
    ViewAssembly = 1,
    ViewHex = 2,
    ViewPetscii = 3,
    ViewScrCode = 4,
    ViewDisk = 5,
    ViewPicture = 6,
};
inline constexpr int kViewCount = 7;

// The view a file opens in, chosen by its start address: BASIC load addresses of the Commodore
// machines, machine-code addresses, screen memory, or the listing's own verdict for the rest.
struct StartAddressView {
    std::int32_t address;
    ViewMode view;
};

// clang-format off
inline constexpr std::array<StartAddressView, 19> StartAddressViews = {{
    {0x0000, ViewPetscii},
    {0x0401, ViewBasic},    {0x0801, ViewBasic},    {0x1001, ViewBasic},    {0x1201, ViewBasic},
    {0x1C01, ViewBasic},    {0x2001, ViewBasic},    {0x4001, ViewBasic},
    {0x02A7, ViewAssembly}, {0x033C, ViewAssembly}, {0x0B00, ViewAssembly}, {0x1300, ViewAssembly},
    {0x8000, ViewAssembly}, {0x9000, ViewAssembly}, {0xC000, ViewAssembly},
    {0x0400, ViewScrCode},  {0x2500, ViewScrCode},  {0x2600, ViewScrCode},  {0x2800, ViewScrCode},
}};
// clang-format on

// Any other address opens the HEX/ASCII view when the BASIC listing found the file is no plain
// BASIC program, and the BASIC view otherwise.
ViewMode ChooseView(std::int32_t startAddress, bool notBasic);

}  // namespace kestrune
