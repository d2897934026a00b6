// Live reload's watch: a write is told once the files are quiet, and a burst of writes is told
// once. Times are the test's own, so nothing here waits.
#include <fstream>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/live/file_watch.h"

namespace {

void write(const std::filesystem::path &file, const std::string &text) { std::ofstream(file) << text; }

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

} // namespace
