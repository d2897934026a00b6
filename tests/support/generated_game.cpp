#include "support/generated_game.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "support/game_writer.h"
#include "support/map_tree_writer.h"

namespace fs = std::filesystem;

namespace gamefile {

namespace {

// A word as the game names it (bytes in its code page) and as the folder names the file (UTF-8),
// in the same letter case and in upper case as Windows maps it.
struct Word {
    const char *codePageBytes;
    const char *utf8;
    const char *utf8Upper;
};

const Word k1252Words[] = {{"B\xE4ume", "Bäume", "BÄUME"},
                           {"H\xF6hle", "Höhle", "HÖHLE"},
                           {"Stra\xDF"
                            "e",
                            "Straße", "STRAßE"},
                           {"\xC9glise", "Église", "ÉGLISE"},
                           {"Ch\xE2teau", "Château", "CHÂTEAU"},
                           {"M\xFChle", "Mühle", "MÜHLE"}};
const Word k1251Words[] = {{"\xC4\xE5\xF0\xE5\xE2\xEE", "Дерево", "ДЕРЕВО"},
                           {"\xC3\xEE\xF0\xEE\xE4", "Город", "ГОРОД"},
                           {"\xCB\xE5\xF1", "Лес", "ЛЕС"},
                           {"\xCF\xE5\xF9\xE5\xF0\xE0", "Пещера", "ПЕЩЕРА"},
                           {"\xC7\xE0\xEC\xEE\xEA", "Замок", "ЗАМОК"},
                           {"\xD0\xE5\xEA\xE0", "Река", "РЕКА"}};
// 許 and 功 end in the byte '\\', which separates nothing inside a double-byte character.
const Word k950Words[] = {{"\xB4\xCB\xAA\x4C", "森林", "森林"}, {"\xAB\xB0\xA5\xAB", "城市", "城市"},
                          {"\xAC\x7D\xB8\x5D", "洞窟", "洞窟"}, {"\xB3\x5C\xC4\x40", "許願", "許願"},
                          {"\xA5\x5C\xA4\xD2", "功夫", "功夫"}, {"\xA7\xF8\xB2\xF8", "村莊", "村莊"}};

// Names of the panorama images, none holding the byte 0x47 that a map cannot hold before its
// layers.
const Word k1252Skies[] = {{"Abendr\xF6te", "Abendröte", "ABENDRÖTE"},
                           {"W\xFCste", "Wüste", "WÜSTE"},
                           {"Oc\xE9"
                            "an",
                            "Océan", "OCÉAN"}};
const Word k1251Skies[] = {{"\xCD\xE5\xE1\xEE", "Небо", "НЕБО"},
                           {"\xC7\xE0\xEA\xE0\xF2", "Закат", "ЗАКАТ"},
                           {"\xCC\xEE\xF0\xE5", "Море", "МОРЕ"}};
const Word k950Skies[] = {
    {"\xA4\xD1\xAA\xC5", "天空", "天空"}, {"\xA4\x69\xB6\xA7", "夕陽", "夕陽"}, {"\xA4\x6A\xAE\xFC", "大海", "大海"}};

struct WordList {
    const Word *words;
    size_t count;
};

WordList wordsOf(const std::string &codePage) {
    if (codePage == "1251") return {k1251Words, std::size(k1251Words)};
    if (codePage == "950") return {k950Words, std::size(k950Words)};
    return {k1252Words, std::size(k1252Words)};
}

WordList skiesOf(const std::string &codePage) {
    if (codePage == "1251") return {k1251Skies, std::size(k1251Skies)};
    if (codePage == "950") return {k950Skies, std::size(k950Skies)};
    return {k1252Skies, std::size(k1252Skies)};
}

// Repeatable on every machine, unlike the standard library's distributions.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 32);
    }
    int32_t below(int32_t bound) { return static_cast<int32_t>(next() % static_cast<uint32_t>(bound)); }

private:
    uint64_t state_;
};

// A file name of the game (in its code page) and the name its file has in the folder.
struct Name {
    std::string game;
    std::string file;
};

