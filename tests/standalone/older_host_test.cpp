// A program built against an older, smaller host table: the module must refuse it and stay inert
// rather than call through entries the host does not have.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>

#include "host/farview_host.h"

namespace {

int hostCalls = 0;
FvHostImage *FVAPI countedCreateImage() {
    ++hostCalls;
    return nullptr;
}
void FVAPI countedMapSize(int32_t *width, int32_t *height) {
    ++hostCalls;
    *width = *height = 0;
}

FvHostInterface olderTable() {
    FvHostInterface table{};
    table.structSize = sizeof(FvHostInterface) - sizeof(void *); // one operation short
    table.createImage = countedCreateImage;
    table.mapSize = countedMapSize;
    return table;
}

} // namespace

extern "C" {
__attribute__((visibility("default"))) FvHostInterface farviewHostInterface = olderTable();
}

namespace {

TEST(OlderHost, TheModuleRefusesASmallerTableAndCallsNothing) {
    void *handle = dlopen(FARVIEW_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto onComment = reinterpret_cast<FvOnCommentFn>(dlsym(handle, "onComment"));
    auto onPictureDrawn = reinterpret_cast<FvOnPictureDrawnFn>(dlsym(handle, "onPictureDrawn"));
    ASSERT_TRUE(onComment && onPictureDrawn);
    FvParsedComment comment{};
    for (const char *name : {"load_map_to_texture", "set_background", "init_mode7"}) {
        std::snprintf(comment.name, sizeof comment.name, "%s", name);
        comment.parameterCount = 1;
        comment.parameters[0].number = 1.0;
        onComment("", &comment);
    }
    FvDrawnPicture picture{0, 1};
    EXPECT_TRUE(onPictureDrawn(&picture));
    EXPECT_EQ(hostCalls, 0);
    dlclose(handle);
}

} // namespace
