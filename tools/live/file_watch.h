// Live reload: the files a view is made of, watched for changes. The system tells of changes in
// their folders (directory_changes.h); where it cannot, the files are looked at every
// kPollInterval. A change is told once the files have been quiet for kQuietPeriod, so that a save
// written in several pieces is read whole; a file is told changed when its size or modification
// time differs from when it was last told.
//
// Times are given by the caller, so that what is told when does not depend on how fast it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/live/directory_changes.h"

namespace live {

class FileWatch {
public:
    using Clock = std::chrono::steady_clock;
    // The quiet after the last sign of a write before the files are read. An editor's save is one
    // burst of writes a few milliseconds long; the view should change within 100 ms of its end.
    static constexpr Clock::duration kQuietPeriod = std::chrono::milliseconds(30);
    // How often the files are looked at where the system gives no notice.
    static constexpr Clock::duration kPollInterval = std::chrono::milliseconds(50);
    // A file written without pause for this long is looked at all the same.
    static constexpr Clock::duration kLongestBurst = std::chrono::seconds(1);

    // From now on these files are watched (a missing file is watched for coming back). A file
    // watched already keeps the state it was last told in, so that a write while the view was
    // being rebuilt from it is still told.
    void watch(std::vector<std::filesystem::path> files);
    // The files that changed, appeared or went away since they were last told, once the files have
    // been quiet long enough; their new state is kept, so each change is told once.
    std::vector<std::filesystem::path> changed(Clock::time_point now);
    // Whether the system tells of changes here (else the files are looked at every kPollInterval).
    bool notified() const { return notified_; }

private:
    struct State {
        bool exists = false;
        uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const State &other) const {
            return exists == other.exists && size == other.size && modified == other.modified;
        }
        bool operator!=(const State &other) const { return !(*this == other); }
    };
    static State stateOf(const std::filesystem::path &file);
    std::vector<State> statesNow() const;
    // Asks the system for notice of the files' folders (again).
    void watchFolders();
    // A sign of writes: the quiet period starts again.
    void stir(Clock::time_point now);

    DirectoryChanges changes_;
    bool notified_ = false;
    std::vector<std::filesystem::path> files_;
    std::vector<State> told_; // as each file was last told (or first watched)
    std::vector<State> seen_; // as the last poll found them
    Clock::time_point lastPoll_{};
    bool stirred_ = false;
    Clock::time_point burstStart_{};
    Clock::time_point lastStir_{};
};

} // namespace live