Name nameOf(const WordList &list, int32_t index) {
    const Word &word = list.words[size_t(index) % list.count];
    const std::string number = std::to_string(index / static_cast<int32_t>(list.count) + 1);
    // Every third file is named in upper case: a Windows host finds it all the same.
    return {word.codePageBytes + number, (index % 3 == 2 ? word.utf8Upper : word.utf8) + number};
}

// A paletted picture, painted in a host image of the stand-in host and written from it.
class Picture {
public:
    Picture(int32_t width, int32_t height) : image_(simhost::createImage()) {
        simhost::setImageSize(image_, width, height);
    }
    ~Picture() { simhost::destroyImage(image_); }
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    void colour(uint8_t index, uint32_t rgb) { image_->palette[index] = rgb; }
    void fill(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t index) {
        for (int32_t row = y; row < y + height; ++row)
            std::memset(image_->pixels + size_t(row) * size_t(image_->width) + size_t(x), index, size_t(width));
    }
    // The host takes file names as UTF-8 on Windows.
    bool write(const fs::path &file, std::string *error) const {
#ifdef _WIN32
        return simhost::writeImagePng(*image_, file.u8string(), error);
#else
        return simhost::writeImagePng(*image_, file.string(), error);
#endif
    }

private:
    FvHostImage *image_;
};

// Sixteen shades of one hue for each tileset, so that maps of different tilesets look apart.
bool writeTileset(int32_t tileset, const fs::path &file, std::string *error) {
    Picture picture(480, 256);
    const uint32_t hue = uint32_t(tileset) * 0x3A5F27u;
    for (uint32_t i = 1; i < 16; ++i)
        picture.colour(uint8_t(i), (((hue >> 16) & 0xFF) * i / 16) << 16 | (((hue >> 8) & 0xFF) * i / 16) << 8 |
                                       ((hue & 0xFF) * i / 16));
    for (int32_t y = 0; y < 256; y += 16) {
        for (int32_t x = 0; x < 480; x += 16) {
            const auto shade = static_cast<uint8_t>(1 + (x / 16 * 7 + y / 16 * 3) % 15);
            const bool upper = x >= 384 || (x >= 288 && y >= 128);
            if (x == 288 && y == 128) continue; // upper tile 10000, the empty one of real tilesets
            if (upper)
                picture.fill(x + 4, y + 4, 8, 8, shade); // an object on a transparent cell
            else
                picture.fill(x, y, 16, 16, shade);
        }
    }
    return picture.write(file, error);
}

// Eight characters of 3 x 4 frames of 24 x 32 pixels, each a figure of its own colour.
bool writeSheet(int32_t sheet, const fs::path &file, std::string *error) {
    Picture picture(288, 256);
    for (int32_t character = 0; character < 8; ++character)
        picture.colour(uint8_t(1 + character), characterColour(sheet, character));
    for (int32_t y = 0; y < 256; y += 32)
        for (int32_t x = 0; x < 288; x += 24)
            picture.fill(x + 6, y + 4, 12, 26, static_cast<uint8_t>(1 + x / 72 + 4 * (y / 128)));
    return picture.write(file, error);
}

constexpr int32_t kBackgroundRowsAColour = 16;

// Noise, as a photograph or a painted picture compresses no better.
bool writePicture(int32_t picture, const fs::path &file, std::string *error) {
    constexpr int32_t kSide = 128;
    Picture noise(kSide, kSide);
    Random random(uint32_t(picture) + 1);
    for (int32_t index = 0; index < 256; ++index) noise.colour(uint8_t(index), uint32_t(index) * 0x010101u);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) noise.fill(x, y, 1, 1, uint8_t(random.below(256)));
    return noise.write(file, error);
}

