// Live reload: the files a view is made of, looked at again now and then. Comparing each file's
// size and modification time is enough to see an editor save, and works on every system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace live {

class FileWatch {
public:
    // From now on these files are watched, as they are now (a missing file is watched for coming back).
    void watch(std::vector<std::filesystem::path> files);
    // The files that changed, appeared or went away since the last look; their new state is kept,
    // so each change is told once.
    std::vector<std::filesystem::path> changed();

private:
    struct State {
        bool exists = false;
        uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const State &other) const {
            return exists == other.exists && size == other.size && modified == other.modified;
        }
    };
    static State stateOf(const std::filesystem::path &file);

    std::vector<std::filesystem::path> files_;
    std::vector<State> states_;
};

} // namespace live
