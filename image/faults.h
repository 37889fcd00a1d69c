// What was wrong with a container and how it was read anyway, as the status line says it: faults
// one after the other, "; " between. A fault that many files share names the first few of them
// and counts the rest, so that an archive of 65,535 broken entries still gets one short line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

inline constexpr std::size_t kNamedFaults = 3;

// Adds text to faults.
void AddFault(std::u16string& faults, std::u16string_view text);

class RepeatedFault {
  public:
    // Counts one more file with the fault; makeText (returning its text) is called only for the
    // first few.
    template <typename MakeText>
    void Add(MakeText&& makeText) {
        if (named_.size() < kNamedFaults) named_.push_back(makeText());
        ++count_;
    }

    // Adds the named texts to faults, then for the others before + their count + after ("the end
    // addresses of " "12" " more files do not match their data").
    void AppendTo(std::u16string& faults, std::u16string_view before,
                  std::u16string_view after) const;

  private:
    std::vector<std::u16string> named_;
    std::size_t count_ = 0;
};

}  // namespace kestrune
