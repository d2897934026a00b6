// farview-preview's command line and what each form does, as a function that tests can call.
#pragma once

#include <filesystem>
#include <ostream>

namespace preview {

struct PreviewPaths {
    std::filesystem::path module;          // the plug-in module loaded when --module is not given
    std::filesystem::path builtDemoFolder; // the demo game made at build time; may be missing
};

// The frames a --map view turns through, and the angle between them.
constexpr int32_t kTurnFrames = 24;

// Runs farview-preview with its command line (argv[0] is the program's name). Rendered files go
// to the output folder (default "out", relative to the current directory), which comes back as
// it was. Progress and the host's messages go to err, overwriting the progress line when err is
// a terminal; the files written and --help go to out. Returns the process's exit status.
int runPreview(int argc, const char *const *argv, const PreviewPaths &paths, std::ostream &out, std::ostream &err,
               bool errIsTerminal);

} // namespace preview