// A sky that darkens toward the top, one colour a row, so that the band's rows can be told apart.
bool writeBackground(int32_t background, const fs::path &file, std::string *error) {
    constexpr int32_t kWidth = 640, kHeight = 240;
    Picture picture(kWidth, kHeight);
    for (int32_t row = 0; row < kHeight; row += kBackgroundRowsAColour) {
        const auto index = static_cast<uint8_t>(1 + row / kBackgroundRowsAColour);
        picture.colour(index, backgroundRowColour(background, row));
        picture.fill(0, row, kWidth, kBackgroundRowsAColour, index);
    }
    return picture.write(file, error);
}

// Map sides whose last 7-bit group is not 71, which the writer cannot put before the layers.
int32_t side(Random &random, int32_t smallest, int32_t largest) {
    smallest = std::min(smallest, largest);
    int32_t value = smallest + random.below(largest - smallest + 1);
    while ((value & 0x7F) == 0x47) ++value;
    return value;
}

uint16_t lowerTile(Random &random) {
    switch (random.below(4)) {
    case 0: return static_cast<uint16_t>(random.below(2000));       // column autotiles
    case 1: return static_cast<uint16_t>(4000 + random.below(600)); // block autotiles
    default: return static_cast<uint16_t>(5000 + random.below(144));
    }
}

// Ground in patches of eight cells, objects in the upper layer here and there.
void fillLayers(simhost::GameMap &map, Random &random) {
    const int32_t patchesAcross = map.width / 8 + 1;
    std::vector<uint16_t> patches(size_t(patchesAcross) * size_t(map.height / 8 + 1));
    for (uint16_t &patch : patches) patch = lowerTile(random);
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) {
            map.lower.push_back(patches[size_t(y / 8) * size_t(patchesAcross) + size_t(x / 8)]);
            map.upper.push_back(static_cast<uint16_t>(random.below(10) == 0 ? 10001 + random.below(143) : 10000));
        }
    }
}

void addEvents(simhost::GameMap &map, Random &random, const std::vector<Name> &sheets) {
    const int32_t count = random.below(std::min(40, map.width * map.height / 20 + 1));
    for (int32_t id = 1; id <= count; ++id) {
        simhost::GameEvent event{id, "EV" + std::to_string(id), random.below(map.width), random.below(map.height), {}};
        for (int32_t page = 0, pages = 1 + random.below(3); page < pages; ++page) {
            simhost::GameEventPage shown;
            if (random.below(4) != 0) shown.sheetName = sheets[size_t(random.below(int32_t(sheets.size())))].game;
            shown.sheetIndex = random.below(8);
            shown.facing = random.below(4);
            event.pages.push_back(shown);
        }
        map.events.push_back(event);
    }
}

simhost::GameMap makeMap(Random &random, const GameShape &shape, const std::vector<Name> &sheets) {
    simhost::GameMap map;
    map.tilesetId = 1 + random.below(shape.tilesets);
    const bool large = random.below(10) == 0;
    const int32_t largest = std::max(shape.largestSide, 20);
    map.width = side(random, large ? 100 : 20, large ? largest : std::min(80, largest));
    map.height = side(random, large ? 80 : 15, large ? largest : std::min(60, largest));
    fillLayers(map, random);
    addEvents(map, random, sheets);
    return map;
}

simhost::GameTileset makeTileset(int32_t id, const Name &graphic, Random &random) {
    simhost::GameTileset tileset{id, graphic.game, graphic.game, {}, {}, {}};
    for (int32_t i = 0; i < simhost::kTilesetAttributeCount; ++i)
        tileset.attributes.push_back(uint16_t(random.below(4)));
    for (int32_t i = 0; i < simhost::kTilesetLowerFlagCount; ++i)
        tileset.lowerFlags.push_back(uint8_t(random.below(16)));
    for (int32_t i = 0; i < simhost::kTilesetUpperFlagCount; ++i)
        tileset.upperFlags.push_back(uint8_t(random.below(16)));
    return tileset;
}

// Actor n shows a character of sheet n - 1 (the sheets repeat when there are fewer).
std::vector<simhost::GameActor> makeActors(int32_t count, const std::vector<Name> &sheets) {
    std::vector<simhost::GameActor> actors;
    for (int32_t id = 1; id <= count && !sheets.empty(); ++id)
        actors.push_back({id, sheets[size_t(id - 1) % sheets.size()].game, (id - 1) % 8});
    return actors;
}

