#include "tools/live/live_window.h"

// The program has its own main(); SDL needs none of its own on the systems built for.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <sstream>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/live/live_picture.h"

namespace live {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kFallbackRefreshRate = 60;

struct KeyCode {
    SDL_Keycode code;
    Key key;
};

const KeyCode kKeyCodes[] = {
    {SDLK_UP, Key::Up},
    {SDLK_DOWN, Key::Down},
    {SDLK_LEFT, Key::Left},
    {SDLK_RIGHT, Key::Right},
    {SDLK_q, Key::Q},
    {SDLK_e, Key::E},
    {SDLK_w, Key::W},
    {SDLK_b, Key::B},
    {SDLK_t, Key::T},
    {SDLK_c, Key::C},
    {SDLK_s, Key::S},
    {SDLK_g, Key::G},
    {SDLK_h, Key::H},
    {SDLK_r, Key::R},
    {SDLK_TAB, Key::Tab},
    {SDLK_1, Key::Digit1},
    {SDLK_2, Key::Digit2},
    {SDLK_3, Key::Digit3},
    {SDLK_4, Key::Digit4},
    {SDLK_5, Key::Digit5},
    {SDLK_PLUS, Key::Plus},
    {SDLK_EQUALS, Key::Equals},
    {SDLK_KP_PLUS, Key::KeypadPlus},
    {SDLK_MINUS, Key::Minus},
    {SDLK_KP_MINUS, Key::KeypadMinus},
    {SDLK_PAGEUP, Key::PageUp},
    {SDLK_PAGEDOWN, Key::PageDown},
    {SDLK_F11, Key::F11},
    {SDLK_ESCAPE, Key::Escape},
    {SDLK_RETURN, Key::Enter},
    {SDLK_KP_ENTER, Key::Enter},
    {SDLK_SPACE, Key::Space},
};

std::optional<Key> keyOf(SDL_Keycode code) {
    for (const KeyCode &entry : kKeyCodes)
        if (entry.code == code) return entry.key;
    return std::nullopt;
}

SDL_Keycode codeOf(Key key) {
    for (const KeyCode &entry : kKeyCodes)
        if (entry.key == key) return entry.code;
    return SDLK_UNKNOWN;
}

Modifiers held(Uint16 mod) { return {(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0}; }
Modifiers heldNow() { return held(static_cast<Uint16>(SDL_GetModState())); }

// The inputs of a test, pushed as the window system would send them:
//   key [shift] [ctrl] NAME   a key pressed and released (names as controls.h's keyByName)
//   wheel CLICKS         the wheel turned, away from the person when positive
//   drag PIXELS          a horizontal drag with the left button held
//   drop FOLDER          a folder dropped on the window
//   wait FRAMES          nothing for that many frames
// False with a message on a line it does not know.
bool pushInput(const std::string &line, int32_t &wait, std::string *error) {
    std::istringstream words(line);
    std::string verb, word;
    words >> verb;
    SDL_Event event{};
    if (verb == "key") {
        int mod = KMOD_NONE;
        for (words >> word; word == "shift" || word == "ctrl"; words >> word)
            mod |= word == "shift" ? KMOD_LSHIFT : KMOD_LCTRL;
        const std::optional<Key> key = keyByName(word);
        if (!key) return (*error = "no key named '" + word + "'", false);
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = codeOf(*key);
        event.key.keysym.mod = static_cast<Uint16>(mod);
        SDL_SetModState(static_cast<SDL_Keymod>(mod));
        SDL_PushEvent(&event);
        event.type = SDL_KEYUP;
        return SDL_PushEvent(&event) >= 0;
    }
    int32_t amount = 0;
    SDL_SetModState(KMOD_NONE);
    if (verb == "drop") {
        std::getline(words >> std::ws, word);
        if (word.empty()) return (*error = "drop needs a FOLDER", false);
        event.type = SDL_DROPFILE;
        event.drop.file = SDL_strdup(word.c_str());
        return SDL_PushEvent(&event) >= 0;
    }
    if (!(words >> amount) || amount < -100000 || amount > 100000)
        return (*error = "'" + line + "' needs a number from -100000 to 100000", false);
    if (verb == "wait") return (wait = amount, true);
    if (verb == "wheel") {
        event.type = SDL_MOUSEWHEEL;
        event.wheel.y = amount;
        return SDL_PushEvent(&event) >= 0;
    }
    if (verb != "drag") return (*error = "no input '" + verb + "' (key, wheel, drag, drop, wait)", false);
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = amount;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    return SDL_PushEvent(&event) >= 0;
}

class Window {
public:
    Window(LiveSession &session, const WindowOptions &options, std::ostream &out, std::ostream &err)
        : session_(session), options_(options), out_(out), err_(err) {}

    ~Window() {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        SDL_Quit();
    }
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;

    int run() {
        if (!open()) return fail(std::string("cannot open a window: ") + SDL_GetError());
        if (!onADisplay())
            return fail("there is no display to open the window on (is DISPLAY set?); SDL_VIDEODRIVER=" +
                        std::string(SDL_GetCurrentVideoDriver()) + " runs it there all the same");
        while (running_) {
            const auto frameStart = Clock::now();
            if (!feedInput()) return 1;
            handleEvents();
            session_.frame(frameStart);
            show();
            pace(frameStart);
        }
        return 0;
    }

private:
    bool open() {
        SDL_SetMainReady();
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
        const int32_t scale = std::clamp(options_.scale, 1, 16);
        window_ = SDL_CreateWindow(title().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   simhost::kScreenWidth * scale, simhost::kScreenHeight * scale, SDL_WINDOW_RESIZABLE);
        if (window_ == nullptr) return false;
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (renderer_ == nullptr) return false;
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        const bool known = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0;
        frameBudget_ = std::chrono::microseconds(1000000 / (known ? mode.refresh_rate : kFallbackRefreshRate));
        SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
        return true;
    }

    // Where no display answers SDL falls back to drivers that show nothing, and the window could
    // never be closed; they serve only when asked for by name.
    static bool onADisplay() {
        const std::string driver = SDL_GetCurrentVideoDriver();
        return (driver != "offscreen" && driver != "dummy") || SDL_getenv("SDL_VIDEODRIVER") != nullptr;
    }

    std::string title() const {
        return "farview-live: " + session_.gameFolder().filename().string() + ", map " +
               std::to_string(session_.mapId());
    }

    int fail(const std::string &what) {
        err_ << "farview-live: " << what << "\n";
        return 1;
    }

    // The next test input, one a frame; after the last, the window closes.
    bool feedInput() {
        if (options_.inputs.empty()) return true;
        if (waitFrames_ > 0) return (--waitFrames_, true);
        if (nextInput_ == options_.inputs.size()) {
            running_ = false;
            return true;
        }
        const std::string line = options_.inputs[nextInput_++];
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') return true;
        std::string error;
        if (pushInput(line.substr(first), waitFrames_, &error)) return true;
        fail(options_.inputsName + ":" + std::to_string(nextInput_) + ": " + error);
        return false;
    }

    void handleEvents() {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT: running_ = false; break;
            case SDL_KEYDOWN: pressed(event.key); break;
            case SDL_MOUSEWHEEL: {
                const int32_t clicks = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
                react(session_.wheel(clicks, heldNow()));
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT) session_.pressPointer();
                break;
            case SDL_MOUSEBUTTONUP: session_.releasePointer(); break;
            case SDL_MOUSEMOTION: react(session_.movePointer(event.motion.xrel, heldNow())); break;
            case SDL_DROPFILE:
                session_.drop(event.drop.file);
                SDL_free(event.drop.file);
                break;
            default: break;
            }
        }
        const std::string now = title();
        if (now != shownTitle_) SDL_SetWindowTitle(window_, now.c_str());
        shownTitle_ = now;
    }

