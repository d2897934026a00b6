#include "host/host.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs; version 2 is kernel32's own enumeration, so the module needs no
// psapi.dll.
#define PSAPI_VERSION 2
#include <psapi.h>
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

#ifdef _WIN32
const void *tableIn(HMODULE module) {
    return reinterpret_cast<const void *>(GetProcAddress(module, FARVIEW_HOST_INTERFACE_NAME));
}

// The main program first; then every module loaded into the process, in load order, so that an
// adapter module loaded before the plug-in can offer the table for a host program that cannot be
// rebuilt. The list is read as the loader keeps it (kernel32's module enumeration), which is safe
// while this module is itself being loaded.
const void *findTableInProcess() {
    if (const void *table = tableIn(GetModuleHandleA(nullptr))) return table;
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes)) return nullptr;
    const DWORD count = (bytes < sizeof modules ? bytes : sizeof modules) / sizeof(HMODULE);
    for (DWORD i = 0; i < count; ++i)
        if (const void *table = tableIn(modules[i])) return table;
    return nullptr;
}
#else
// The program and every module loaded into its global scope, in load order.
const void *findTableInProcess() { return dlsym(RTLD_DEFAULT, FARVIEW_HOST_INTERFACE_NAME); }
#endif
} // namespace

const FvHostInterface *findHostInterface() { return usableTable(findTableInProcess()); }

void bindHost(const FvHostInterface *table) { boundTable = table; }
bool hostBound() { return boundTable != nullptr; }
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
