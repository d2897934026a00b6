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
}

const FvHostInterface *findHostInterface() {
#ifdef _WIN32
    HMODULE program = GetModuleHandleA(nullptr);
    auto *table = reinterpret_cast<const FvHostInterface *>(
        reinterpret_cast<void *>(GetProcAddress(program, FARVIEW_HOST_INTERFACE_NAME)));
#else
    auto *table = static_cast<const FvHostInterface *>(dlsym(RTLD_DEFAULT, FARVIEW_HOST_INTERFACE_NAME));
#endif
    if (table == nullptr || table->structSize < sizeof(FvHostInterface)) return nullptr;
    return table;
}

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