    void pressed(const SDL_KeyboardEvent &key) {
        if (const std::optional<Key> which = keyOf(key.keysym.sym))
            react(session_.key(*which, held(key.keysym.mod), key.repeat != 0));
    }

    void react(Reaction reaction) {
        switch (reaction) {
        case Reaction::none:
        case Reaction::filesWritten: break;
        case Reaction::showScript: printScript(); break;
        case Reaction::shootWindow: shootWindow(); break;
        case Reaction::toggleFullScreen: {
            const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
            SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
            break;
        }
        case Reaction::quit: running_ = false; break;
        }
    }

    void shootWindow() {
        const std::string file = session_.windowShotFile().string();
        std::string error;
        session_.tell(writeWindowPng(image_, file, &error) ? "saved " + file : error);
    }

    void printScript() {
        const std::vector<std::string> lines = session_.script();
        std::string text;
        for (const std::string &line : lines) text += line + "\n";
        out_ << text << std::flush;
        const bool copied = SDL_SetClipboardText(text.c_str()) == 0;
        session_.tell("printed the view's script" + std::string(copied ? " and put it on the clipboard" : ""));
    }

    void show() {
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer_, &width, &height);
        session_.picture(LiveSession::wholeScale(width, height), image_);
        if (texture_ == nullptr || textureWidth_ != image_.width || textureHeight_ != image_.height) makeTexture();
        if (texture_ == nullptr) return;
        SDL_UpdateTexture(texture_, nullptr, image_.pixels.data(), image_.width * 4);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        const SDL_Rect target{(width - image_.width) / 2, (height - image_.height) / 2, image_.width, image_.height};
        SDL_RenderCopy(renderer_, texture_, nullptr, &target);
        SDL_RenderPresent(renderer_);
    }

    void makeTexture() {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, image_.width,
                                     image_.height);
        textureWidth_ = image_.width;
        textureHeight_ = image_.height;
    }

    // Where presenting does not wait for the display (no vertical sync), the loop waits itself.
    void pace(Clock::time_point frameStart) const {
        const auto spent = Clock::now() - frameStart;
        if (spent < frameBudget_)
            SDL_Delay(static_cast<Uint32>(
                std::chrono::duration_cast<std::chrono::milliseconds>(frameBudget_ - spent).count()));
    }

    LiveSession &session_;
    const WindowOptions &options_;
    std::ostream &out_;
    std::ostream &err_;
    SDL_Window *window_ = nullptr;
    SDL_Renderer *renderer_ = nullptr;
    SDL_Texture *texture_ = nullptr;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    WindowImage image_;
    Clock::duration frameBudget_{};
    bool running_ = true;
    std::string shownTitle_;
    size_t nextInput_ = 0;
    int32_t waitFrames_ = 0;
};

} // namespace

int runWindow(LiveSession &session, const WindowOptions &options, std::ostream &out, std::ostream &err) {
    return Window(session, options, out, err).run();
}

} // namespace live