// ---- The lists of the events -------------------------------------------------------------------

constexpr int32_t kSharedView = 1;       // the common event of the values every set-up shares
constexpr int32_t kOtherCommand = 10110; // a command the stand-in host passes over

// What pages of real games hold besides Farview's lines: plain comments and other commands.
simhost::CommandListBytes everydayList(Random &random, const WordList &words) {
    std::vector<simhost::EventCommand> commands;
    for (int32_t i = 0, count = random.below(4); i < count; ++i) {
        const std::string word = nameOf(words, random.below(12)).game;
        if (random.below(2) == 0) {
            for (simhost::EventCommand &line : comment({word, "(" + word + ")"})) commands.push_back(line);
        } else {
            commands.push_back({kOtherCommand, 0, word, {random.below(100), 0}, 0});
        }
    }
    return commandList(commands);
}

simhost::GameEvent linesEvent(int32_t id, const char *name, int32_t trigger, Random &random, const simhost::GameMap &map,
                              std::vector<simhost::EventCommand> commands) {
    simhost::GameEvent event{id, name, random.below(map.width), random.below(map.height), {}};
    simhost::GameEventPage page;
    page.trigger = trigger;
    page.commands = commandList(commands);
    event.pages.push_back(page);
    return event;
}

// A map's set-up as an author writes it, with the events that turn its view.
void addSetUp(simhost::GameMap &map, Random &random, const WordList &words, bool turning) {
    const int32_t next = static_cast<int32_t>(map.events.size()) + 1;
    std::vector<simhost::EventCommand> background;
    if (map.hasBackground) background = comment({"@set_background \"Panorama/" + map.backgroundName + ".png\""});
    map.events.push_back(linesEvent(next, "Farview", simhost::triggers::kAutoStart, random, map,
                                    joined({comment({nameOf(words, random.below(12)).game}),
                                                 comment({"@load_map_to_texture"}), background,
                                                 {callCommonEvent(kSharedView)}, comment({"@init_mode7 true"})})));
    map.events.push_back(linesEvent(next + 1, "Look", simhost::triggers::kActionKey, random, map,
                                    comment({"@rotate_right_by 90"})));
    if (turning)
        map.events.push_back(linesEvent(next + 2, "Turn", simhost::triggers::kParallel, random, map,
                                        comment({"@rotate_to " + std::to_string(15 * random.below(24))})));
}

simhost::GameCommonEvent sharedView() {
    simhost::GameCommonEvent event;
    event.id = kSharedView;
    event.name = "Farview";
    event.commands = commandList(joined({comment({"@set_horizon 60, 20"}), comment({"@set_z_value 110"})}));
    return event;
}

bool makeFolders(const fs::path &folder, std::string *error) {
    std::error_code failure;
    for (const char *sub : {"ChipSet", "CharSet", "Panorama", "Picture"}) fs::create_directories(folder / sub, failure);
    if (failure && error != nullptr) *error = "cannot create " + folder.string() + ": " + failure.message();
    return !failure;
}

} // namespace

uint32_t characterColour(int32_t sheet, int32_t character) {
    return (uint32_t(sheet) * 0x2F1B3Du + uint32_t(character + 1) * 0x1F2F3Fu) & 0xFFFFFF;
}

uint32_t backgroundRowColour(int32_t background, int32_t row) {
    const uint32_t band = uint32_t(std::clamp(row, 0, 239)) / kBackgroundRowsAColour;
    const uint32_t light = 135 + band * 8;
    const uint32_t tint = uint32_t(background) * 0x2B1F07u;
    const uint32_t red = ((tint >> 16) & 0x3F) + 80, green = ((tint >> 8) & 0x3F) + 150, blue = (tint & 0x1F) + 224;
    return (light * red / 255) << 16 | (light * green / 255) << 8 | light * blue / 255;
}

