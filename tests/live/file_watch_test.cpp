// Live reload's watch: a write is told once the files are quiet, and a burst of writes is told
// once; a save that keeps size and time is told too; once told, the watch asks the system nothing
// more. Times are the test's own, so nothing here waits.
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/live/file_watch.h"

// The watch's requests for watches, counted on their way to the system; refused on request, as a
// system out of watches refuses them.
namespace {
int watchRequests = 0;
bool refuseWatches = false;
} // namespace

extern "C" int inotify_add_watch(int queue, const char *path, uint32_t mask) noexcept {
    ++watchRequests;
    if (refuseWatches) {
        errno = ENOSPC;
        return -1;
    }
    return static_cast<int>(syscall(SYS_inotify_add_watch, queue, path, mask));
}

extern "C" int inotify_rm_watch(int queue, int id) noexcept {
    ++watchRequests;
    return static_cast<int>(syscall(SYS_inotify_rm_watch, queue, id));
}

namespace {

void write(const std::filesystem::path &file, const std::string &text) { std::ofstream(file) << text; }

// What the watch tells over this many steps.
std::vector<std::filesystem::path> toldOver(live::FileWatch &watch, live::FileWatch::Clock::time_point &now,
                                            live::FileWatch::Clock::duration step, int steps) {
    std::vector<std::filesystem::path> told;
    for (int i = 0; i < steps; ++i)
        for (const std::filesystem::path &file : watch.changed(now += step)) told.push_back(file);
    return told;
}

TEST(LiveFileWatch, AWriteIsToldOnceTheFilesAreQuietAndABurstOnce) {
    farview_test::ScratchDirectory scratch;
    const std::filesystem::path file = scratch.path() / "Map0001.lmu", other = scratch.path() / "Other.txt";
    write(file, "a");
    live::FileWatch watch;
    watch.watch({file});
    // A step as long as a look where the system gives no notice, and longer than the quiet period.
    const live::FileWatch::Clock::duration step = live::FileWatch::kPollInterval;
    live::FileWatch::Clock::time_point now{};
    EXPECT_TRUE(watch.changed(now += step).empty());

    write(file, "ab");
    EXPECT_TRUE(watch.changed(now += step).empty()); // seen, not yet quiet
    write(file, "abc");                              // the burst goes on
    EXPECT_TRUE(watch.changed(now += step).empty());
    EXPECT_EQ(watch.changed(now += step), std::vector<std::filesystem::path>{file});
    EXPECT_TRUE(watch.changed(now += step).empty());

    write(other, "x"); // another file of the folder
    EXPECT_TRUE(watch.changed(now += step).empty());
    EXPECT_TRUE(watch.changed(now += step).empty());
}

// A second save of the same size within one tick of the file system's clock keeps size and time:
// told all the same, with the system's notice and without it.
TEST(LiveFileWatch, ASaveThatKeepsSizeAndTimeIsTold) {
    for (bool notice : {true, false}) {
        farview_test::ScratchDirectory scratch;
        const std::filesystem::path file = scratch.path() / "Map0001.lmu";
        write(file, "ab");
        const auto firstSave = std::filesystem::last_write_time(file);
        refuseWatches = !notice;
        live::FileWatch watch;
        watch.watch({file});
        refuseWatches = false;
        ASSERT_EQ(watch.notified(), notice);
        live::FileWatch::Clock::time_point now{};
        EXPECT_TRUE(toldOver(watch, now, live::FileWatch::kPollInterval, 2).empty());

        write(file, "cd");
        std::filesystem::last_write_time(file, firstSave); // the clock has not ticked since
        EXPECT_EQ(toldOver(watch, now, live::FileWatch::kPollInterval, 3), std::vector<std::filesystem::path>{file})
            << (notice ? "with notice" : "without notice");
    }
}

// After a save is told and the view rebuilt from the files, frame after frame asks the system for
// no watch: the folders are watched once.
TEST(LiveFileWatch, OnceAChangeIsToldTheWatchAsksTheSystemNothingMore) {
    farview_test::ScratchDirectory scratch;
    const std::filesystem::path file = scratch.path() / "Map0001.lmu", image = scratch.path() / "Sky.png";
    write(file, "a");
    write(image, "b");
    live::FileWatch watch;
    watch.watch({file, image});
    ASSERT_TRUE(watch.notified());
    const live::FileWatch::Clock::duration frame = std::chrono::milliseconds(16);
    live::FileWatch::Clock::time_point now{};
    write(file, "ab");
    ASSERT_EQ(toldOver(watch, now, frame, 10), std::vector<std::filesystem::path>{file});

    const int requests = watchRequests;
    watch.watch({file, image}); // as the live view does after its rebuild
    EXPECT_TRUE(toldOver(watch, now, frame, 600).empty());
    EXPECT_EQ(watchRequests, requests);
}

} // namespace
