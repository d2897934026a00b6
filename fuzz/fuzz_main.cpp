#include "fuzz/fuzz_main.h"

#include <stdlib.h> // mkdtemp

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fuzz {

namespace {

std::filesystem::path &scratchPath() {
    static std::filesystem::path path;
    return path;
}

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::temp_directory_path(ignored), ignored);
    std::filesystem::remove_all(scratchPath(), ignored);
}

// mkdtemp: a fresh name even when several fuzzers of the same target run side by side.
void enterScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "farview-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch folder");
    scratchPath() = pattern;
    std::filesystem::current_path(scratchPath());
    std::atexit(removeScratchFolder);
}

std::string absolutePath(const std::string &path) {
    return path.empty() ? path : std::filesystem::absolute(path).string();
}

// libFuzzer's options that name files or folders; their values are made absolute like the
// positional arguments (corpus folders and inputs).
constexpr const char *kPathOptions[] = {
    "-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-merge_control_file=", "-features_dir="};

std::string withAbsolutePath(const std::string &argument) {
    if (argument.empty()) return argument;
    if (argument[0] != '-') return absolutePath(argument);
    for (const char *option : kPathOptions) {
        const std::string prefix = option;
        if (argument.compare(0, prefix.size(), prefix) == 0)
            return prefix + absolutePath(argument.substr(prefix.size()));
    }
    return argument;
}

} // namespace

const std::filesystem::path &scratchFolder() { return scratchPath(); }

void fail(const char *what) {
    std::fprintf(stderr, "fuzz target fault: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool entered = (fuzz::enterScratchFolder(), true);
    (void)entered;
    fuzz::testOneInput(data, size);
    return 0;
}

#ifdef FARVIEW_LIBFUZZER

// libFuzzer calls this before it reads its options, so the rewritten arguments are the ones it uses.
// The program's own name stays as it is (libFuzzer insists), and so does the current directory
// until the first input: -merge=1 starts the program again by that name, from a process that runs
// no input itself.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static std::vector<std::string> arguments;
    static std::vector<char *> pointers;
    bool artifactPrefixGiven = false;
    for (int i = 0; i < *argc; ++i) {
        arguments.push_back(i == 0 ? std::string((*argv)[i]) : fuzz::withAbsolutePath((*argv)[i]));
        artifactPrefixGiven = artifactPrefixGiven || arguments.back().rfind("-artifact_prefix=", 0) == 0;
    }
    // Crash inputs go where the program was started, not into the scratch folder.
    if (!artifactPrefixGiven) arguments.insert(arguments.begin() + 1, "-artifact_prefix=" + fuzz::absolutePath("./"));
    for (std::string &argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(arguments.size());
    *argv = pointers.data();
    return 0;
}

#else

namespace {

std::vector<std::filesystem::path> inputsNamed(const std::vector<std::string> &arguments) {
    std::vector<std::filesystem::path> inputs;
    for (const std::string &argument : arguments) {
        if (!std::filesystem::is_directory(argument)) {
            inputs.emplace_back(argument);
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto &entry : std::filesystem::directory_iterator(argument))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    return inputs;
}

bool readInput(const std::filesystem::path &path, std::vector<uint8_t> &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(fuzz::withAbsolutePath(argv[i]));
    if (arguments.empty()) arguments.push_back(FARVIEW_FUZZ_CORPUS);
    const std::vector<std::filesystem::path> inputs = inputsNamed(arguments);
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay in %s\n", arguments.front().c_str());
        return 1;
    }
    int passed = 0;
    for (const std::filesystem::path &input : inputs) {
        std::vector<uint8_t> bytes;
        if (!readInput(input, bytes)) {
            std::fprintf(stderr, "cannot read input %s\n", input.c_str());
            return 1;
        }
        std::printf("Running: %s\n", input.c_str());
        std::fflush(stdout);
        static const uint8_t kNoBytes = 0; // libFuzzer never passes a null pointer, even for no bytes
        LLVMFuzzerTestOneInput(bytes.empty() ? &kNoBytes : bytes.data(), bytes.size());
        ++passed;
    }
    std::printf("%d passed, 0 failed\n", passed);
    return 0;
}

#endif
