// How well a game's text reads under a code page. Single-byte code pages decode almost any bytes,
// and the double-byte ones much of each other's, so decoding without error is not enough: under the
// right code page a game's names read as words of the scripts that code page is written in, and
// mostly of the letters its language uses often.
#include <algorithm>
#include <string>
#include <vector>

#include "game_folder_names.h"
#include "simhost/game_folder.h"

namespace simhost {
namespace {

enum class Script { none, latin, greek, cyrillic, hebrew, arabic, thai, han, kana, hangul };
enum class Kind { letter, sign, fault };

struct Character {
    Kind kind;
    Script script;
};

bool within(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

Character letterOf(Script script) { return {Kind::letter, script}; }

// C1 controls, private-use characters and the replacement character stand for bytes no text
// holds; what is not a letter of a script below is a sign (punctuation, symbols, full-width forms,
// half-width katakana and lone jamo, which names seldom use).
Character classify(char32_t c) {
    if (c < 0xA0 || c == 0xFFFD || within(c, 0xE000, 0xF8FF)) return {Kind::fault, Script::none};
    if ((within(c, 0xC0, 0x24F) && c != 0xD7 && c != 0xF7) || within(c, 0x300, 0x36F) || within(c, 0x1E00, 0x1EFF))
        return letterOf(Script::latin);
    if (within(c, 0x386, 0x3FF) && c != 0x387) return letterOf(Script::greek);
    if (within(c, 0x400, 0x52F)) return letterOf(Script::cyrillic);
    if (within(c, 0x591, 0x5F2)) return letterOf(Script::hebrew);
    if ((within(c, 0x620, 0x6FF) && !within(c, 0x660, 0x66D)) || within(c, 0xFB50, 0xFDFF) || within(c, 0xFE70, 0xFEFF))
        return letterOf(Script::arabic);
    if (within(c, 0xE01, 0xE4E)) return letterOf(Script::thai);
    if (within(c, 0x3041, 0x30FF)) return letterOf(Script::kana);
    if (within(c, 0x3400, 0x4DBF) || within(c, 0x4E00, 0x9FFF) || within(c, 0xF900, 0xFAFF))
        return letterOf(Script::han);
    if (within(c, 0xAC00, 0xD7A3)) return letterOf(Script::hangul);
    return {Kind::sign, Script::none};
}

// The scripts each code page is written in.
std::vector<Script> scriptsOf(const std::string &codePage) {
    if (codePage == "1251") return {Script::cyrillic};
    if (codePage == "1253") return {Script::greek};
    if (codePage == "1255") return {Script::hebrew};
    if (codePage == "1256") return {Script::arabic};
    if (codePage == "874") return {Script::thai};
    if (codePage == "932") return {Script::han, Script::kana};
    if (codePage == "936" || codePage == "950") return {Script::han};
    if (codePage == "949") return {Script::hangul, Script::han};
    return {Script::latin};
}

// Alphabets whose words do not mix with ASCII letters, as Latin words mix plain and accented ones
// and Japanese or Chinese names mix Latin words and characters.
bool isAlphabet(Script script) {
    return script == Script::greek || script == Script::cyrillic || script == Script::hebrew ||
           script == Script::arabic || script == Script::thai;
}

bool isDoubleByte(const std::string &codePage) {
    return codePage == "932" || codePage == "936" || codePage == "949" || codePage == "950";
}

size_t characterLength(const std::string &codePage, unsigned char lead) {
    if (!isDoubleByte(codePage) || lead < 0x81) return 1;
    if (codePage == "932") return lead <= 0x9F || within(lead, 0xE0, 0xFC) ? 2 : 1;
    return lead <= 0xFE ? 2 : 1;
}

// The characters each double-byte standard ranks first, by the use its users make of them: Big5's
// frequent characters, GB 2312's first level, JIS's first level and the kana, KS X 1001's syllables.
bool isFrequent(const std::string &codePage, unsigned char lead, unsigned char trail) {
    if (codePage == "950") return within(lead, 0xA4, 0xC5) || (lead == 0xC6 && trail <= 0x7E);
    if (codePage == "936") return within(lead, 0xB0, 0xD7) && trail >= 0xA1;
    if (codePage == "932") return within(lead, 0x82, 0x83) || within(lead, 0x88, 0x98);
    if (codePage == "949") return within(lead, 0xB0, 0xC8) && trail >= 0xA1;
    return true;
}

// The one code point of a UTF-8 character; none when the text is not exactly one.
bool onlyCodePoint(const std::string &utf8, char32_t &c) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
    if (utf8.empty() || !isUtf8(utf8)) return false;
    const size_t length = byte(0) < 0x80 ? 1 : byte(0) < 0xE0 ? 2 : byte(0) < 0xF0 ? 3 : 4;
    if (utf8.size() != length) return false;
    c = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
    return true;
}

bool isAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

enum class Case { none, upper, lower };

// The case of the letters of the bicameral scripts the code pages hold.
Case caseOf(char32_t c) {
    if (within(c, 'A', 'Z') || (within(c, 0xC0, 0xDE) && c != 0xD7) || within(c, 0x388, 0x3AB) || c == 0x386 ||
        within(c, 0x400, 0x42F))
        return Case::upper;
    if (within(c, 'a', 'z') || (within(c, 0xDF, 0xFF) && c != 0xF7) || within(c, 0x3AC, 0x3CE) ||
        within(c, 0x430, 0x45F))
        return Case::lower;
    if (within(c, 0x100, 0x17F)) { // pairs, upper first, shifted by one from 0x139 to 0x148 and after 0x178
        const bool odd = (c & 1) != 0;
        const bool shifted = within(c, 0x139, 0x148) || c >= 0x179;
        return c == 0x138 || c == 0x149 || c == 0x178 ? Case::none : odd == shifted ? Case::upper : Case::lower;
    }
    return Case::none;
}

// Marks that sit on the letter before them: accents, Hebrew and Arabic points, Thai vowels and tones.
bool isMark(char32_t c) {
    return within(c, 0x300, 0x36F) ||
           (within(c, 0x591, 0x5C7) && c != 0x5BE && c != 0x5C0 && c != 0x5C3 && c != 0x5C6) ||
           within(c, 0x64B, 0x65F) || c == 0x670 || c == 0xE31 || within(c, 0xE34, 0xE3A) || within(c, 0xE47, 0xE4E);
}

bool isThaiLeadingVowel(char32_t c) { return within(c, 0xE40, 0xE44); }
bool isThaiConsonant(char32_t c) { return within(c, 0xE01, 0xE2E); }

// The shape of a word as its letters come: words of the code page's languages keep to it, bytes of
// another code page seldom do.
class WordShape {
public:
    explicit WordShape(bool latin) : latin_(latin) {}
    // False when the word cannot be one: a capital after a small letter (not both plain ASCII, as
    // in "McDonald"), a mark on no letter, a Thai vowel written before something other than a
    // consonant, ASCII letters together with an alphabet's letters, and in a Latin code page a
    // word of accented letters alone (the letters of another alphabet, read as Latin ones).
    bool take(char32_t c, const Character &character) {
        const bool letter = isAsciiLetter(c) || character.kind == Kind::letter;
        if (!letter) return end();
        if (leadingVowel_ && !isThaiConsonant(c)) return false;
        if (isMark(c) && !afterLetter_) return false;
        const Case now = caseOf(c);
        if (previousCase_ == Case::lower && now == Case::upper && !(previousAscii_ && c < 0x80)) return false;
        ascii_ = ascii_ || c < 0x80;
        ++letters_;
        alphabet_ = alphabet_ || isAlphabet(character.script);
        if (ascii_ && alphabet_) return false;
        leadingVowel_ = isThaiLeadingVowel(c);
        afterLetter_ = true;
        if (now != Case::none) previousCase_ = now;
        previousAscii_ = c < 0x80;
        return true;
    }
    bool end() {
        const bool whole = !leadingVowel_ && !(latin_ && letters_ > 1 && !ascii_);
        *this = WordShape{latin_};
        return whole;
    }

private:
    bool latin_;
    size_t letters_ = 0;
    bool ascii_ = false, alphabet_ = false, leadingVowel_ = false, afterLetter_ = false, previousAscii_ = false;
    Case previousCase_ = Case::none;
};

// Letters a code page holds beyond its language's own alphabet: the other Cyrillic languages'
// letters of 1251 and the capitals with tonos of 1253, Thai's two letters out of use.
bool isRareLetter(const std::string &codePage, unsigned char byte) {
    if (codePage == "1251" || codePage == "1253") return within(byte, 0x80, 0xBF);
    if (codePage == "874") return byte == 0xA3 || byte == 0xA5;
    return false;
}

// What a text's characters add up to under a code page.
struct Tally {
    double weight = 0;     // each letter 1, or 0.5 when its code page ranks it later; each sign 0.25
    size_t characters = 0; // outside ASCII
    size_t otherLetters = 0;
};

bool tally(const std::string &text, const std::string &codePage, Tally &sum) {
    const std::vector<Script> scripts = scriptsOf(codePage);
    WordShape word(scripts.front() == Script::latin);
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80 ? 1 : characterLength(codePage, lead);
        char32_t c = lead;
        if (lead >= 0x80 && (at + length > text.size() || !onlyCodePoint(toUtf8(text.substr(at, length), codePage), c)))
            return false;
        const Character character = lead < 0x80 ? Character{Kind::sign, Script::none} : classify(c);
        const bool home = std::find(scripts.begin(), scripts.end(), character.script) != scripts.end();
        if (character.kind == Kind::fault || (character.kind == Kind::letter && !home) || !word.take(c, character))
            return false;
        at += length;
        if (lead < 0x80) continue;
        ++sum.characters;
        const auto trail = static_cast<unsigned char>(length == 2 ? text[at - 1] : '\0');
        if (character.kind != Kind::letter)
            sum.weight += 0.25;
        else if (length == 2 ? !isFrequent(codePage, lead, trail) : isRareLetter(codePage, lead))
            sum.weight += 0.5, ++sum.otherLetters;
        else
            sum.weight += 1.0, ++sum.otherLetters;
    }
    return word.end();
}

// Whether a double-byte code page reads the text as frequent letters alone: bytes of another code
// page seldom pair up so, while a single-byte code page decodes almost any bytes into letters.
bool pairsIntoFrequentLetters(const std::string &text) {
    for (const std::string &codePage : gameCodePages()) {
        Tally sum;
        if (isDoubleByte(codePage) && tally(text, codePage, sum) && sum.characters > 0 &&
            sum.weight == static_cast<double>(sum.otherLetters) && sum.otherLetters == sum.characters)
            return true;
    }
    return false;
}

} // namespace

double textReading(const std::string &text, const std::string &codePage) {
    Tally sum;
    if (!tally(text, codePage, sum) || sum.characters == 0) return 0;
    const double reading = sum.weight / static_cast<double>(sum.characters);
    return !isDoubleByte(codePage) && pairsIntoFrequentLetters(text) ? reading / 2 : reading;
}

} // namespace simhost
