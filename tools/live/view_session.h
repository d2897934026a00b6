// Behind the live view's face (live_session.h), private to it: a game folder open in the stand-in
// host, the real plug-in module loaded beside it, and every change made through the plug-in as the
// comment line an author would write, as the controls' effects (controls.h) ask.
//
// Every scene the session shows is built from a preview script (preview_script.h): opening a game,
// another map, a reload. The script of the scene on show is what C prints, so that the preview
// run on it draws the same picture.
//
// There is one session per process, as there is one stand-in engine. The session keeps the game
// folder as the current directory while it lives: the plug-in reads the game's files from there.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/common/game_entry.h"
#include "tools/common/program_files.h"
#include "tools/common/view_start.h"
#include "tools/live/controls.h"
#include "tools/live/file_watch.h"
#include "tools/live/live_session.h"
#include "tools/live/view_mirror.h"
#include "tools/preview/preview_animation.h"

namespace live {


// How many of the last comment lines sent, and of the messages, the session remembers.
constexpr size_t kRememberedLines = 4;
// The file the frame step of C's script writes.
constexpr const char *kScriptFrameFile = "view.png";

class ViewSession {
public:
    using Clock = FileWatch::Clock;

    explicit ViewSession(std::filesystem::path outputFolder);
    ~ViewSession();
    ViewSession(const ViewSession &) = delete;
    ViewSession &operator=(const ViewSession &) = delete;

    bool loadModule(const std::string &path, std::string *error);
    // Opens the game folder in its code page, enters its map, runs the script, and makes sure a view
    // is drawn. False with a message (a script's names its line) when the game cannot be shown; the
    // game open before and its view then stay as they were.
    bool open(const OpenRequest &request, std::string *error);
    // A game folder dropped on the window: its first map, the code page the last open asked for, the
    // game's lines on or off as they were (off, the view values are kept).
    bool openDropped(const std::filesystem::path &folder, std::string *error);
    // The open game again, on the same map and cell, with the game's own lines on or off. False
    // with why, the view as it was, when it cannot be shown.
    bool setGameLines(bool on, std::string *error);
    // Another map of the open game, entered as PageUp and PageDown enter one: every file the view
    // needs checked first, the view's values kept, the hero on the map's centre. False with why,
    // and the view as it was (the browser page's map list).
    bool enterMap(int32_t mapId, std::string *error);

    void apply(const Effect &effect);
    // One host frame: the backdrop, then the plug-in after the view's picture.
    void renderFrame();
    // When the files the view is made of have changed and been quiet since (file_watch.h), every
    // file the view uses is checked and the view rebuilt from its script, keeping the hero's cell
    // and every value. A file that cannot be read, and was good in the view on show, leaves that
    // view and a message naming it. True when something had changed.
    bool reloadIfChanged(Clock::time_point now = Clock::now());

    // What C prints: the scene on show as a preview script, with remarks that tell the host's steps
    // from the comment lines an author pastes into the event, ending in a frame step.
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
    const std::deque<Message> &notes() const { return notes_; }
    void note(const std::string &text, bool warning = false);
    void warn(const std::string &text);
    // Called with each note as it is made. Set it before open, so that what opening a game says is
    // heard too.
    std::function<void(const Message &)> noteListener;
    // Why the last open, map or reload failed while the view it would have made is not on show;
    // empty once one succeeds.
    const std::string &problem() const { return problem_; }
    // The program tells of changed game files (the page); the view's files are looked at again once
    // the changes are quiet.
    void filesChanged(Clock::time_point now);
    // The files the view on show is made of (file_watch.h).
    const std::vector<std::filesystem::path> &viewFiles() const { return watch_.files(); }
    int64_t pluginMicroseconds() const { return pluginMicroseconds_; }

private:
    // A character as host steps set it.
    struct Figure {
        int32_t id = 0; // an event's; 0 for the hero
        Cell cell;
        int32_t facing = 0;
        int32_t animationStep = 0;
        std::string sheet; // in the game's code page; empty: shown as tile sheetIndex
        int32_t sheetIndex = 0;
        bool operator==(const Figure &other) const;
    };
    // What a check of a map's view asks beyond its images.
    struct CheckFor {
        bool needsDatabase = false; // a map without a database's tileset cannot be shown
        std::optional<Cell> hero;   // the author's cell for the hero, refused when off the map
        bool ownBackground = false; // the map's own background comes into the view
        bool heroSheet = false;     // the hero's sheet as the database gives it comes into the view
    };
    // While the game's own lines run: what they send is the view the game makes, apart from the
    // author's tuning.
    class GameLinesRunning {
    public:
        explicit GameLinesRunning(ViewSession &session) : session_(session) { session_.gameRunning_ = true; }
        ~GameLinesRunning() { session_.gameRunning_ = false; }
        GameLinesRunning(const GameLinesRunning &) = delete;
        GameLinesRunning &operator=(const GameLinesRunning &) = delete;

