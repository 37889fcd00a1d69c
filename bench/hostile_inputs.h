// Files made to cost as much as they can, for the benchmarks: a zip whose thousand entries name one
// member of 64 MiB, a T64 of 65,535 entries on the same data, a file of 64 MiB (of zeros, and
// of noise, whose disassembly and texts are the longest), a D82 whose 16,432
// rows all name one chain of 2,054 blocks (with and without an error table), names that carry
// terminal escapes.
#pragma once

#include "tests/support/disk_builder.h"

namespace kestrune::hostile {

using testing::Bytes;

Bytes ZipBomb();
Bytes ZippedZeros();
Bytes Zeros();
Bytes Noise();
Bytes TapeOfSameEntries();
Bytes D82();
Bytes D82WithErrors();
Bytes EscapingNames();

}  // namespace kestrune::hostile
