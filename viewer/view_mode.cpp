#include "viewer/view_mode.h"

#include <algorithm>

namespace kestrune {

ViewMode ChooseView(std::int32_t startAddress, bool notBasic) {
    const auto row =
        std::find_if(StartAddressViews.begin(), StartAddressViews.end(),
                     [&](const StartAddressView& view) { return view.address == startAddress; });
    if (row != StartAddressViews.end()) return row->view;
    return notBasic ? ViewHex : ViewBasic;
}

}  // namespace kestrune
