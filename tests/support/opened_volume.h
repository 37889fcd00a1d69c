// Opening a file's bytes as the loader does, for tests that look at the volume it makes: the
// volume (a test failure naming the refusal when there is none), a row's file, a row's name.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "text/unicode.h"

namespace kestrune::testing {

// Opened with every question answered No.
inline Volume OpenOrFail(std::string_view name, Bytes bytes) {
    Opened opened = OpenContents(name, std::move(bytes), [](const Message&) { return false; });
    if (!opened.volume) {
        ADD_FAILURE() << name << ": " << (opened.message ? Utf16ToUtf8(opened.message->text) : "");
        return {};
    }
    return std::move(*opened.volume);
}

inline Bytes FileOf(const Volume& volume, std::size_t row) {
    FileChain chain;
    ReadFile(chain, volume, volume.entries.at(row));
    return {chain.Data().begin(), chain.Data().end()};
}

// The name's bytes up to its first shifted space.
inline std::string NameOf(const DirectoryEntry& entry) {
    std::string name(entry.name.begin(), entry.name.end());
    return name.substr(0, name.find('\xA0'));
}

}  // namespace kestrune::testing
