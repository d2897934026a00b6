// Loading the plug-in module and calling its exports the way the host engine does.
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "simhost/simhost.h"

#ifdef __EMSCRIPTEN__
// The plug-in's exports, linked into the same WebAssembly module as the host.
extern "C" {
bool FVAPI onComment(const char *commentText, const FvParsedComment *comment);
bool FVAPI onPictureDrawn(const FvDrawnPicture *picture);
void FVAPI onInitTitleScreen(void);
extern const int32_t linkVersion;
}
#endif

namespace simhost {
namespace {

#ifdef __EMSCRIPTEN__
// A WebAssembly program is one module: the plug-in is linked in, whatever path names it, and
// loading it hands out the linked exports.
struct LinkedExport {
    const char *name;
    void *address;
};
const LinkedExport kLinkedExports[] = {
    {"onComment", reinterpret_cast<void *>(&onComment)},
    {"onPictureDrawn", reinterpret_cast<void *>(&onPictureDrawn)},
    {"onInitTitleScreen", reinterpret_cast<void *>(&onInitTitleScreen)},
    {"linkVersion", const_cast<int32_t *>(&linkVersion)},
};

void *openModule(const std::string &, std::string *) { return const_cast<LinkedExport *>(kLinkedExports); }

void closeModule(void *) {}

void *findExport(void *, const char *name) {
    for (const LinkedExport &entry : kLinkedExports)
        if (std::strcmp(entry.name, name) == 0) return entry.address;
    return nullptr;
}
#else
void *openModule(const std::string &path, std::string *why) {
#ifdef _WIN32
    HMODULE handle = LoadLibraryA(path.c_str());
    if (handle == nullptr) *why = "the system could not load it (error " + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void *>(handle);
#else
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char *text = dlerror();
        *why = text != nullptr ? text : "the system could not load it";
    }
    return handle;
#endif
}

void closeModule(void *handle) {
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

void *findExport(void *handle, const char *name) {
#ifdef _WIN32
    return reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}
#endif

#if defined(_WIN32) && defined(__i386__)
// A 32-bit Windows host built by another compiler keeps its stack aligned to 4 bytes only, and a
// module whose SSE code assumed 16 would crash there on its first frame. The stand-in host calls
// the module that way too: every call goes through simhostCallOffAligned, which enters the export
// with the stack 4 bytes past a 16-byte boundary.
extern "C" uint32_t simhostCallOffAligned(const void *function, const void *first, const void *second);
asm(R"(
    .text
    .globl _simhostCallOffAligned
_simhostCallOffAligned:
    pushl %ebp
    movl %esp, %ebp
    andl $-16, %esp
    subl $4, %esp
    pushl 16(%ebp)
    pushl 12(%ebp)
    call *8(%ebp)
    movl %ebp, %esp
    popl %ebp
    ret
)");

// The real exports of each loaded module, and entry points of the host's own that call them off
// alignment, one set per slot. A cdecl callee ignores arguments it does not take, so one routine
// serves all three exports.
constexpr int kOffAlignedSlots = 4;
PluginModule offAlignedExports[kOffAlignedSlots];

template <int Slot> bool FVAPI onCommentOffAligned(const char *text, const FvParsedComment *comment) {
    auto function = reinterpret_cast<const void *>(offAlignedExports[Slot].onComment);
    return (simhostCallOffAligned(function, text, comment) & 0xFF) != 0;
}

template <int Slot> bool FVAPI onPictureDrawnOffAligned(const FvDrawnPicture *picture) {
    auto function = reinterpret_cast<const void *>(offAlignedExports[Slot].onPictureDrawn);
    return (simhostCallOffAligned(function, picture, nullptr) & 0xFF) != 0;
}

template <int Slot> void FVAPI onInitTitleScreenOffAligned() {
    auto function = reinterpret_cast<const void *>(offAlignedExports[Slot].onInitTitleScreen);
    simhostCallOffAligned(function, nullptr, nullptr);
}

struct OffAlignedEntries {
    FvOnCommentFn onComment;
    FvOnPictureDrawnFn onPictureDrawn;
    FvOnInitTitleScreenFn onInitTitleScreen;
};

template <int... Slots>
constexpr std::array<OffAlignedEntries, sizeof...(Slots)> entriesFor(std::integer_sequence<int, Slots...>) {
    return {{{onCommentOffAligned<Slots>, onPictureDrawnOffAligned<Slots>, onInitTitleScreenOffAligned<Slots>}...}};
}
constexpr auto kOffAlignedEntries = entriesFor(std::make_integer_sequence<int, kOffAlignedSlots>());

// More modules loaded at once than there are slots are called directly.
void routeOffAligned(PluginModule &module) {
    for (int slot = 0; slot < kOffAlignedSlots; ++slot) {
        if (offAlignedExports[slot].handle != nullptr) continue;
        offAlignedExports[slot] = module;
        module.onComment = kOffAlignedEntries[slot].onComment;
        module.onPictureDrawn = kOffAlignedEntries[slot].onPictureDrawn;
        module.onInitTitleScreen = kOffAlignedEntries[slot].onInitTitleScreen;
        return;
    }
}

void releaseOffAligned(const PluginModule &module) {
    for (int slot = 0; slot < kOffAlignedSlots; ++slot)
        if (module.onComment == kOffAlignedEntries[slot].onComment) offAlignedExports[slot] = PluginModule{};
}
#else
void routeOffAligned(PluginModule &) {}
void releaseOffAligned(const PluginModule &) {}
#endif

bool refuse(const std::string &path, const std::string &why, std::string *error) {
    if (error != nullptr) *error = "Cannot use the plug-in module \"" + path + "\": " + why;
    return false;
}

// Copies text into a fixed field, cut so that the terminating zero fits.
template <size_t N> void copyCut(char (&field)[N], const std::string &text) {
    size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

} // namespace

bool loadPlugin(const std::string &path, PluginModule &module, std::string *error) {
    std::string why;
    void *handle = openModule(path, &why);
    if (handle == nullptr) return refuse(path, why, error);
    PluginModule found;
    found.handle = handle;
    found.onComment = reinterpret_cast<FvOnCommentFn>(findExport(handle, "onComment"));
    found.onPictureDrawn = reinterpret_cast<FvOnPictureDrawnFn>(findExport(handle, "onPictureDrawn"));
    found.onInitTitleScreen = reinterpret_cast<FvOnInitTitleScreenFn>(findExport(handle, "onInitTitleScreen"));
    found.linkVersion = static_cast<const int32_t *>(findExport(handle, "linkVersion"));
    const char *missing = found.onComment == nullptr           ? "onComment"
                          : found.onPictureDrawn == nullptr    ? "onPictureDrawn"
                          : found.onInitTitleScreen == nullptr ? "onInitTitleScreen"
                          : found.linkVersion == nullptr       ? "linkVersion"
                                                               : nullptr;
    if (missing != nullptr) {
        closeModule(handle);
        return refuse(path, std::string("it does not export ") + missing, error);
    }
    if (*found.linkVersion != FARVIEW_LINK_VERSION) {
        std::string version = std::to_string(*found.linkVersion);
        closeModule(handle);
        return refuse(path, "its linkVersion is " + version + ", this host needs 2", error);
    }
    routeOffAligned(found);
    module = found;
    return true;
}

void unloadPlugin(PluginModule &module) {
    releaseOffAligned(module);
    if (module.handle != nullptr) closeModule(module.handle);
    module = PluginModule{};
}

CommentArgument number(double value) {
    CommentArgument argument;
    argument.number = value;
    return argument;
}

CommentArgument text(const std::string &value) {
    CommentArgument argument;
    argument.isText = true;
    argument.text = value;
    return argument;
}

FvParsedComment makeComment(const std::string &name, const std::vector<CommentArgument> &arguments) {
    FvParsedComment comment;
    std::memset(&comment, 0, sizeof comment);
    copyCut(comment.name, name);
    comment.parameterCount = static_cast<int32_t>(std::min<size_t>(arguments.size(), INT32_MAX));
    size_t filled = std::min<size_t>(arguments.size(), FV_COMMENT_PARAMETER_SLOTS);
    for (size_t i = 0; i < filled; ++i) {
        FvCommentParameter &parameter = comment.parameters[i];
        parameter.kind = arguments[i].isText ? 1 : 0;
        parameter.number = arguments[i].number;
        if (arguments[i].isText) copyCut(parameter.text, arguments[i].text);
    }
    return comment;
}

bool sendComment(const PluginModule &module, const std::string &name, const std::vector<CommentArgument> &arguments) {
    if (module.onComment == nullptr) return false;
    FvParsedComment comment = makeComment(name, arguments);
    return module.onComment(name.c_str(), &comment);
}

void drawPictures(const PluginModule &module, const std::vector<int32_t> &pictureNumbers) {
    if (module.onPictureDrawn == nullptr) return;
    for (int32_t pictureNumber : pictureNumbers) {
        FvDrawnPicture picture{0, pictureNumber};
        module.onPictureDrawn(&picture);
    }
}

void initTitleScreen(const PluginModule &module) {
    if (module.onInitTitleScreen != nullptr) module.onInitTitleScreen();
}

} // namespace simhost