    private:
        ViewSession &session_;
    };
    // What a map's view is made of, read and looked at before the view is replaced.
    struct Checked {
        simhost::GameFolder game;
        simhost::GameMap map;
        tools::ViewStart start; // the view's start as the game has it: the hero's cell and look, the background
        std::vector<std::string> images;   // the pictures and sheets the view loads, tileset graphic first
        std::vector<std::string> unusable; // of them, those that cannot be loaded
        std::vector<std::string> faults;   // why, in step with unusable
    };
    // A scene to build again when one that replaced it fails.
    struct Scene {
        simhost::GameFolder game;
        std::string codePage;
        std::vector<uint8_t> tilesetRecord;
        std::string script;
    };
    // What each map the session has shown keeps while another is on show.
    struct MapMemory {
        Cell hero;
        std::optional<Cell> boundary;                // without the game's lines
        std::vector<ViewMirror::SpriteLine> sprites; // without the game's lines
        std::vector<std::string> tuning;             // with them: what the author changed beyond them
    };

    bool check(const std::filesystem::path &folder, int32_t mapId, const CheckFor &wanted,
               std::vector<std::string> images, Checked &checked, std::string *error);
    bool openGame(const OpenRequest &request, std::string *error);
    bool begin(const simhost::GameFolder &game, const std::vector<uint8_t> &tilesetRecord, const std::string &script,
               const std::string &name, std::string *error);
    bool runSteps(const std::string &script, const std::string &name, std::string *error);
    bool rebuild(int32_t mapId, const std::optional<MapMemory> &place, bool sameMap, std::string *error);
    void reload(const std::string &why);
    void restore(const Scene &scene);
    Scene scene() const;
    void settle(const Checked &checked);
    void settleShown();
    bool enter(int32_t mapId, std::string *error);
    bool runGameLines(tools::GameLines which, int32_t id, std::string *error);
    void ranGameLines(const simhost::ListRun &run, const simhost::LinesSent &sent);
    void tellProblems(int32_t mapId);
    void action();
    void touch(Cell cell);
    void startFresh();
    std::string viewLines(bool sameMap, const std::optional<MapMemory> &place) const;
    static std::vector<Figure> eventFigures();
    std::vector<Figure> eventsMoved(bool foundByALoad) const;
    static std::vector<std::string> eventSteps(const std::vector<Figure> &events);
    std::vector<std::string> hostSteps(int32_t mapId, Cell hero, bool withEvents) const;
    std::string sceneScript(int32_t mapId, Cell hero, bool withEvents,
                            const std::optional<MapMemory> &place = std::nullopt) const;
    void noteLoadedEvents();
    std::vector<std::string> viewImages(bool sameMap) const;
    bool send(const std::string &line, bool remembered);
    void placeHero(const HeroStep &step);
    void changeMap(int32_t direction);
    void collectMessages();
    std::filesystem::path freeName(const char *stem, const char *extension) const;

    static bool FVAPI observedComment(const char *text, const FvParsedComment *comment);
    static void FVAPI observedTitleScreen();

    std::filesystem::path outputFolder_;
    simhost::PluginModule plugin_;   // the module as loaded
    simhost::PluginModule observed_; // the same, with every comment line and reset followed
    ViewMirror mirror_;     // every line the plug-in was sent
    ViewMirror gameMirror_; // the lines the game's own events sent: the view before the author's tuning
    bool gameLines_ = true;
    bool gameRunning_ = false;
    std::vector<std::string> laterRuns_;   // `run event ID` for each list run since the map was entered
    std::vector<std::string> gameRemarks_; // the game's lines run since, as C's remarks give them
    std::vector<std::string> toldProblems_; // the problems of the map's lines last told
    std::optional<tools::CurrentDirectory> directory_;
    simhost::GameFolder game_;
    std::string askedCodePage_;
    std::string howToChooseCodePage_ = "--code-page chooses another";
    std::string strayLayerMarkTold_; // the warning last told of the map on show
    bool open_ = false;              // a game's view is on show
    int32_t mapId_ = 0;
    std::vector<Figure> enteredEvents_; // the events as entering the map placed them
    // The events a load_map_to_texture found since the map was entered: the plug-in draws these, and
    // not those the host placed after the last load.
    std::vector<int32_t> loadedEventIds_;
    std::vector<std::string> unusable_; // pictures and sheets the view on show was made without
    std::map<int32_t, MapMemory> maps_; // by map id
    Setting setting_ = Setting::Horizon;
    bool relativeWalking_ = true;
    FileWatch watch_;
    int32_t stepWaitingForFiles_ = 0; // PageUp's or PageDown's, taken again when files come in
    bool reloadWhenFilesCome_ = false; // the game's lines loaded pictures still on their way
    std::deque<std::string> sent_;
    std::deque<Message> notes_;
    std::string problem_;
    size_t seenMessages_ = 0;
    int64_t pluginMicroseconds_ = 0;
    preview::GifAnimation turn_;
    int32_t turnFramesLeft_ = 0;
    float turnStartAngle_ = 0.0f;
};

} // namespace live
