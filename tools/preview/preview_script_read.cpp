// Reading a preview script into steps: every line is checked before anything runs, so a typo on
// the last line does not cost a long render first.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "preview_steps.h"
#include "simhost/comment_line.h"
#include "tools/preview/preview_script.h"

namespace preview {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A quoted text whose opening quote is at line[i]; i ends past the closing quote. Two quotes in a
// row stand for one quote: unlike a backslash, a quote is never the second byte of a character in
// the double-byte code pages, so a name in one reads back whole.
bool readQuoted(const std::string &line, size_t &i, std::string &text) {
    for (++i; i < line.size(); ++i) {
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text += line[++i];
                continue;
            }
            ++i;
            return true;
        }
        text += line[i];
    }
    return false;
}

// Splits a line into blank-separated words and double-quoted texts, up to a word that starts a
// remark with '#'. Returns false on a text whose closing quote is missing.
bool tokenize(const std::string &line, std::vector<Token> &tokens) {
    size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
        } else if (line[i] == '#') {
            return true;
        } else if (line[i] == '"') {
            Token quoted{"", true};
            if (!readQuoted(line, i, quoted.text)) return false;
            tokens.push_back(std::move(quoted));
        } else {
            size_t end = i;
            while (end < line.size() && !isBlank(line[end])) ++end;
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

// A word as an error message shows it: cut short, control bytes as '?', so that a binary file
// read as a script cannot flood the terminal.
std::string shown(const std::string &word) {
    constexpr size_t kLongest = 40;
    std::string text = word.substr(0, kLongest);
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return "'" + text + (word.size() > kLongest ? "...'" : "'");
}

bool leavesOutputFolder(const std::string &name) {
    const std::filesystem::path path(name);
    if (path.has_root_name() || path.has_root_directory()) return true;
#ifdef _WIN32
    const char *const separators = "/\\";
#else
    const char *const separators = "/";
#endif
    for (size_t start = 0; start <= name.size();) {
        const size_t end = std::min(name.find_first_of(separators, start), name.size());
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
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

// The words after a step's name, read one by one against the step's form; the first problem is
// kept as the line's error.
class Arguments {
public:
    Arguments(const std::vector<Token> &tokens, std::string usage) : tokens_(tokens), usage_(std::move(usage)) {}

    bool more() const { return next_ < tokens_.size(); }
    size_t left() const { return tokens_.size() - next_; }
    const std::string &peek() const { return tokens_[next_].text; }

    bool integer(int32_t &value) {
        if (!more()) return fail("expected: " + usage_);
        if (!parseInt(tokens_[next_], value))
            return fail(shown(tokens_[next_].text) + " is not a whole number (expected: " + usage_ + ")");
        ++next_;
        return true;
    }

    bool integerIn(int32_t &value, int32_t low, int32_t high, const std::string &what) {
        if (!integer(value)) return false;
        if (value < low || value > high)
            return fail(what + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
                        std::to_string(value));
        return true;
    }

    bool integers(std::vector<int32_t> &values, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            int32_t value = 0;
            if (!integer(value)) return false;
            values.push_back(value);
        }
        return true;
    }

    bool text(std::string &value) {
        if (!more()) return fail("expected: " + usage_);
        value = tokens_[next_++].text;
        return true;
    }

    // A file name that stays inside the output folder: relative, with no ".." among its folders,
    // so that a script cannot write over files elsewhere.
    bool outputName(std::string &value) {
        if (!text(value)) return false;
        if (leavesOutputFolder(value))
            return fail(shown(value) + " leaves the output folder: name a file inside it (no '..', not absolute)");
        return true;
    }

    bool truth(bool &value) {
        std::string word;
        if (!text(word)) return false;
        if (word != "true" && word != "false") return fail(shown(word) + " is neither true nor false");
        value = word == "true";
        return true;
    }

    // The hero or an event's id.
    bool character(std::optional<int32_t> &eventId) {
        if (more() && peek() == "hero") {
            ++next_;
            eventId.reset();
            return true;
        }
        int32_t id = 0;
        if (!more()) return fail("expected: " + usage_);
        if (!parseInt(tokens_[next_], id))
            return fail(shown(tokens_[next_].text) + " is neither hero nor an event's id (expected: " + usage_ + ")");
        ++next_;
        eventId = id;
        return true;
    }

    bool done() { return more() ? fail("too many words (expected: " + usage_ + ")") : true; }

    bool fail(const std::string &what) {
        if (error_.empty()) error_ = what;
        return false;
    }
    const std::string &error() const { return error_; }

private:
    const std::vector<Token> &tokens_;
    std::string usage_;
    size_t next_ = 1;
    std::string error_;
};

constexpr int32_t kMaxFacing = 3;
constexpr int32_t kMaxGifDelay = 655350; // milliseconds: GIF keeps 16 bits of hundredths

using Reader = bool (*)(Arguments &, Step &);

struct StepForm {
    const char *name;
    const char *usage;
    StepKind kind;
    Reader read;
};

bool readEnter(Arguments &a, Step &s) { return a.integers(s.numbers, 1) && a.done(); }
bool readMap(Arguments &a, Step &s) { return a.integers(s.numbers, 3) && a.done(); }
bool readTileset(Arguments &a, Step &s) { return a.text(s.text) && a.text(s.graphic) && a.done(); }

bool readHero(Arguments &a, Step &s) {
    if (!a.integers(s.numbers, 2)) return false;
    if (a.more()) {
        int32_t facing = 0;
        if (!a.integerIn(facing, 0, kMaxFacing, "FACING")) return false;
        s.numbers.push_back(facing);
    }
    return a.done();
}

bool readEvent(Arguments &a, Step &s) {
    if (!a.integers(s.numbers, 3)) return false;
    if (a.more()) {
        s.sheet.emplace();
        a.text(*s.sheet);
        if (a.more() && !a.integers(s.numbers, 1)) return false;
    }
    return a.done();
}

bool readFace(Arguments &a, Step &s) {
    int32_t facing = 0;
    if (!a.character(s.eventId) || !a.integerIn(facing, 0, kMaxFacing, "FACING")) return false;
    s.numbers.push_back(facing);
    return a.done();
}

bool readSheet(Arguments &a, Step &s) {
    s.sheet.emplace();
    if (!a.character(s.eventId) || !a.text(*s.sheet)) return false;
    if (a.more() && !a.integers(s.numbers, 1)) return false;
    return a.done();
}

bool readMove(Arguments &a, Step &s) { return a.character(s.eventId) && a.integers(s.numbers, 2) && a.done(); }

bool readPose(Arguments &a, Step &s) { return a.character(s.eventId) && a.integers(s.numbers, 1) && a.done(); }

bool readScroll(Arguments &a, Step &s) {
    if (a.left() == 1 && a.peek() == "follow") {
        s.kind = StepKind::ScrollFollow;
        return true;
    }
    return a.integers(s.numbers, 2) && a.done();
}

bool readPictures(Arguments &a, Step &s) {
    if (!a.integers(s.numbers, 1)) return false;
    return a.integers(s.numbers, a.left());
}

bool readFrame(Arguments &a, Step &s) {
    if (!a.more()) return true;
    return a.outputName(s.text) && a.integers(s.numbers, a.left());
}

bool readGif(Arguments &a, Step &s) {
    if (a.left() == 1 && a.peek() == "end") {
        s.kind = StepKind::GifEnd;
        return true;
    }
    if (!a.outputName(s.text)) return false;
    int32_t delay = 100;
    if (a.more() && !a.integerIn(delay, 0, kMaxGifDelay, "DELAY")) return false;
    s.numbers.push_back(delay);
    return a.done();
}

bool readRepeat(Arguments &a, Step &s) {
    int32_t count = 0;
    if (!a.integerIn(count, 0, INT32_MAX, "the count")) return false;
    s.numbers.push_back(count);
    return a.done();
}

bool readNothing(Arguments &a, Step &) { return a.done(); }

bool readExpect(Arguments &a, Step &s) {
    std::string what;
    if (!a.text(what)) return false;
    if (what == "variable") {
        s.kind = StepKind::ExpectVariable;
        int32_t variable = 0;
        if (!a.integerIn(variable, 1, INT32_MAX, "the variable number")) return false;
        s.numbers.push_back(variable);
        return a.integers(s.numbers, 1) && a.done();
    }
    if (what == "returned" || what == "drawn") {
        s.kind = what == "returned" ? StepKind::ExpectReturned : StepKind::ExpectDrawn;
        return a.truth(s.expected) && a.done();
    }
    return a.fail("expected: expect variable N VALUE, expect returned true|false or expect drawn true|false");
}

bool readRun(Arguments &a, Step &s) {
    std::string what;
    if (!a.text(what)) return false;
    if (what != "event" && what != "common") return a.fail("expected: run event ID or run common ID");
    s.kind = what == "event" ? StepKind::RunEvent : StepKind::RunCommon;
    return a.integers(s.numbers, 1) && a.done();
}

const StepForm kForms[] = {
    {"enter", "enter MAP", StepKind::Enter, readEnter},
    {"map", "map ID WIDTH HEIGHT", StepKind::Map, readMap},
    {"tileset", "tileset NAME GRAPHIC", StepKind::Tileset, readTileset},
    {"hero", "hero COLUMN ROW [FACING]", StepKind::Hero, readHero},
    {"event", "event ID COLUMN ROW [SHEET [INDEX]]", StepKind::Event, readEvent},
    {"move", "move hero|EVENT COLUMNS ROWS", StepKind::Move, readMove},
    {"face", "face hero|EVENT FACING", StepKind::Face, readFace},
    {"sheet", "sheet hero|EVENT SHEET [INDEX]", StepKind::Sheet, readSheet},
    {"pose", "pose hero|EVENT STEP", StepKind::Pose, readPose},
    {"scroll", "scroll X Y or scroll follow", StepKind::Scroll, readScroll},
    {"pictures", "pictures PICTURE [PICTURE ...]", StepKind::Pictures, readPictures},
    {"frame", "frame [FILE [PICTURE ...]]", StepKind::Frame, readFrame},
    {"gif", "gif FILE [DELAY] or gif end", StepKind::GifStart, readGif},
    {"repeat", "repeat N", StepKind::Repeat, readRepeat},
    {"end", "end", StepKind::End, readNothing},
    {"title", "title", StepKind::Title, readNothing},
    {"expect", "expect variable N VALUE", StepKind::ExpectVariable, readExpect},
    {"action", "action", StepKind::Action, readNothing},
    {"run", "run event ID or run common ID", StepKind::RunEvent, readRun},
};

const StepForm *findForm(const std::string &name) {
    for (const StepForm &form : kForms)
        if (name == form.name) return &form;
    return nullptr;
}

// Pairs repeats with their ends and counts how often each step will run, refusing a script whose
// repeats multiply out past the limits.
class Structure {
public:
    Structure(const std::string &name, Script &script) : name_(name), script_(script) {}

    bool add(Step &step, std::string *error) {
        // An end runs once a turn of its repeat, still open here: an empty repeat counts too.
        step.runs = multiplier();
        const int32_t blamed = blamedLine(step);
        if (step.kind == StepKind::End) {
            if (open_.empty()) return fail(step.line, "end without a repeat", error);
            Step &repeat = script_.steps[open_.back()];
            repeat.partner = script_.steps.size();
            step.partner = open_.back();
            open_.pop_back();
            products_.pop_back();
        }
        stepRuns_ += step.runs;
        if (step.kind == StepKind::Frame) script_.frameCount += step.runs;
        if (stepRuns_ > kMaxStepRuns)
            return fail(blamed, "the script would run more than " + std::to_string(kMaxStepRuns) + " steps", error);
        if (script_.frameCount > kMaxFrames)
            return fail(blamed, "the script would render more than " + std::to_string(kMaxFrames) + " frames", error);
        if (step.kind == StepKind::Repeat) {
            open_.push_back(script_.steps.size());
            // Saturates just past the limit: the product of nested counts may not fit in 64 bits.
            products_.push_back(std::min<int64_t>(step.runs * step.numbers[0], kMaxStepRuns + 1));
        }
        return true;
    }

    bool finish(std::string *error) {
        if (open_.empty()) return true;
        return fail(script_.steps[open_.back()].line, "repeat without an end", error);
    }

private:
    // How often a step here runs: the product of the open repeats' counts, kept as they open so
    // that deep nesting costs no more than flat steps.
    int64_t multiplier() const { return products_.empty() ? 1 : products_.back(); }

    // The innermost repeat around a step is what makes it run too often.
    int32_t blamedLine(const Step &step) const { return open_.empty() ? step.line : script_.steps[open_.back()].line; }

    bool fail(int32_t line, const std::string &what, std::string *error) {
        if (error != nullptr) *error = name_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    const std::string &name_;
    Script &script_;
    std::vector<size_t> open_;      // indices of the repeats not yet ended
    std::vector<int64_t> products_; // in step with open_: how often a step inside each runs
    int64_t stepRuns_ = 0;
};

// One line into *step; false with the line's problem in *what. A remark gives no step.
bool readLine(const std::string &line, std::optional<Step> &step, std::string *what) {
    if (isCommentLine(line)) {
        FvParsedComment ignored{};
        if (!simhost::parseCommentLine(line, ignored, what)) return false;
        step.emplace();
        step->kind = StepKind::Comment;
        step->text = line;
        return true;
    }
    std::vector<Token> tokens;
    if (!tokenize(line, tokens)) {
        *what = "a text has no closing quote";
        return false;
    }
    if (tokens.empty()) return true;
    const StepForm *form = tokens[0].quoted ? nullptr : findForm(tokens[0].text);
    if (form == nullptr) {
        *what = "unknown step " + shown(tokens[0].text);
        return false;
    }
    step.emplace();
    step->kind = form->kind;
    Arguments arguments(tokens, form->usage);
    if (!form->read(arguments, *step)) {
        *what = arguments.error();
        return false;
    }
    return true;
}

} // namespace

bool readScript(const std::string &text, const std::string &name, Script &script, std::string *error) {
    script = Script{};
    if (text.size() > kMaxScriptBytes) {
        if (error != nullptr) *error = scriptTooLarge(name, text.size());
        return false;
    }
    Structure structure(name, script);
    std::istringstream lines(text);
    std::string line;
    int32_t lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back(); // a script saved with CRLF endings
        std::optional<Step> step;
        std::string what;
        if (!readLine(line, step, &what)) {
            if (error != nullptr) *error = name + ":" + std::to_string(lineNumber) + ": " + what;
            return false;
        }
        if (!step) continue;
        step->line = lineNumber;
        if (!structure.add(*step, error)) return false;
        script.steps.push_back(std::move(*step));
    }
    return structure.finish(error);
}

std::string scriptTooLarge(const std::string &name, uintmax_t bytes) {
    return name + ": the script is " + std::to_string(bytes) + " bytes long; scripts of more than " +
           std::to_string(kMaxScriptBytes) + " bytes are refused";
}

std::string frameFileName(const Step &step, int64_t run) {
    std::string number = std::to_string(run);
    size_t width = std::to_string(step.runs).size();
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    std::string name = step.text;
    size_t marker = name.find("{n}");
    if (marker == std::string::npos) {
        if (step.runs <= 1) return name;
        size_t slash = name.find_last_of('/');
        size_t dot = name.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
        return name.insert(dot, "-" + number);
    }
    while (marker != std::string::npos) {
        name.replace(marker, 3, number);
        marker = name.find("{n}", marker + number.size());
    }
    return name;
}

} // namespace preview
