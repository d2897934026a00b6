#include "tools/live/file_watch.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace live {

namespace {

// The folder a file is in, or the nearest one above it that is there: where it would appear.
fs::path watchedFolder(const fs::path &file) {
    std::error_code failure;
    fs::path folder = file.parent_path();
    while (!folder.empty() && !fs::is_directory(folder, failure) && folder.has_relative_path())
        folder = folder.parent_path();
    return folder;
}

} // namespace

void FileWatch::watch(std::vector<fs::path> files) {
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    std::vector<State> told;
    for (const fs::path &file : files) {
        const auto known = std::find(files_.begin(), files_.end(), file);
        told.push_back(known != files_.end() ? told_[static_cast<size_t>(known - files_.begin())] : stateOf(file));
    }
    files_ = std::move(files);
    told_ = std::move(told);
    seen_ = statesNow();
    watchFolders();
}

void FileWatch::watchFolders() {
    std::vector<fs::path> folders;
    for (const fs::path &file : files_) folders.push_back(watchedFolder(file));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    notified_ = changes_.watch(folders);
}

std::vector<fs::path> FileWatch::changed(Clock::time_point now) {
    if (notified_) {
        if (changes_.takeChanges()) stir(now);
    } else {
        if (now - lastPoll_ < kPollInterval) return {};
        lastPoll_ = now;
        std::vector<State> states = statesNow();
        if (states != seen_) stir(now);
        seen_ = std::move(states);
    }
    if (!stirred_ || (now - lastStir_ < kQuietPeriod && now - burstStart_ < kLongestBurst)) return {};
    stirred_ = false;
    if (notified_) watchFolders(); // before the look: a change after it is told again
    std::vector<fs::path> changes;
    for (size_t i = 0; i < files_.size(); ++i) {
        const State state = stateOf(files_[i]);
        if (state == told_[i]) continue;
        told_[i] = state;
        changes.push_back(files_[i]);
    }
    return changes;
}

void FileWatch::stir(Clock::time_point now) {
    if (!stirred_) burstStart_ = now;
    stirred_ = true;
    lastStir_ = now;
}

std::vector<FileWatch::State> FileWatch::statesNow() const {
    std::vector<State> states;
    for (const fs::path &file : files_) states.push_back(stateOf(file));
    return states;
}

FileWatch::State FileWatch::stateOf(const fs::path &file) {
    std::error_code failure;
    State state;
    state.size = fs::file_size(file, failure);
    state.exists = !failure;
    if (!state.exists) return {};
    state.modified = fs::last_write_time(file, failure);
    return state;
}

} // namespace live
