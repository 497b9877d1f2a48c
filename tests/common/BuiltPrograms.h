#pragma once
// Paths of the built programs that tests and the benchmark start, in the build folder. Each
// executable defines the ones it uses (vxr_built_programs in tests/CMakeLists.txt).
namespace BuiltPrograms {
extern const char kVxrmgr[];
extern const char kCli[];
extern const char kSim[];
extern const char kBenchTool[];
extern const char kBenchBare[];
}  // namespace BuiltPrograms
