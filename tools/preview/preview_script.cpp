// Running a preview script: each step reaches the stand-in host or the plug-in, in order.
#include "tools/preview/preview_script.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <sstream>

#include "preview_steps.h"
#include "simhost/comment_line.h"
#include "simhost/game_folder.h"
#include "tools/preview/preview_animation.h"

namespace preview {

namespace {

// A walk that runs on far enough stops at the edge of the numbers instead of wrapping round.
int32_t addClamped(int32_t value, int32_t change) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{value} + change, INT32_MIN, INT32_MAX));
}

class Runner {
public:
    Runner(const std::string &name, const simhost::PluginModule &module, const ScriptOptions &options)
        : name_(name), module_(module), options_(options) {}

    bool run(const Script &script, ScriptResult &result) {
        script_ = &script;
        result_ = &result;
        runCounts_.assign(script.steps.size(), 0);
        seenMessages_ = simhost::messages().size();
        size_t next = 0;
        if (following_) simhost::scrollToHero();
        while (next < script.steps.size()) {
            bool ok = perform(script.steps[next], next);
            if (following_) simhost::scrollToHero();
            reportMessages();
            if (!ok) {
                gif_.close(nullptr); // what was added so far stays readable
                return false;
            }
        }
        std::string error;
        if (!finishGif(&error)) {
            result.ok = false;
            result.error = name_ + ":" + std::to_string(gifLine_) + ": " + error;
            return false;
        }
        return true;
    }

private:
    bool fail(const Step &step, const std::string &what) {
        result_->ok = false;
        result_->error = name_ + ":" + std::to_string(step.line) + ": " + what;
        return false;
    }

    // Runs one step and moves next on to the step that follows it.
    bool perform(const Step &step, size_t &next) {
        size_t index = next++;
        ++runCounts_[index];
        switch (step.kind) {
        case StepKind::Repeat: return repeat(step, next);
        case StepKind::End: return end(step, next);
        default: return act(step);
        }
    }

    bool repeat(const Step &step, size_t &next) {
        if (step.numbers[0] == 0)
            next = step.partner + 1;
        else
            loops_.push_back(step.numbers[0]);
        return true;
    }

    bool end(const Step &step, size_t &next) {
        if (--loops_.back() > 0)
            next = step.partner + 1;
        else
            loops_.pop_back();
        return true;
    }

    bool act(const Step &step) {
        const std::vector<int32_t> &n = step.numbers;
        switch (step.kind) {
        case StepKind::Enter: return enter(step);
        case StepKind::Map:
            simhost::setMapSize(n[1], n[2]);
            simhost::hero().mapId = n[0];
            simhost::clearEvents();
            simhost::forgetEnteredMap();
            return true;
        case StepKind::Tileset:
            simhost::setTilesetRecord(simhost::makeTilesetRecord(step.text, step.graphic));
            return true;
        case StepKind::Hero: return placeHero(step);
        case StepKind::Event: return placeEvent(step);
        case StepKind::Move:
        case StepKind::Face:
        case StepKind::Sheet:
        case StepKind::Pose: return changeCharacter(step);
        case StepKind::Scroll:
            simhost::setScroll(n[0], n[1]);
            following_ = false;
            return true;
        case StepKind::ScrollFollow: following_ = true; return true;
        case StepKind::Pictures: pictures_ = n; return true;
        case StepKind::Comment: return comment(step);
        case StepKind::Frame: return frame(step);
        case StepKind::GifStart: return startGif(step);
        case StepKind::GifEnd: return endGif(step);
        case StepKind::Title: simhost::initTitleScreen(module_); return true;
        case StepKind::ExpectVariable: return expectVariable(step);
        case StepKind::ExpectReturned: return expectReturned(step);
        case StepKind::ExpectDrawn: return expectDrawn(step);
        case StepKind::Action: return runGameLines(step, GameLines::Action);
        case StepKind::RunEvent: return runGameLines(step, GameLines::Event);
        case StepKind::RunCommon: return runGameLines(step, GameLines::Common);
        case StepKind::Repeat:
        case StepKind::End: break;
        }
        return true;
    }

    bool enter(const Step &step) {
        if (!options_.enterMap) return fail(step, "enter needs a game folder (without one, use map and tileset)");
        std::string error;
        if (!options_.enterMap(step.numbers[0], &error)) return fail(step, error);
        return true;
    }

