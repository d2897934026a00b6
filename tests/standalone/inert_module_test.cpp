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

    FvParsedComment comment{};
    for (const char *name : {"init_mode7", "load_map_to_texture", "set_background", "no_such_command"}) {
        snprintf(comment.name, sizeof comment.name, "%s", name);
        comment.parameterCount = 1;
        comment.parameters[0].kind = 1;
        snprintf(comment.parameters[0].text, sizeof comment.parameters[0].text, "%s", "true");
        onComment("", &comment);
    }
    FvDrawnPicture picture{0, 1};
    EXPECT_TRUE(onPictureDrawn(&picture));
    EXPECT_TRUE(onPictureDrawn(nullptr));
    onInitTitleScreen();
    onInitTitleScreen();
}

} // namespace
