#include "support/host_fixture.h"

#include <atomic>
#include <unistd.h>

namespace farview_test {

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path()) {
    static std::atomic<int> serial{0};
    path_ = std::filesystem::temp_directory_path() /
            ("farview-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

} // namespace farview_test