    bool runGameLines(const Step &step, GameLines which) {
        if (!options_.runGameLines) return fail(step, "the game's lines need a game folder");
        std::string error;
        if (!options_.runGameLines(which, step.numbers.empty() ? 0 : step.numbers[0], &error)) return fail(step, error);
        return true;
    }

    bool placeHero(const Step &step) {
        FvHostCharacter &hero = simhost::hero();
        hero.mapColumn = step.numbers[0];
        hero.mapRow = step.numbers[1];
        if (step.numbers.size() == 3) hero.facing = step.numbers[2];
        return true;
    }

    bool placeEvent(const Step &step) {
        const std::vector<int32_t> &n = step.numbers;
        FvHostCharacter *event = simhost::eventById(eventList(), n[0]);
        if (event == nullptr) event = &simhost::addEvent(n[0], n[1], n[2]);
        event->mapColumn = n[1];
        event->mapRow = n[2];
        if (step.sheet) simhost::setSheetName(*event, *step.sheet);
        if (n.size() == 4) event->sheetIndex = n[3];
        return true;
    }

    bool changeCharacter(const Step &step) {
        FvHostCharacter *character = &simhost::hero();
        if (step.eventId) character = simhost::eventById(eventList(), *step.eventId);
        if (character == nullptr) return fail(step, "the map has no event " + std::to_string(*step.eventId));
        if (step.kind == StepKind::Move) {
            character->mapColumn = addClamped(character->mapColumn, step.numbers[0]);
            character->mapRow = addClamped(character->mapRow, step.numbers[1]);
        }
        if (step.kind == StepKind::Face) character->facing = step.numbers[0];
        if (step.kind == StepKind::Pose) character->animationStep = step.numbers[0];
        if (step.kind == StepKind::Sheet) {
            simhost::setSheetName(*character, *step.sheet);
            if (!step.numbers.empty()) character->sheetIndex = step.numbers[0];
        }
        return true;
    }

    static FvHostEventList *eventList() { return simhost::mapView().events; }

    bool comment(const Step &step) {
        bool returned = false;
        std::string error;
        if (!simhost::sendCommentLine(module_, step.text, &returned, &error)) return fail(step, error);
        lastReturned_ = returned;
        return true;
    }

    bool frame(const Step &step) {
        simhost::fillScreen(kBackdrop);
        simhost::drawPictures(module_, step.numbers.empty() ? pictures_ : step.numbers);
        std::vector<uint16_t> pixels = screenPixels();
        lastDrawn_ = std::any_of(pixels.begin(), pixels.end(), [](uint16_t pixel) { return pixel != kBackdrop; });
        if (!step.text.empty()) {
            std::string file = (options_.outputFolder / frameFileName(step, runCounts_[index(step)])).string();
            std::string error;
            if (!simhost::writeScreenPng(file, &error)) return fail(step, error);
            result_->frames.push_back(file);
        }
        std::string error;
        if (gif_.isOpen() && !gif_.addFrame(pixels, &error)) return fail(step, error);
        ++rendered_;
        if (options_.progress) options_.progress(rendered_, script_->frameCount);
        return true;
    }

    bool startGif(const Step &step) {
        if (gif_.isOpen()) return fail(step, "a gif is being collected already: gif end first (" + gif_.path() + ")");
        std::string file = (options_.outputFolder / step.text).string(), error;
        if (!gif_.open(file, simhost::kScreenWidth, simhost::kScreenHeight, step.numbers[0], &error))
            return fail(step, error);
        gifLine_ = step.line;
        return true;
    }

    bool endGif(const Step &step) {
        if (!gif_.isOpen()) return fail(step, "gif end without a gif FILE before it");
        std::string error;
        if (!finishGif(&error)) return fail(step, error);
        return true;
    }

    bool finishGif(std::string *error) {
        if (!gif_.isOpen()) return true;
        std::string path = gif_.path();
        if (!gif_.close(error)) return false;
        result_->animations.push_back(path);
        return true;
    }

    bool expectVariable(const Step &step) {
        int32_t number = step.numbers[0], wanted = step.numbers[1];
        std::vector<int32_t> values = simhost::variableValues();
        std::string expected = "expected variable " + std::to_string(number) + " = " + std::to_string(wanted);
        if (static_cast<size_t>(number) > values.size())
            return fail(step, expected + ", found no variable " + std::to_string(number) + " (the host has " +
                                  std::to_string(values.size()) + ")");
        int32_t found = values[static_cast<size_t>(number) - 1];
        if (found != wanted) return fail(step, expected + ", found " + std::to_string(found));
        return true;
    }

