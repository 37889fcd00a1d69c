// The one disk the CLI, window and walk tests share: a file of every kind the viewer shows.
#pragma once

#include "tests/support/disk_builder.h"

namespace kestrune::testing {

// 10 print "hi"
extern const Bytes kHelloProgram;
// lda #$93, jsr $ffd2, rts
extern const Bytes kCodeBytes;

// Named "FIXTURE", ID "FX". Rows: 1 HELLO, BASIC at $0801; 2 CODE at $C000; 3 NOTES, a SEQ text
// ("hi", RETURN, "there", a pound sign); 4 SCREEN, screen codes at $0400; 5 GONE, a DEL entry on
// track 0; 6 LABEL, a directory label of 0 blocks on track 18; 7 APP, a GEOS application;
// 8 BASIC3000, BASIC at $3000; 9 CODE3000, code at $3000 ending in half an instruction; 10 HALF, a
// program of one byte, half a load address.
DiskBuilder FixtureDisk();
inline constexpr int kFixtureRows = 10;

}  // namespace kestrune::testing
