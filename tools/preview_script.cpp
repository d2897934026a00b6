#include "tools/preview_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "simhost/comment_line.h"

namespace preview {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into blank-separated words and double-quoted texts. Returns false on a text
// whose closing quote is missing.
bool tokenize(const std::string &line, std::vector<Token> &tokens) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string::npos) return false;
            tokens.push_back({line.substr(i + 1, close - i - 1), true});
            i = close + 1;
        } else {
            size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos) end = line.size();
            tokens.push_back({line.substr(i, end - i), false});
            i = end;
        }
    }
    return true;
}

bool isCommentLine(const std::string &line) {
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '@';
}

bool parseInt(const Token &token, int32_t &value) {
    if (token.quoted || token.text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    long long parsed = std::strtoll(token.text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

class Runner {
public:
    Runner(const std::string &name, const simhost::PluginModule &module, const std::filesystem::path &outputFolder)
        : name_(name), module_(module), outputFolder_(outputFolder) {}

    bool run(const std::string &text, ScriptResult &result) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            ++lineNumber_;
            if (!line.empty() && line.back() == '\r') line.pop_back(); // a script saved with CRLF endings
            if (isCommentLine(line)) {
                if (!commentLine(line, result)) return false;
                continue;
            }
            std::vector<Token> tokens;
            if (!tokenize(line, tokens)) return fail(result, "a text has no closing quote");
            if (tokens.empty() || (!tokens[0].quoted && tokens[0].text[0] == '#')) continue;
            if (!step(tokens, result)) return false;
        }
        return true;
    }

private:
    bool fail(ScriptResult &result, const std::string &what) {
        result.ok = false;
        result.error = name_ + ":" + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    // Reads tokens[first..] as integers into values; names the step's form on failure.
    bool ints(const std::vector<Token> &tokens, size_t first, size_t count, std::vector<int32_t> &values) {
        values.assign(count, 0);
        for (size_t i = 0; i < count; ++i)
            if (first + i >= tokens.size() || !parseInt(tokens[first + i], values[i])) return false;
        return true;
    }

    bool step(const std::vector<Token> &tokens, ScriptResult &result) {
        const std::string &verb = tokens[0].text;
        std::vector<int32_t> v;
        if (verb == "map") {
            if (tokens.size() != 4 || !ints(tokens, 1, 3, v)) return fail(result, "expected: map ID WIDTH HEIGHT");
            simhost::setMapSize(v[1], v[2]);
            simhost::hero().mapId = v[0];
            simhost::clearEvents();
        } else if (verb == "tileset") {
            if (tokens.size() != 3) return fail(result, "expected: tileset NAME GRAPHIC");
            simhost::setTilesetRecord(simhost::makeTilesetRecord(tokens[1].text, tokens[2].text));
        } else if (verb == "hero") {
            if ((tokens.size() != 3 && tokens.size() != 4) || !ints(tokens, 1, tokens.size() - 1, v))
                return fail(result, "expected: hero COLUMN ROW [FACING]");
            simhost::hero().mapColumn = v[0];
            simhost::hero().mapRow = v[1];
            if (v.size() == 3) simhost::hero().facing = v[2];
            simhost::scrollToHero();
        } else if (verb == "event") {
            return event(tokens, result);
        } else if (verb == "scroll") {
            if (tokens.size() != 3 || !ints(tokens, 1, 2, v)) return fail(result, "expected: scroll X Y");
            simhost::setScroll(v[0], v[1]);
        } else if (verb == "frame") {
            return frame(tokens, result);
        } else if (verb == "title") {
            simhost::initTitleScreen(module_);
        } else {
            return fail(result, "unknown step '" + verb + "'");
        }
        return true;
    }

    bool event(const std::vector<Token> &tokens, ScriptResult &result) {
        std::vector<int32_t> v;
        if (tokens.size() < 4 || tokens.size() > 6 || !ints(tokens, 1, 3, v))
            return fail(result, "expected: event ID COLUMN ROW [SHEET [INDEX]]");
        FvHostCharacter &character = simhost::addEvent(v[0], v[1], v[2]);
        if (tokens.size() >= 5) simhost::setSheetName(character, tokens[4].text);
        if (tokens.size() == 6) {
            std::vector<int32_t> index;
            if (!ints(tokens, 5, 1, index)) return fail(result, "the sheet index must be an integer");
            character.sheetIndex = index[0];
        }
        return true;
    }

    // What onComment returns is of no concern to a script: a host carries on either way.
    bool commentLine(const std::string &line, ScriptResult &result) {
        std::string error;
        if (!simhost::sendCommentLine(module_, line, nullptr, &error)) return fail(result, error);
        return true;
    }

    bool frame(const std::vector<Token> &tokens, ScriptResult &result) {
        if (tokens.size() < 2) return fail(result, "expected: frame FILE [PICTURE ...]");
        std::vector<int32_t> pictures;
        if (!ints(tokens, 2, tokens.size() - 2, pictures)) return fail(result, "picture numbers must be integers");
        if (pictures.empty()) pictures.push_back(1);
        simhost::fillScreen(kBackdrop);
        simhost::drawPictures(module_, pictures);
        std::string error;
        std::string file = (outputFolder_ / tokens[1].text).string();
        if (!simhost::writeScreenPng(file, &error)) return fail(result, error);
        result.frames.push_back(file);
        return true;
    }

    static constexpr uint16_t kBackdrop = 0x4208; // the host's dark grey, so untouched pixels show

    std::string name_;
    const simhost::PluginModule &module_;
    std::filesystem::path outputFolder_;
    int lineNumber_ = 0;
};

} // namespace

ScriptResult runScript(const std::string &scriptText, const std::string &scriptName,
                       const simhost::PluginModule &module, const std::filesystem::path &outputFolder) {
    ScriptResult result;
    Runner(scriptName, module, outputFolder).run(scriptText, result);
    return result;
}

} // namespace preview
