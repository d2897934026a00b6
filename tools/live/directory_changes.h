// The system's notice of changes in a few folders, asked for without waiting: inotify on Linux,
// change notifications on Windows. Where the system has none (a browser's file system) or refuses
// (too many watches), watch() says so and the caller looks at its files itself.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

namespace live {

class DirectoryChanges {
public:
    DirectoryChanges();
    ~DirectoryChanges();
    DirectoryChanges(const DirectoryChanges &) = delete;
    DirectoryChanges &operator=(const DirectoryChanges &) = delete;

    // From now on these folders are watched, and no others: an entry made, written, renamed or
    // removed in one of them. Only what differs from the folders watched now is asked of the
    // system: a folder watched already keeps its watch, unless that watch ended with the folder
    // (removed or renamed), when it is watched anew. False when the system cannot watch them all.
    bool watch(const std::vector<std::filesystem::path> &folders);
    // Whether anything happened in the folders since the last call; never waits, and asks the
    // system nothing but that.
    bool takeChanges();

private:
    struct Watches;
    std::unique_ptr<Watches> watches_;
};

} // namespace live