GameShape smallGame(const std::string &codePage, int32_t maps) {
    GameShape shape;
    shape.maps = maps;
    shape.tilesets = 4;
    shape.sheets = 6;
    shape.codePage = codePage;
    shape.largestSide = 40;
    return shape;
}

bool writeGeneratedGame(const fs::path &folder, const GameShape &shape, GeneratedGame &game, std::string *error) {
    if (!makeFolders(folder, error)) return false;
    const WordList words = wordsOf(shape.codePage);
    Random random(shape.seed);
    game = GeneratedGame{};
    std::vector<Name> sheets;
    for (int32_t i = 0; i < shape.sheets; ++i) {
        sheets.push_back(nameOf(words, i));
        game.sheetNames.push_back(sheets.back().game);
        if (!writeSheet(i, folder / "CharSet" / fs::u8path(sheets.back().file + ".png"), error)) return false;
    }
    simhost::GameDatabase database;
    for (int32_t id = 1; id <= shape.tilesets; ++id) {
        const Name graphic = nameOf(words, id + 1); // not in step with the sheets' names
        game.graphicNames.push_back(graphic.game);
        game.graphicFiles.push_back("ChipSet/" + graphic.file + ".png");
        if (!writeTileset(id, folder / fs::u8path(game.graphicFiles.back()), error)) return false;
        database.tilesets.push_back(makeTileset(id, graphic, random));
    }
    database.actors = game.actors = makeActors(shape.actors, sheets);
    database.startingParty = shape.startingParty;
    if (shape.mapsPerSetUp > 0) database.commonEvents.push_back(sharedView());
    if (!writeDatabase(folder / "Game.ldb", database, error)) return false;
    const WordList skies = skiesOf(shape.codePage);
    for (int32_t background = 0; background < shape.backgrounds; ++background) {
        const Name name = nameOf(skies, background);
        game.backgroundNames.push_back(name.game);
        if (!writeBackground(background, folder / "Panorama" / fs::u8path(name.file + ".png"), error)) return false;
    }
    for (int32_t picture = 0; picture < shape.pictures; ++picture) {
        const fs::path file = folder / "Picture" / ("picture" + std::to_string(picture + 1) + ".png");
        if (!writePicture(picture, file, error)) return false;
    }
    // Drawn apart from the maps' own numbers, so that the maps stay as they were without backgrounds.
    Random backgroundRandom(shape.seed ^ 0x5BA5E5u);
    Random linesRandom(shape.seed ^ 0x11E5u); // likewise for the events' lists
    int32_t setUps = 0;
    simhost::MapTree tree{"Generated game", {}};
    for (int32_t i = 0; i < shape.maps; ++i) {
        const int32_t mapId = 1 + i + i / 10; // every eleventh id left out, as deleted maps leave them
        simhost::GameMap map = makeMap(random, shape, sheets);
        int32_t background = -1;
        if (shape.backgrounds > 0 && shape.mapsPerBackground > 0 &&
            backgroundRandom.below(shape.mapsPerBackground) == 0)
            background = backgroundRandom.below(shape.backgrounds);
        if (background >= 0) {
            map.hasBackground = true;
            map.backgroundName = game.backgroundNames[size_t(background)];
        }
        for (simhost::GameEvent &event : map.events)
            for (simhost::GameEventPage &page : event.pages) page.commands = everydayList(linesRandom, words);
        if (shape.mapsPerSetUp > 0 && linesRandom.below(shape.mapsPerSetUp) == 0) {
            addSetUp(map, linesRandom, words, setUps++ % 2 == 0);
            game.mapsWithLines.push_back(mapId);
        }
        if (!writeMap(folder / fs::u8path(simhost::mapFileName(mapId)), map, error)) return false;
        game.mapIds.push_back(mapId);
        game.mapTilesets.push_back(map.tilesetId);
        game.mapBackgrounds.push_back(background);
        tree.maps.push_back({mapId, nameOf(words, i).game});
    }
    return writeMapTree(folder / "Game.lmt", tree, error);
}

} // namespace gamefile
