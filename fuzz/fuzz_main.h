// What every fuzz target shares. A target is one file that defines fuzz::testOneInput; it is
// linked with fuzz_main.cpp, which defines libFuzzer's entry point around it, and built one of two
// ways:
//
// - as a libFuzzer target (clang, -DFARVIEW_LIBFUZZER=ON): libFuzzer's own main runs it;
// - as a plain program that replays inputs: every file named on the command line, and every file
//   of every folder named there (in name order), is run once; with no argument it replays the
//   target's committed corpus, fuzz/corpus/<name>/. It ends with "N passed, 0 failed"; a fault
//   stops it with the sanitizer's report or an abort, after the name of the input that caused it.
//
// Either way, before the first input the current directory becomes an empty scratch folder of the
// process's own (removed at a normal exit), because the plug-in reads map files and graphics by
// names relative to the current directory and the targets write their inputs there as files.
// Paths given on the command line are made absolute first, so corpus folders, artifact prefixes
// and dictionaries may be given relative to where the program starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace fuzz {

// One input, defined by each target. A target sets itself up on its first input.
void testOneInput(const uint8_t *data, size_t size);

// The process's scratch folder, which is the current directory while inputs run.
const std::filesystem::path &scratchFolder();

// A fault the sanitizers cannot see (a broken promise of the code under test): prints what was
// wrong and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] void fail(const char *what);

} // namespace fuzz
