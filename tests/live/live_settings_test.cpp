// farview-live's settings file: a setting written is read back, the last written wins, and the
// lines the program does not know stay as they were.
#include <fstream>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/live/live_settings.h"

namespace {

TEST(LiveSettings, ASettingIsReadBackAndOtherLinesStay) {
    farview_test::ScratchDirectory scratch;
    const std::filesystem::path file = "config/farview/settings";
    EXPECT_FALSE(live::readSetting(file, live::kStandardGraphicsSetting));
    std::string error;
    ASSERT_TRUE(live::writeSetting(file, live::kStandardGraphicsSetting, "/first", &error)) << error;
    std::ofstream(file, std::ios::app) << "someone-else=keeps this\r\n";
    ASSERT_TRUE(live::writeSetting(file, live::kStandardGraphicsSetting, "/games/Standard graphics", &error));
    EXPECT_EQ(live::readSetting(file, live::kStandardGraphicsSetting), "/games/Standard graphics");
    EXPECT_EQ(live::readSetting(file, "someone-else"), "keeps this");
    EXPECT_FALSE(live::writeSetting(file, live::kStandardGraphicsSetting, "/a\nb=c", &error));
    EXPECT_EQ(live::readSetting(file, live::kStandardGraphicsSetting), "/games/Standard graphics");
}

} // namespace
