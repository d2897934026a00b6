// The module loaded by a program that offers no host table does nothing and does not crash.
#include <dlfcn.h>

#include <cstdint>
#include <gtest/gtest.h>

#include "host/farview_host.h"

namespace {

struct LoadedModule {
    void *handle = dlopen(FARVIEW_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ~LoadedModule() {
        if (handle != nullptr) dlclose(handle);
    }
    template <class T> T find(const char *name) const { return reinterpret_cast<T>(dlsym(handle, name)); }
};

TEST(InertModule, ExportsAnswerWithTheirValuesAndTouchNothing) {
    LoadedModule module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    auto onComment = module.find<FvOnCommentFn>("onComment");
    auto onPictureDrawn = module.find<FvOnPictureDrawnFn>("onPictureDrawn");
    auto onInitTitleScreen = module.find<FvOnInitTitleScreenFn>("onInitTitleScreen");
    auto linkVersion = module.find<const int32_t *>("linkVersion");
    ASSERT_TRUE(onComment && onPictureDrawn && onInitTitleScreen && linkVersion);
    EXPECT_EQ(*linkVersion, 2);

    // A keyword is the plug-in's own whether or not it can act on it: false, and nothing done.
    FvParsedComment comment{};
    const struct {
        const char *name;
        bool keyword;
    } lines[] = {{"init_mode7", true},
                 {"load_map_to_texture", true},
                 {"set_background", true},
                 {"no_such_command", false},
                 {"Init_mode7", false}};
    for (const auto &line : lines) {
        snprintf(comment.name, sizeof comment.name, "%s", line.name);
        comment.parameterCount = 1;
        comment.parameters[0].kind = 1;
        snprintf(comment.parameters[0].text, sizeof comment.parameters[0].text, "%s", "true");
        EXPECT_EQ(onComment("", &comment), !line.keyword) << line.name;
    }
    FvDrawnPicture picture{0, 1};
    EXPECT_TRUE(onPictureDrawn(&picture));
    EXPECT_TRUE(onPictureDrawn(nullptr));
    onInitTitleScreen();
    onInitTitleScreen();
}

} // namespace
