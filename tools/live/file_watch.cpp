#include "tools/live/file_watch.h"

#include <algorithm>
#include <fstream>

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

// 64-bit FNV-1a of a file's bytes; none when it cannot be read.
std::optional<uint64_t> digestOf(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> chunk(size_t{1} << 16);
    uint64_t digest = 14695981039346656037u;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            digest ^= static_cast<unsigned char>(chunk[static_cast<size_t>(i)]);
            digest *= 1099511628211u;
        }
    }
    if (in.bad() || !in.eof()) return std::nullopt;
    return digest;
}

} // namespace

void FileWatch::watch(std::vector<fs::path> files) {
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    std::vector<State> told;
    for (const fs::path &file : files) {
        const auto known = std::find(files_.begin(), files_.end(), file);
        told.push_back(known != files_.end() ? told_[static_cast<size_t>(known - files_.begin())]
                                             : stateOf(file, Contents::read));
    }
    files_ = std::move(files);
    told_ = std::move(told);
    seen_ = told_; // a write since the last tell is seen by the first poll
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
    } else if (!toldByTheProgram_ && now - lastPoll_ >= kPollInterval) {
        lastPoll_ = now;
        std::vector<State> states = statesNow(Contents::readIfRecent);
        if (states != seen_) stir(now);
        seen_ = std::move(states);
    }
    if (!stirred_ || (now - lastStir_ < kQuietPeriod && now - burstStart_ < kLongestBurst)) return {};
    stirred_ = false;
    // A folder may have come or gone; watched before the look, so that a change after it is told.
    if (notified_) watchFolders();
    return look();
}

std::vector<fs::path> FileWatch::look() {
    std::vector<fs::path> changes;
    for (size_t i = 0; i < files_.size(); ++i) {
        State state = stateOf(files_[i], Contents::read);
        if (state == told_[i]) continue;
        told_[i] = std::move(state);
        changes.push_back(files_[i]);
    }
    seen_ = told_;
    return changes;
}

void FileWatch::tell(Clock::time_point now) {
    toldByTheProgram_ = true;
    stir(now);
}

void FileWatch::stir(Clock::time_point now) {
    if (!stirred_) burstStart_ = now;
    stirred_ = true;
    lastStir_ = now;
}

std::vector<FileWatch::State> FileWatch::statesNow(Contents contents) const {
    std::vector<State> states;
    for (const fs::path &file : files_) states.push_back(stateOf(file, contents));
    return states;
}

FileWatch::State FileWatch::stateOf(const fs::path &file, Contents contents) {
    std::error_code failure;
    State state;
    state.size = fs::file_size(file, failure);
    if (failure) return {};
    state.exists = true;
    state.modified = fs::last_write_time(file, failure);
    const bool recent = fs::file_time_type::clock::now() - state.modified < kCoarsestClockTick;
    if (state.size <= kLargestComparedFile && (contents == Contents::read || recent)) state.contents = digestOf(file);
    return state;
}

} // namespace live
