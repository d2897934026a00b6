#include "tools/guide/guide_script.h"

#include <algorithm>
#include <sstream>

namespace guide {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trimmed(const std::string &text) {
    size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// A script line as the preview reads it: blank-separated words, a "quoted text" one word, and a
// remark from a word that starts with '#'.
struct SplitLine {
    std::vector<std::string> words;
    std::string remark;
};

SplitLine split(const std::string &line) {
    SplitLine split;
    size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at])) {
            ++at;
        } else if (line[at] == '#') {
            split.remark = trimmed(line.substr(at + 1));
            break;
        } else if (line[at] == '"') {
            const size_t close = std::min(line.find('"', at + 1), line.size());
            split.words.push_back(line.substr(at + 1, close - at - 1));
            at = close + 1;
        } else {
            const size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
            split.words.push_back(line.substr(at, end - at));
            at = end;
        }
    }
    return split;
}

bool printable(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

// Why the labelled frame line cannot become a panel; empty when it can.
std::string fault(const SplitLine &line, int32_t repeatDepth) {
    if (line.words.size() < 2) return "a labelled frame needs a FILE: frame FILE # LABEL";
    if (repeatDepth > 0) return "a labelled frame inside a repeat would make a panel each time: move it out";
    if (!printable(line.remark)) return "the label holds characters the panel's font lacks (printable ASCII only)";
    if (line.remark.size() > kLongestLabel)
        return "the label is longer than a panel's " + std::to_string(kLongestLabel) + " characters";
    return {};
}

} // namespace

bool readLabelledFrames(const std::string &scriptText, const std::string &scriptName,
                        std::vector<LabelledFrame> &frames, std::string *error) {
    std::istringstream in(scriptText);
    int32_t lineNumber = 0, repeatDepth = 0;
    for (std::string text; std::getline(in, text);) {
        ++lineNumber;
        if (trimmed(text).rfind('@', 0) == 0) continue; // a comment line goes to the plug-in whole
        const SplitLine line = split(text);
        if (line.words.empty()) continue;
        if (line.words[0] == "repeat") ++repeatDepth;
        if (line.words[0] == "end") --repeatDepth;
        if (line.words[0] != "frame" || line.remark.empty()) continue;
        const std::string wrong = fault(line, repeatDepth);
        if (!wrong.empty()) {
            *error = scriptName + ":" + std::to_string(lineNumber) + ": " + wrong;
            return false;
        }
        frames.push_back({line.words[1], line.remark, lineNumber});
    }
    return true;
}

} // namespace guide