    static std::string truth(bool value) { return value ? "true" : "false"; }

    bool expectReturned(const Step &step) {
        std::string expected = "expected the last comment line to return " + truth(step.expected);
        if (!lastReturned_) return fail(step, expected + ", found no comment line before it");
        if (*lastReturned_ != step.expected) return fail(step, expected + ", found " + truth(*lastReturned_));
        return true;
    }

    bool expectDrawn(const Step &step) {
        std::string expected = step.expected ? "expected the last frame to show a view"
                                             : "expected the last frame to be the backdrop alone";
        if (!lastDrawn_) return fail(step, expected + ", found no frame before it");
        if (*lastDrawn_ != step.expected)
            return fail(step, expected + (*lastDrawn_ ? ", found a view drawn" : ", found nothing drawn"));
        return true;
    }

    size_t index(const Step &step) const { return static_cast<size_t>(&step - script_->steps.data()); }

    void reportMessages() {
        const std::vector<std::string> &texts = simhost::messages();
        const std::vector<std::string> &captions = simhost::messageCaptions();
        if (texts.size() < seenMessages_) seenMessages_ = 0; // the engine was reset meanwhile
        for (; seenMessages_ < texts.size(); ++seenMessages_)
            if (options_.message) options_.message(captions[seenMessages_], texts[seenMessages_]);
    }

    const std::string &name_;
    const simhost::PluginModule &module_;
    const ScriptOptions &options_;
    const Script *script_ = nullptr;
    ScriptResult *result_ = nullptr;
    std::vector<int64_t> runCounts_;
    std::vector<int32_t> loops_; // runs left of each repeat being run, innermost last
    std::vector<int32_t> pictures_{1};
    bool following_ = true;
    std::optional<bool> lastReturned_;
    std::optional<bool> lastDrawn_;
    int64_t rendered_ = 0;
    GifAnimation gif_;
    int32_t gifLine_ = 0;
    size_t seenMessages_ = 0;
};

} // namespace

namespace {

// A remark is the author's, not the game's: it stays in UTF-8 whatever the game's code page, so
// that a folder or a name outside the code page never makes a script unreadable.
bool isRemarkLine(const std::string &line) {
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '#';
}

} // namespace

bool scriptInCodePage(std::string &text, const std::string &scriptName, std::string *error) {
    constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    const bool marked = text.rfind(kByteOrderMark, 0) == 0;
    const std::string body = text.substr(marked ? 3 : 0);
    if (!simhost::isUtf8(body)) {
        if (!marked) return true; // bytes in the code page already
        *error = scriptName + ": starts as UTF-8 text (a byte order mark) but is not UTF-8";
        return false;
    }
    std::string converted;
    std::istringstream lines(body);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (isRemarkLine(line)) {
            converted += line + "\n";
            continue;
        }
        const std::optional<std::string> inCodePage = simhost::fromUtf8(line);
        if (!inCodePage) {
            *error = scriptName + ":" + std::to_string(number) + ": \"" + line +
                     "\" holds a character that code page " + simhost::codePage() + " does not have";
            return false;
        }
        converted += *inCodePage + "\n";
    }
    text = std::move(converted);
    return true;
}

std::string scriptInUtf8(const std::string &text) {
    std::string converted;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        converted += (isRemarkLine(line) ? line : simhost::toUtf8(line)) + "\n";
    return converted;
}

ScriptResult checkScript(const std::string &scriptText, const std::string &scriptName) {
    ScriptResult result;
    Script script;
    result.ok = readScript(scriptText, scriptName, script, &result.error);
    return result;
}

ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const ScriptOptions &options) {
    ScriptResult result;
    Script script;
    if (!readScript(scriptText, scriptName, script, &result.error)) {
        result.ok = false;
        return result;
    }
    Runner(scriptName, module, options).run(script, result);
    return result;
}

ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const std::filesystem::path &outputFolder) {
    ScriptOptions options;
    options.outputFolder = outputFolder;
    return runScript(scriptText, scriptName, module, options);
}

} // namespace preview
