#include "tools/guide/guide_pictures.h"

#include "simhost/comment_line.h"
#include "tools/common/game_entry.h"
#include "tools/guide/guide_script.h"
#include "tools/preview/preview_animation.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace guide {

namespace {

// The view values survive the title screen: each picture starts as a newly loaded module does.
void startFreshGame(const simhost::PluginModule &module) {
    std::string ignored;
    tools::freshView(module, &ignored); // first, so that the plug-in destroys its own images
    simhost::resetEngine();
}

// What the script run shows: every frame's screen, and the messages of the plug-in and the host.
struct Shown {
    std::vector<std::vector<uint16_t>> screens;
    std::vector<std::string> messages;
};

preview::ScriptOptions optionsFor(const PictureRun &run, Shown &shown) {
    preview::ScriptOptions options;
    options.outputFolder = run.frameFolder;
    const simhost::GameFolder *game = run.game;
    const simhost::PluginModule *module = run.module;
    options.enterMap = [game, module](int32_t mapId, std::string *error) {
        tools::EntryReport entry;
        return tools::enterWithGameLines(*game, mapId, *module, entry, error);
    };
    options.runGameLines = [game, module](tools::GameLines which, int32_t id, std::string *error) {
        std::optional<tools::RanLines> ran;
        return tools::runGameLines(*game, which, id, *module, ran, error);
    };
    options.progress = [&shown](int64_t, int64_t) { shown.screens.push_back(preview::screenPixels()); };
    options.message = [&shown](const std::string &caption, const std::string &text) {
        shown.messages.push_back("[" + caption + "] " + text);
    };
    return options;
}

// The screen of the frame written to file, or nullptr.
const std::vector<uint16_t> *screenOf(const std::string &file, const preview::ScriptResult &result, const Shown &shown,
                                      const fs::path &frameFolder) {
    for (size_t i = 0; i < result.frames.size(); ++i)
        if (fs::path(result.frames[i]).lexically_relative(frameFolder) == fs::path(file).lexically_normal())
            return &shown.screens[i];
    return nullptr;
}

bool collectPanels(const std::vector<LabelledFrame> &labelled, const std::string &scriptName,
                   const preview::ScriptResult &result, const Shown &shown, const fs::path &frameFolder,
                   std::vector<Panel> &panels, std::string *error) {
    if (shown.screens.size() != result.frames.size()) {
        *error = scriptName + ": every frame of a guide script names its file (frame FILE), so that its panels "
                              "can be told apart";
        return false;
    }
    for (const LabelledFrame &frame : labelled) {
        const std::vector<uint16_t> *screen = screenOf(frame.file, result, shown, frameFolder);
        if (screen == nullptr) {
            *error = scriptName + ":" + std::to_string(frame.line) + ": the frame was not written as " + frame.file +
                     " (a panel's file name takes no {n})";
            return false;
        }
        panels.push_back({*screen, frame.label});
    }
    return true;
}

} // namespace

bool renderPanels(const std::string &scriptText, const std::string &scriptName, const PictureRun &run,
                  std::vector<Panel> &panels, std::string *error) {
    std::vector<LabelledFrame> labelled;
    if (!readLabelledFrames(scriptText, scriptName, labelled, error)) return false;
    if (labelled.empty()) {
        *error = scriptName + ": no labelled frame (frame FILE # LABEL), so the picture would be empty";
        return false;
    }
    startFreshGame(*run.module);
    Shown shown;
    const preview::ScriptResult result =
        preview::runScript(scriptText, scriptName, *run.module, optionsFor(run, shown));
    if (!result.ok) {
        *error = result.error;
        return false;
    }
    if (!shown.messages.empty()) {
        *error = scriptName + ": the game showed a message while the picture was made: " + shown.messages.front();
        return false;
    }
    return collectPanels(labelled, scriptName, result, shown, run.frameFolder, panels, error);
}

} // namespace guide
