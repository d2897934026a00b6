// Live reload: the files a view is made of, watched for changes. The system tells of changes in
// their folders (directory_changes.h); where it cannot, the files are looked at every
// kPollInterval. A change is told once the files have been quiet for kQuietPeriod, so that a save
// written in several pieces is read whole. A file is told changed when its size, its modification
// time or, up to kLargestComparedFile bytes, its contents differ from when it was last told: a
// save of the same size within one tick of the file system's clock keeps size and time.
//
// The folders are watched once: while nothing changes, the watch asks the system only whether
// anything did (or, without notice, looks at the files).
//
// Times are given by the caller, so that what is told when does not depend on how fast it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
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
    // Files compared by their contents too: far more than a game's maps, database and pictures
    // hold. Larger ones are compared by size and time only.
    static constexpr uintmax_t kLargestComparedFile = uintmax_t{16} << 20;
    // The coarsest clock a file system keeps modification times in (FAT's two seconds). Where the
    // system gives no notice, a file written less long ago is read at every look, as a second save
    // within the same tick keeps its time.
    static constexpr std::chrono::seconds kCoarsestClockTick{2};

    // From now on these files are watched (a missing file is watched for coming back). A file
    // watched already keeps the state it was last told in, so that a write while the view was
    // being rebuilt from it is still told.
    void watch(std::vector<std::filesystem::path> files);
    // The files that changed, appeared or went away since they were last told, once the files have
    // been quiet long enough; their new state is kept, so each change is told once.
    std::vector<std::filesystem::path> changed(Clock::time_point now);
    const std::vector<std::filesystem::path> &files() const { return files_; }
    // Whether the system tells of changes here (else the files are looked at every kPollInterval).
    bool notified() const { return notified_; }
    // The program that keeps the files tells of a change itself (the page, which copies them in):
    // from then on the files are looked at when it tells, once the quiet period has passed.
    void tell(Clock::time_point now);

private:
    struct State {
        bool exists = false;
        uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        std::optional<uint64_t> contents; // a digest of the bytes, where they were read
        // Contents count where both states have them.
        bool operator==(const State &other) const {
            return exists == other.exists && size == other.size && modified == other.modified &&
                   (!contents || !other.contents || *contents == *other.contents);
        }
        bool operator!=(const State &other) const { return !(*this == other); }
    };
    enum class Contents { read, readIfRecent };
    static State stateOf(const std::filesystem::path &file, Contents contents);
    std::vector<State> statesNow(Contents contents) const;
    // Asks the system for notice of the folders the files are in now, where it has none yet.
    void watchFolders();
    // A sign of writes: the quiet period starts again.
    void stir(Clock::time_point now);
    // The files whose state differs from the one they were last told in.
    std::vector<std::filesystem::path> look();

    DirectoryChanges changes_;
    bool notified_ = false;
    bool toldByTheProgram_ = false;
    std::vector<std::filesystem::path> files_;
    std::vector<State> told_; // as each file was last told (or first watched)
    std::vector<State> seen_; // as the last look or poll found them
    Clock::time_point lastPoll_{};
    bool stirred_ = false;
    Clock::time_point burstStart_{};
    Clock::time_point lastStir_{};
};

} // namespace live
