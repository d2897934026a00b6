#include "tools/live/directory_changes.h"

#if defined(__linux__)
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace live {

#if defined(__linux__)

struct DirectoryChanges::Watches {
    int queue = -1;
    std::vector<int> ids;
};

DirectoryChanges::DirectoryChanges() : watches_(std::make_unique<Watches>()) {
    watches_->queue = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

DirectoryChanges::~DirectoryChanges() {
    if (watches_->queue >= 0) close(watches_->queue);
}

bool DirectoryChanges::watch(const std::vector<std::filesystem::path> &folders) {
    Watches &w = *watches_;
    if (w.queue < 0) return false;
    for (int id : w.ids) inotify_rm_watch(w.queue, id);
    w.ids.clear();
    // Every way an editor saves: written in place, or written aside and renamed over the file.
    constexpr uint32_t kEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                 IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    for (const std::filesystem::path &folder : folders) {
        const int id = inotify_add_watch(w.queue, folder.c_str(), kEvents);
        if (id < 0) return false;
        w.ids.push_back(id);
    }
    return true;
}

bool DirectoryChanges::takeChanges() {
    if (watches_->queue < 0) return false;
    // What happened does not matter, only that something did: the files are looked at then.
    alignas(inotify_event) std::array<char, 4096> events;
    bool any = false;
    while (read(watches_->queue, events.data(), events.size()) > 0) any = true;
    return any;
}

#elif defined(_WIN32)

struct DirectoryChanges::Watches {
    std::vector<HANDLE> handles;

    void close() {
        for (HANDLE handle : handles) FindCloseChangeNotification(handle);
        handles.clear();
    }
};

DirectoryChanges::DirectoryChanges() : watches_(std::make_unique<Watches>()) {}

DirectoryChanges::~DirectoryChanges() { watches_->close(); }

bool DirectoryChanges::watch(const std::vector<std::filesystem::path> &folders) {
    Watches &w = *watches_;
    w.close();
    constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    for (const std::filesystem::path &folder : folders) {
        const HANDLE handle = FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
        if (handle == INVALID_HANDLE_VALUE) return false;
        w.handles.push_back(handle);
    }
    return true;
}

bool DirectoryChanges::takeChanges() {
    bool any = false;
    for (HANDLE handle : watches_->handles) {
        if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) continue;
        any = true;
        FindNextChangeNotification(handle); // armed again for the next change
    }
    return any;
}

#else

struct DirectoryChanges::Watches {};

DirectoryChanges::DirectoryChanges() : watches_(std::make_unique<Watches>()) {}
DirectoryChanges::~DirectoryChanges() = default;
bool DirectoryChanges::watch(const std::vector<std::filesystem::path> &) { return false; }
bool DirectoryChanges::takeChanges() { return false; }

#endif

} // namespace live
