#include "views/pages.h"

namespace kestrune {

std::u16string MessagePage(std::u16string_view message) {
    std::u16string page = u"<html><body><h3 style = \"font-family: sans-serif\">";
    page.append(message).append(u"</h3></body></html>");
    return page;
}

}  // namespace kestrune
