// Loading the plug-in module and handing it comment lines and frames as the host does.
#include <dlfcn.h>
#include <png.h>

#include <cstring>
#include <fstream>

#include "support/host_fixture.h"

namespace {

using farview_test::HostTest;
using farview_test::ScratchDirectory;

class PluginModule : public HostTest {};

TEST_F(PluginModule, FindsTheRealModulesFourExportsAndLinkVersion2) {
    simhost::PluginModule module;
    std::string error;
    ASSERT_TRUE(simhost::loadPlugin(FARVIEW_MODULE_PATH, module, &error)) << error;
    EXPECT_NE(module.handle, nullptr);
    EXPECT_NE(module.onComment, nullptr);
    EXPECT_NE(module.onPictureDrawn, nullptr);
    EXPECT_NE(module.onInitTitleScreen, nullptr);
    ASSERT_NE(module.linkVersion, nullptr);
    EXPECT_EQ(*module.linkVersion, 2);
    // A name that is no keyword is left to the host.
    EXPECT_TRUE(simhost::sendComment(module, "no_such_command", {simhost::number(1)}));
    simhost::drawPictures(module, {1, 2, 3});
    simhost::initTitleScreen(module);
    simhost::unloadPlugin(module);
    EXPECT_EQ(module.handle, nullptr);
    EXPECT_EQ(module.onComment, nullptr);
}

TEST_F(PluginModule, RefusesAFileThatIsNoModule) {
    ScratchDirectory scratch;
    std::ofstream("farview.so") << "not a shared object";
    simhost::PluginModule module;
    std::string error;
    EXPECT_FALSE(simhost::loadPlugin((scratch.path() / "farview.so").string(), module, &error));
    EXPECT_NE(error.find("farview.so"), std::string::npos);
    EXPECT_EQ(module.handle, nullptr);
    EXPECT_FALSE(simhost::loadPlugin((scratch.path() / "missing.so").string(), module, nullptr));
}

TEST_F(PluginModule, RefusesAModuleWithoutThePluginsExports) {
    Dl_info library{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&png_access_version_number), &library), 0);
    ASSERT_NE(library.dli_fname, nullptr);
    simhost::PluginModule module;
    std::string error;
    EXPECT_FALSE(simhost::loadPlugin(library.dli_fname, module, &error));
    EXPECT_NE(error.find("onComment"), std::string::npos) << error;
    EXPECT_EQ(module.onComment, nullptr);
}

TEST_F(PluginModule, CallsWithAnEmptyModuleDoNothing) {
    simhost::PluginModule none;
    EXPECT_FALSE(simhost::sendComment(none, "init_mode7", {simhost::text("true")}));
    simhost::drawPictures(none, {1});
    simhost::initTitleScreen(none);
    simhost::unloadPlugin(none);
}

// ---- The records handed to the exports ----------------------------------------------------------

TEST(CommentRecord, HoldsTheNameAndTypedParametersZeroFilled) {
    FvParsedComment comment = simhost::makeComment(
        "add_sprite", {simhost::text("key"), simhost::number(2.5), simhost::number(-3), simhost::text("")});
    EXPECT_STREQ(comment.name, "add_sprite");
    EXPECT_EQ(comment.name[199], 0);
    EXPECT_EQ(comment.parameterCount, 4);
    EXPECT_NE(comment.parameters[0].kind, 0);
    EXPECT_STREQ(comment.parameters[0].text, "key");
    EXPECT_EQ(comment.parameters[1].kind, 0);
    EXPECT_EQ(comment.parameters[1].number, 2.5);
    EXPECT_EQ(comment.parameters[1].text[0], 0);
    EXPECT_EQ(comment.parameters[2].number, -3.0);
    EXPECT_NE(comment.parameters[3].kind, 0);
    EXPECT_EQ(comment.parameters[4].kind, 0);
    EXPECT_EQ(comment.parameters[8].number, 0.0);
}

TEST(CommentRecord, LongTextsAreCutAndOnlyNineSlotsFilled) {
    std::vector<simhost::CommentArgument> arguments;
    for (int i = 0; i < 12; ++i) arguments.push_back(simhost::number(i + 1));
    arguments[8] = simhost::text(std::string(500, 'x'));
    FvParsedComment comment = simhost::makeComment(std::string(300, 'n'), arguments);
    EXPECT_EQ(std::strlen(comment.name), 199u);
    EXPECT_EQ(comment.parameterCount, 12);
    EXPECT_EQ(comment.parameters[7].number, 8.0);
    EXPECT_EQ(std::strlen(comment.parameters[8].text), 199u);
}

FvParsedComment receivedComment;
std::string receivedText;
std::vector<int32_t> drawnPictures;
int titleScreens = 0;

bool FVAPI recordComment(const char *text, const FvParsedComment *comment) {
    receivedText = text;
    receivedComment = *comment;
    return false;
}

bool FVAPI recordPicture(const FvDrawnPicture *picture) {
    drawnPictures.push_back(picture->pictureNumber);
    return true;
}

void FVAPI recordTitleScreen() { ++titleScreens; }

TEST(HostCalls, HandTheRecordsToTheExports) {
    simhost::PluginModule module;
    module.onComment = recordComment;
    module.onPictureDrawn = recordPicture;
    module.onInitTitleScreen = recordTitleScreen;
    EXPECT_FALSE(simhost::sendComment(module, "set_horizon", {simhost::number(80), simhost::number(10)}));
    EXPECT_EQ(receivedText, "set_horizon");
    EXPECT_STREQ(receivedComment.name, "set_horizon");
    EXPECT_EQ(receivedComment.parameterCount, 2);
    EXPECT_EQ(receivedComment.parameters[1].number, 10.0);
    simhost::drawPictures(module, {3, 1, 2});
    EXPECT_EQ(drawnPictures, (std::vector<int32_t>{3, 1, 2}));
    simhost::initTitleScreen(module);
    EXPECT_EQ(titleScreens, 1);
}

} // namespace
