#include "host/host.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace farview {

namespace {
const FvHostInterface *boundTable = nullptr;

const FvHostInterface *usableTable(const void *found) {
    const auto *table = static_cast<const FvHostInterface *>(found);
    return table != nullptr && table->structSize >= sizeof(FvHostInterface) ? table : nullptr;
}

// Where the table is looked for. While the module is being loaded the loader lock is held and no
// library may be loaded; later, at the first call of an export, any may.
enum class Search { atLoad, atFirstCall };

#ifdef _WIN32
using EnumProcessModulesFn = BOOL(WINAPI *)(HANDLE process, HMODULE *modules, DWORD size, DWORD *needed);

// A table too small for this module is passed over: an adapter module loaded later may offer one
// that fits, for a host program that offers an older table.
const void *tableIn(HMODULE module) {
    return usableTable(reinterpret_cast<const void *>(GetProcAddress(module, FARVIEW_HOST_INTERFACE_NAME)));
}

const void *tableInModules(EnumProcessModulesFn enumerate) {
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (enumerate == nullptr || !enumerate(GetCurrentProcess(), modules, sizeof modules, &bytes)) return nullptr;
    const DWORD count = (bytes < sizeof modules ? bytes : sizeof modules) / sizeof(HMODULE);
    for (DWORD i = 0; i < count; ++i)
        if (const void *table = tableIn(modules[i])) return table;
    return nullptr;
}

// Windows 7 and later enumerate modules in kernel32, which every process has loaded. Named at run
// time, not imported: the host engine also runs on older Windows, where a module that imports it
// cannot be loaded at all.
EnumProcessModulesFn kernelEnumeration() {
    return reinterpret_cast<EnumProcessModulesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32EnumProcessModules")));
}

// Older Windows enumerate modules only in psapi.dll, which has to be loaded first.
const void *tableInModulesThroughPsapi() {
    HMODULE psapi = LoadLibraryA("psapi.dll");
    if (psapi == nullptr) return nullptr;
    const auto enumerate = reinterpret_cast<EnumProcessModulesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(psapi, "EnumProcessModules")));
    const void *table = tableInModules(enumerate);
    FreeLibrary(psapi);
    return table;
}

// The main program first; then every module loaded into the process, in load order, so that an
// adapter module loaded before the plug-in can offer the table for a host program that cannot be
// rebuilt.
const void *findTableInProcess(Search search) {
    if (const void *table = tableIn(GetModuleHandleA(nullptr))) return table;
    if (EnumProcessModulesFn enumerate = kernelEnumeration()) return tableInModules(enumerate);
    return search == Search::atFirstCall ? tableInModulesThroughPsapi() : nullptr;
}
#elif defined(__EMSCRIPTEN__)
} // namespace
} // namespace farview
// A WebAssembly program is one module: plug-in and host are linked together, and the host's table
// is a symbol like any other. The reference is weak, so that a program offering no table still
// links and gets the inert module.
extern "C" __attribute__((weak)) const FvHostInterface farviewHostInterface;
namespace farview {
namespace {
const void *findTableInProcess(Search) { return &farviewHostInterface; }
#else
// The program and every module loaded into its global scope, in load order.
const void *findTableInProcess(Search) { return dlsym(RTLD_DEFAULT, FARVIEW_HOST_INTERFACE_NAME); }
#endif

// Whether the search of the first call has been made: a module that found no table then stays
// inert for good, without searching on every call.
bool searchedAtFirstCall = false;
} // namespace

const FvHostInterface *findHostInterface() { return usableTable(findTableInProcess(Search::atLoad)); }

void bindHost(const FvHostInterface *table) { boundTable = table; }
bool hostBound() { return boundTable != nullptr; }

bool bindHostAtFirstCall() {
    if (boundTable == nullptr && !searchedAtFirstCall) {
        searchedAtFirstCall = true;
        boundTable = usableTable(findTableInProcess(Search::atFirstCall));
    }
    return boundTable != nullptr;
}
const FvHostInterface &host() { return *boundTable; }

std::string hostStringText(FvHostString string) {
    if (string == nullptr) return {};
    int32_t length;
    std::memcpy(&length, string - sizeof length, sizeof length);
    return length > 0 ? std::string(string, static_cast<size_t>(length)) : std::string();
}

void loadImageFile(FvHostImage &image, const std::string &fileName) {
    image.loadOption = 1;
    host().loadImageFile(&image, fileName.c_str(), 1);
}

FvHostImage *createLoadedImage(const std::string &fileName) {
    FvHostImage *image = host().createImage();
    if (image != nullptr) loadImageFile(*image, fileName);
    return image;
}

FvHostCharacter *hostHero() { return boundTable->hero ? *boundTable->hero : nullptr; }
FvHostMapView *hostMapView() { return boundTable->mapView ? *boundTable->mapView : nullptr; }
FvHostVariables *hostVariables() { return boundTable->variables ? *boundTable->variables : nullptr; }
FvHostSurface *hostScreen() { return boundTable->screen ? *boundTable->screen : nullptr; }

void showMessage(const char *text) {
#ifdef _WIN32
    MessageBoxA(nullptr, text, "Farview", MB_ICONINFORMATION);
#else
    if (boundTable != nullptr && boundTable->showMessage != nullptr) boundTable->showMessage("Farview", text);
#endif
}

} // namespace farview
