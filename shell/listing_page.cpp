#include "shell/listing_page.h"

#include <algorithm>
#include <array>

#include "image/unicode.h"
#include "views/basic_listing.h"

namespace {

constexpr std::u16string_view kBodyStart = u"<p>";
constexpr std::u16string_view kBodyEnd = u"</p></body></html>";
constexpr std::u16string_view kLineEnd = u"<br>\r\n";
constexpr std::u16string_view kKeywordStart = u"<font color=\"blue\">";
constexpr std::u16string_view kKeywordEnd = u"</font>";

// The character references a listing page uses.
constexpr std::array<std::pair<std::u16string_view, char16_t>, 7> kReferences = {{
    {u"&amp;", u'&'},
    {u"&lt;", u'<'},
    {u"&gt;", u'>'},
    {u"&pound;", u'\u00A3'},
    {u"&uarr;", u'\u2191'},
    {u"&larr;", u'\u2190'},
    {u"&#960;", u'\u03C0'},
}};

bool Consume(std::u16string_view& text, std::u16string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// Appends one line of the page, up to its "<br>"; false when it holds anything a listing does not.
// Spaces show as HTML shows them: a run of them as one, none at the start of a line.
bool ReadLine(std::u16string_view& body, ListingText& listing) {
    bool keyword = false;
    bool afterSpace = true;
    while (!Consume(body, kLineEnd)) {
        if (body.empty()) return false;
        if (Consume(body, kKeywordStart)) {
            if (keyword) return false;
            keyword = true;
            continue;
        }
        if (Consume(body, kKeywordEnd)) {
            if (!keyword) return false;
            keyword = false;
            continue;
        }
        char16_t c = body.front();
        if (c == u'<') return false;
        if (c == u'&') {
            const auto reference =
                std::find_if(kReferences.begin(), kReferences.end(),
                             [&](const auto& entry) { return body.starts_with(entry.first); });
            if (reference == kReferences.end()) return false;
            c = reference->second;
            body.remove_prefix(reference->first.size());
        } else {
            body.remove_prefix(1);
        }
        if (c == u' ' && afterSpace) continue;
        afterSpace = c == u' ';
        listing.text.push_back(c);
        listing.keyword.push_back(keyword ? 1 : 0);
    }
    return !keyword;
}

}  // namespace

std::optional<ListingText> ReadListingPage(std::u16string_view page) {
    const std::u16string header = kestrune::Widen(kestrune::kBasicPageHeader);
    if (!Consume(page, header) || !Consume(page, kBodyStart) || !page.ends_with(kBodyEnd))
        return std::nullopt;
    std::u16string_view body = page.substr(0, page.size() - kBodyEnd.size());
    ListingText listing;
    listing.text.reserve(body.size());
    listing.keyword.reserve(body.size());
    for (bool first = true; !body.empty(); first = false) {
        if (!first) {
            listing.text.append(u"\r\n");
            listing.keyword.insert(listing.keyword.end(), 2, 0);
        }
        if (!ReadLine(body, listing)) return std::nullopt;
    }
    return listing;
}
