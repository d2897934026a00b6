// The live view's face: inputs become the controls' effects, frames are drawn and counted, and
// the tools of C, S and G are used; the scenes themselves are the view session's (view_session.h).
#include "tools/live/live_session.h"

#include <algorithm>

#include "tools/live/view_session.h"

namespace fs = std::filesystem;

namespace live {

struct LiveSession::Core {
    Core(fs::path outputFolder, bool shootsWindows) : view(std::move(outputFolder)), windowShots(shootsWindows) {}

    // An input's effect, unless a turn is being recorded; then what the program must do.
    Reaction act(const Effect &effect) {
        if (view.recording() && effect.tool != Tool::Quit) return Reaction::none;
        view.apply(effect);
        return use(effect.tool);
    }

    Reaction use(Tool tool) {
        switch (tool) {
        case Tool::None: break;
        case Tool::PrintScript: return Reaction::showScript;
        case Tool::WindowScreenshot:
            if (windowShots) return Reaction::shootWindow;
            return view.saveScreenshot() ? Reaction::filesWritten : Reaction::none;
        case Tool::Screenshot: return view.saveScreenshot() ? Reaction::filesWritten : Reaction::none;
        case Tool::RecordTurn: view.startTurnRecording(); break;
        case Tool::ToggleOverlay: overlayShown = !overlayShown; break;
        case Tool::ToggleFullScreen: return Reaction::toggleFullScreen;
        case Tool::Quit: return Reaction::quit;
        }
        return Reaction::none;
    }

    // The frame rate and the plug-in's time a frame, over the last whole second: one frame's time
    // is too coarse where the clock is (a browser's keeps whole milliseconds).
    void count(Clock::time_point now) {
        if (framesThisSecond == 0 && secondStart == Clock::time_point{}) secondStart = now;
        ++framesThisSecond;
        microsecondsThisSecond += view.pluginMicroseconds();
        if (now - secondStart < std::chrono::seconds(1)) return;
        framesPerSecond = framesThisSecond;
        pluginMicroseconds = microsecondsThisSecond / framesThisSecond;
        framesThisSecond = 0;
        microsecondsThisSecond = 0;
        secondStart = now;
    }

    OverlayFacts facts() const {
        OverlayFacts facts;
        facts.state = view.state();
        facts.mapId = view.mapId();
        facts.sent = view.sent();
        facts.notes = view.notes();
        facts.pluginMicroseconds = framesPerSecond > 0 ? pluginMicroseconds : view.pluginMicroseconds();
        facts.framesPerSecond = framesPerSecond;
        facts.recording = view.recording();
        return facts;
    }

    ViewSession view;
    const bool windowShots;
    bool overlayShown = true;
    bool dragging = false;
    int32_t dragged = 0; // window pixels not yet a turn step
    Clock::time_point secondStart{};
    int32_t framesThisSecond = 0;
    int64_t microsecondsThisSecond = 0;
    int32_t framesPerSecond = 0;
    int64_t pluginMicroseconds = 0;
};

LiveSession::LiveSession(fs::path outputFolder, bool windowShots)
    : core_(std::make_unique<Core>(std::move(outputFolder), windowShots)) {
    core_->view.noteListener = [this](const Message &message) {
        if (onMessage) onMessage(message);
    };
}

LiveSession::~LiveSession() = default;

bool LiveSession::loadModule(const std::string &path, std::string *error) { return core_->view.loadModule(path, error); }

bool LiveSession::open(const OpenRequest &request, std::string *error) { return core_->view.open(request, error); }

void LiveSession::drop(const fs::path &folder) {
    std::string error;
    if (core_->view.openDropped(folder, &error))
        tell("opened " + core_->view.gameFolder().string());
    else
        core_->view.warn("not opened, the game open before stays: " + error);
}

bool LiveSession::enterMap(int32_t mapId, std::string *error) {
    if (!core_->view.enterMap(mapId, error)) return false;
    tell("map " + std::to_string(mapId));
    return true;
}

bool LiveSession::setGameLines(bool on, std::string *error) { return core_->view.setGameLines(on, error); }

Reaction LiveSession::key(Key key, Modifiers held, bool repeat) {
    const Effect effect = effectOf(keyInput(key, held), core_->view.state());
    if (repeat && effect.tool != Tool::None) return Reaction::none;
    return core_->act(effect);
}

Reaction LiveSession::wheel(int32_t clicks, Modifiers held) {
    return core_->act(effectOf(wheelInput(clicks, held), core_->view.state()));
}

void LiveSession::pressPointer() {
    core_->dragging = true;
    core_->dragged = 0;
}

Reaction LiveSession::movePointer(int32_t pixels, Modifiers held) {
    if (!core_->dragging) return Reaction::none;
    core_->dragged += pixels;
    const int32_t steps = core_->dragged / kDragPixels;
    core_->dragged -= steps * kDragPixels;
    if (steps == 0) return Reaction::none;
    return core_->act(effectOf(dragInput(steps, held), core_->view.state()));
}

void LiveSession::releasePointer() { core_->dragging = false; }

void LiveSession::filesChanged(Clock::time_point now) { core_->view.filesChanged(now); }

const std::vector<std::filesystem::path> &LiveSession::viewFiles() const { return core_->view.viewFiles(); }

Reaction LiveSession::frame(Clock::time_point now) {
    ViewSession &view = core_->view;
    view.reloadIfChanged(now);
    const bool recording = view.recording();
    recording ? view.recordTurnStep() : view.renderFrame();
    core_->count(now);
    return recording && !view.recording() ? Reaction::filesWritten : Reaction::none;
}

void LiveSession::picture(int32_t scale, WindowImage &image) const {
    scaleScreen(scale, image);
    // Larger windows letter the overlay larger, so that it stays readable from as far.
    if (core_->overlayShown) drawOverlay(overlay(), scale >= 5 ? 2 : 1, image);
}

void LiveSession::screen(int32_t scale, WindowImage &image) const { scaleScreen(scale, image); }

int32_t LiveSession::wholeScale(int32_t width, int32_t height) {
    return std::max(1, std::min(width / simhost::kScreenWidth, height / simhost::kScreenHeight));
}

std::vector<OverlayLine> LiveSession::overlay() const {
    return core_->overlayShown ? overlayLines(core_->facts()) : std::vector<OverlayLine>{};
}

bool LiveSession::overlayShown() const { return core_->overlayShown; }

std::vector<std::string> LiveSession::script() const { return core_->view.script(); }

fs::path LiveSession::windowShotFile() const { return core_->view.windowShotFile(); }

void LiveSession::tell(const std::string &text) { core_->view.note(text); }

const std::string &LiveSession::problem() const { return core_->view.problem(); }

int32_t LiveSession::mapId() const { return core_->view.mapId(); }

const fs::path &LiveSession::gameFolder() const { return core_->view.gameFolder(); }

simhost::GameMapList LiveSession::maps() const {
    simhost::GameFolder game;
    if (!simhost::openGame(gameFolder(), game, nullptr)) return {};
    std::string problem;
    simhost::GameMapList list = simhost::listGameMaps(game, &problem);
    if (!problem.empty()) core_->view.warn(problem);
    return list;
}

LiveState LiveSession::state() const { return core_->view.state(); }

} // namespace live
