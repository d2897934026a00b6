#include "tools/live/directory_changes.h"

#include <algorithm>
#include <iterator>
#include <map>

#if defined(__linux__)
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace live {

namespace {

// The folders of `watched` that `wanted` no longer names.
template <typename Watch>
std::vector<std::filesystem::path> unwanted(const std::map<std::filesystem::path, Watch> &watched,
                                            const std::vector<std::filesystem::path> &wanted) {
    std::vector<std::filesystem::path> folders;
    for (const auto &entry : watched)
        if (std::find(wanted.begin(), wanted.end(), entry.first) == wanted.end()) folders.push_back(entry.first);
    return folders;
}

} // namespace

#if defined(__linux__)

struct DirectoryChanges::Watches {
    int queue = -1;
    std::map<std::filesystem::path, int> ids; // the live watches, by folder

    // Removing a watch queues a last event for it: only events of live watches count.
    std::map<std::filesystem::path, int>::iterator live(int id) {
        for (auto entry = ids.begin(); entry != ids.end(); ++entry)
            if (entry->second == id) return entry;
        return ids.end();
    }
    void remove(std::map<std::filesystem::path, int>::iterator entry) {
        const int id = entry->second;
        ids.erase(entry);
        if (live(id) == ids.end()) inotify_rm_watch(queue, id); // two names of one folder share it
    }
    // True when the event is of a live watch; a watch whose folder went away or moved is ended and
    // forgotten, so that the folder is watched anew by its name.
    bool counts(const inotify_event &event) {
        if (event.mask & IN_Q_OVERFLOW) return true; // events were lost: any may have been ours
        if (live(event.wd) == ids.end()) return false;
        if (event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
            if (!(event.mask & IN_IGNORED)) inotify_rm_watch(queue, event.wd); // IN_IGNORED: ended already
            for (auto entry = live(event.wd); entry != ids.end(); entry = live(event.wd)) ids.erase(entry);
        }
        return true;
    }
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
    for (const std::filesystem::path &folder : unwanted(w.ids, folders)) w.remove(w.ids.find(folder));
    // Every way an editor saves: written in place, or written aside and renamed over the file.
    constexpr uint32_t kEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                 IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    for (const std::filesystem::path &folder : folders) {
        if (w.ids.count(folder) != 0) continue;
        const int id = inotify_add_watch(w.queue, folder.c_str(), kEvents);
        if (id < 0) return false;
        w.ids.emplace(folder, id);
    }
    return true;
}

bool DirectoryChanges::takeChanges() {
    Watches &w = *watches_;
    if (w.queue < 0) return false;
    alignas(inotify_event) std::array<char, 4096> events;
    bool any = false;
    ssize_t length = 0;
    while ((length = read(w.queue, events.data(), events.size())) > 0) {
        // What happened does not matter, only that something did: the files are looked at then.
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
            inotify_event event;
            std::memcpy(&event, events.data() + at, sizeof event);
            any = w.counts(event) || any;
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return any;
}

#elif defined(_WIN32)

struct DirectoryChanges::Watches {
    std::map<std::filesystem::path, HANDLE> handles; // the live notifications, by folder

    void remove(std::map<std::filesystem::path, HANDLE>::iterator entry) {
        FindCloseChangeNotification(entry->second);
        handles.erase(entry);
    }
};

DirectoryChanges::DirectoryChanges() : watches_(std::make_unique<Watches>()) {}

DirectoryChanges::~DirectoryChanges() {
    for (auto &entry : watches_->handles) FindCloseChangeNotification(entry.second);
}

bool DirectoryChanges::watch(const std::vector<std::filesystem::path> &folders) {
    Watches &w = *watches_;
    for (const std::filesystem::path &folder : unwanted(w.handles, folders)) w.remove(w.handles.find(folder));
    constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    for (const std::filesystem::path &folder : folders) {
        if (w.handles.count(folder) != 0) continue;
        const HANDLE handle = FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
        if (handle == INVALID_HANDLE_VALUE) return false;
        w.handles.emplace(folder, handle);
    }
    return true;
}

bool DirectoryChanges::takeChanges() {
    Watches &w = *watches_;
    bool any = false;
    for (auto entry = w.handles.begin(); entry != w.handles.end();) {
        const auto next = std::next(entry);
        if (WaitForSingleObject(entry->second, 0) == WAIT_OBJECT_0) {
            any = true;
            // Armed again for the next change; a folder that went away is watched anew by its name.
            if (!FindNextChangeNotification(entry->second)) w.remove(entry);
        }
        entry = next;
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
