#include "tests/support/fixture_disk.h"

#include "tests/support/basic_program.h"

namespace kestrune::testing {

const Bytes kHelloProgram = BasicProgram(0x0801, {{10, {0x99, 0x22, 0x48, 0x49, 0x22}}});
const Bytes kCodeBytes = {0xA9, 0x93, 0x20, 0xD2, 0xFF, 0x60};

DiskBuilder FixtureDisk() {
    DiskBuilder disk;
    disk.DiskName("FIXTURE").DiskId("FX");
    disk.AddFile("HELLO", 0x82, Program(0x0801, kHelloProgram));
    disk.AddFile("CODE", 0x82, Program(0xC000, kCodeBytes));
    disk.AddFile("NOTES", 0x81, Bytes{0x48, 0x49, 0x0D, 0x54, 0x48, 0x45, 0x52, 0x45, 0x5C});
    disk.AddFile("SCREEN", 0x82, Program(0x0400, Bytes{0x08, 0x09, 0x1F, 0x81}));
    disk.AddEntry({0x80, 0, 0, "GONE", 0});
    disk.AddEntry({0x82, 18, 0, "LABEL", 0});
    disk.AddEntry({0x83, 3, 10, "APP", 12, 6});
    disk.AddFile("BASIC3000", 0x82, Program(0x3000, BasicProgram(0x3001, {{1, {0x80}}})));
    Bytes halfInstruction = kCodeBytes;
    halfInstruction.push_back(0xB0);
    disk.AddFile("CODE3000", 0x82, Program(0x3000, halfInstruction));
    disk.AddFile("HALF", 0x82, Bytes{0x01});
    return disk;
}

}  // namespace kestrune::testing
