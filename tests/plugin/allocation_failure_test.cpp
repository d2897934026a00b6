// A failed allocation anywhere inside an export stays inside the module: the export returns its
// value, nothing leaks, and the next game plays as if nothing had happened. The failure is
// injected through this program's operator new, which the loaded module uses too.
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {
// Allocations left before the one that fails; negative: none fails.
long allocationsBeforeFailure = -1;
bool failureInjected = false;
} // namespace

void *operator new(std::size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) {
        failureInjected = true;
        throw std::bad_alloc();
    }
    if (void *block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
// The replacement new takes its blocks from malloc, so free is their match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

using simhost::number;
using simhost::text;

class AllocationFailure : public farview_test::ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/walker.png", 288, 256, 3, 0xc08040));
        ASSERT_TRUE(farview_test::writeOneColourImage("ghost.png", 24, 32, 7, 0xff00ff));
        ASSERT_TRUE(farview_test::writeOneColourImage("sky.png", 360, 60, 5, 0x4080ff));
        simhost::hero().mapColumn = 9;
        simhost::hero().mapRow = 6;
        simhost::setSheetName(simhost::hero(), "walker");
        simhost::setSheetName(simhost::addEvent(1, 9, 3), "walker");
    }

    // One game, the step numbered failingStep (0 to 4) failing at its allocation-th allocation
    // from 0, and the frame it shows. Returns whether the failure was met. The records are made
    // before any step runs, so that only the module and the host allocate while one is armed.
    bool play(int failingStep, long allocation) {
        const FvParsedComment load = simhost::makeComment("load_map_to_texture", {});
        const FvParsedComment sprite = simhost::makeComment(
            "add_sprite", {text("ghost"), text("ghost.png"), number(24), number(32), number(1), number(1), number(1)});
        const FvParsedComment background = simhost::makeComment("set_background", {text("sky.png")});
        const FvParsedComment drawingOn = simhost::makeComment("init_mode7", {number(1)});
        const FvDrawnPicture picture{0, 1};
        bool met = false;
        const auto step = [&](int number, auto work) {
            if (number == failingStep) allocationsBeforeFailure = allocation;
            failureInjected = false;
            work();
            allocationsBeforeFailure = -1;
            met = met || (number == failingStep && failureInjected);
        };
        step(0, [&] { EXPECT_FALSE(module.onComment("", &load)); });
        step(1, [&] { EXPECT_FALSE(module.onComment("", &sprite)); });
        step(2, [&] { EXPECT_FALSE(module.onComment("", &background)); });
        module.onComment("", &drawingOn);
        simhost::fillScreen(0);
        step(3, [&] { EXPECT_TRUE(module.onPictureDrawn(&picture)); });
        frame.assign(simhost::kScreenWidth * simhost::kScreenHeight, 0);
        for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
            for (int32_t x = 0; x < simhost::kScreenWidth; ++x)
                frame[y * simhost::kScreenWidth + x] = simhost::screenPixel(x, y);
        step(4, [&] { module.onInitTitleScreen(); });
        simhost::initTitleScreen(module);
        simhost::clearMessages();
        return met;
    }

    farview_test::ScratchDirectory scratch;
    std::vector<uint16_t> frame;
};

TEST_F(AllocationFailure, EveryFailedAllocationOfACommandAFrameOrAResetLeavesTheModuleUsable) {
    play(-1, 0);
    const std::vector<uint16_t> cleanFrame = frame;
    for (int failingStep = 0; failingStep <= 4; ++failingStep) {
        long allocation = 0;
        for (; play(failingStep, allocation); ++allocation) {
            ASSERT_EQ(simhost::liveImageCount(), 0) << "step " << failingStep << ", allocation " << allocation;
            play(-1, 0);
            ASSERT_EQ(frame, cleanFrame) << "after step " << failingStep << " failed at allocation " << allocation;
        }
        EXPECT_TRUE(failingStep == 4 || allocation > 0) << "step " << failingStep << " allocated nothing";
    }
}

} // namespace
