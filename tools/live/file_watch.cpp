#include "tools/live/file_watch.h"

#include <algorithm>

namespace live {

void FileWatch::watch(std::vector<std::filesystem::path> files) {
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    files_ = std::move(files);
    states_.clear();
    for (const std::filesystem::path &file : files_) states_.push_back(stateOf(file));
}

std::vector<std::filesystem::path> FileWatch::changed() {
    std::vector<std::filesystem::path> changes;
    for (size_t i = 0; i < files_.size(); ++i) {
        const State now = stateOf(files_[i]);
        if (now == states_[i]) continue;
        states_[i] = now;
        changes.push_back(files_[i]);
    }
    return changes;
}

FileWatch::State FileWatch::stateOf(const std::filesystem::path &file) {
    std::error_code failure;
    State state;
    state.size = std::filesystem::file_size(file, failure);
    state.exists = !failure;
    if (!state.exists) return {};
    state.modified = std::filesystem::last_write_time(file, failure);
    return state;
}

} // namespace live
