// The live view without its window: a game folder open in the stand-in host, the real plug-in
// module loaded beside it, and every change made through the plug-in as the comment line an
// author would write. The window (live_window.cpp) turns keys into effects (controls.h), hands
// them here and shows the frames.
//
// There is one session per process, as there is one stand-in engine. The session keeps the game
// folder as the current directory while it lives: the plug-in reads the game's files from there.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/common/program_files.h"
#include "tools/live/controls.h"
#include "tools/live/file_watch.h"
#include "tools/live/view_mirror.h"
#include "tools/preview/preview_animation.h"

namespace live {

struct OpenRequest {
    std::filesystem::path game;
    std::optional<int32_t> map; // entered first; with no script either, the game's first map
    std::optional<Cell> hero;   // the hero's cell; with a map and no hero, the map's centre
    std::string scriptText;     // a preview script run before the view goes live (may be empty)
    std::string scriptName;
};

// The frames of a recorded turn, one view step apart.
constexpr int32_t kTurnFrames = 360 / kTurnDegrees;
// How many of the last comment lines sent, and of the messages, the session remembers.
constexpr size_t kRememberedLines = 4;

class LiveSession {
public:
    explicit LiveSession(std::filesystem::path outputFolder);
    ~LiveSession();
    LiveSession(const LiveSession &) = delete;
    LiveSession &operator=(const LiveSession &) = delete;

    bool loadModule(const std::string &path, std::string *error);
    // Opens the game folder, enters its map, runs the script, and makes sure a view is drawn. False
    // with a message (a script's names its line) when the game cannot be opened or the script fails.
    bool open(const OpenRequest &request, std::string *error);
    // A game folder dropped on the window: its first map, the view values kept.
    bool openDropped(const std::filesystem::path &folder, std::string *error);

    void apply(const Effect &effect);
    // One host frame: the backdrop, then the plug-in after the view's picture.
    void renderFrame();
    // Looks at the files the view is made of; when one has changed, the map is entered again and
    // the view rebuilt, keeping the hero's cell and every value. A file that cannot be read leaves
    // the last good view and a message. True when something had changed.
    bool reloadIfChanged();

    // What C prints: remarks with the host steps the view stands on, then its comment lines.
    std::vector<std::string> script() const;
    // The last frame as shot-NNN.png in the output folder (the first free number); its path.
    std::optional<std::filesystem::path> saveScreenshot();
    // The first free window-NNN.png of the output folder, for a picture of the window.
    std::filesystem::path windowShotFile() const { return freeName("window-", ".png"); }
    // A full turn from the current view into turn-NNN.gif, one step each recordTurnStep().
    bool startTurnRecording();
    bool recording() const { return turnFramesLeft_ > 0; }
    void recordTurnStep();

    LiveState state() const;
    int32_t mapId() const { return mapId_; }
    const std::filesystem::path &gameFolder() const { return game_.folder; }
    const std::deque<std::string> &sent() const { return sent_; }
    const std::deque<std::string> &notes() const { return notes_; }
    void note(const std::string &text);
    // Called with each note as it is made (the window prints them on stderr).
    std::function<void(const std::string &)> noteListener;
    int64_t pluginMicroseconds() const { return pluginMicroseconds_; }
    // The loaded module, as the session hands it the host's calls.
    const simhost::PluginModule &module() const { return observed_; }

private:
    struct Checked {
        simhost::GameFolder game;
        simhost::GameMap map;
    };
    bool check(const std::filesystem::path &folder, int32_t mapId, bool sameMap, Checked &checked, std::string *error);
    bool rebuild(int32_t mapId, std::optional<Cell> cell, bool sameMap, std::string *error);
    bool enter(int32_t mapId, std::string *error);
    bool send(const std::string &line, bool remembered);
    void placeHero(const HeroStep &step);
    void changeMap(int32_t direction);
    void watchFiles();
    void collectMessages();
    std::filesystem::path freeName(const char *stem, const char *extension) const;

    static bool FVAPI observedComment(const char *text, const FvParsedComment *comment);
    static void FVAPI observedTitleScreen();

    std::filesystem::path outputFolder_;
    simhost::PluginModule plugin_;   // the module as loaded
    simhost::PluginModule observed_; // the same, with every comment line and reset followed
    ViewMirror mirror_;
    std::optional<tools::CurrentDirectory> directory_;
    simhost::GameFolder game_;
    int32_t mapId_ = 0;
    Setting setting_ = Setting::Horizon;
    FileWatch watch_;
    std::deque<std::string> sent_;
    std::deque<std::string> notes_;
    size_t seenMessages_ = 0;
    int64_t pluginMicroseconds_ = 0;
    preview::GifAnimation turn_;
    int32_t turnFramesLeft_ = 0;
    float turnStartAngle_ = 0.0f;
};

// The map ids of a game folder's map files ("Map0001.lmu" in any letter case), in order.
std::vector<int32_t> mapIds(const std::filesystem::path &folder);

} // namespace live
