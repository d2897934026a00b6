// Writes the first inputs of every fuzz target into FOLDER/<target>/: real map files, tileset
// records, a comment record for each keyword, view states of the common cases, PNGs of each bit
// depth, the game writer's map files and databases, and scripts of every step. The committed corpora grew from these by fuzzing and were then minimised; run this to
// start a corpus anew.
//
//   farview_fuzz_seeds FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <png.h>

#include "fuzz/fuzz_scene.h"
#include "host/farview_host.h"
#include "simhost/simhost.h"
#include "support/game_writer.h"
#include "support/mapfile_writer.h"
#include "tools/demo/demo_map.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

fs::path outputFolder;

void writeSeed(const std::string &target, const std::string &name, const Bytes &bytes) {
    const fs::path folder = outputFolder / target;
    fs::create_directories(folder);
    std::ofstream file(folder / ("seed-" + name), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
        std::exit(1);
    }
}

Bytes readFile(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The values of a fuzz input in the order the target takes them.
class ByteWriter {
public:
    template <typename T> ByteWriter &put(T value) {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
        return *this;
    }
    ByteWriter &putByte(int value) { return put(static_cast<uint8_t>(value)); }
    Bytes bytes;
};

// ---- map_load: map size, boundary cell, tileset record, map file ------------------------------

Bytes mapLoadInput(int32_t width, int32_t height, int column, int row, const Bytes &record, const Bytes &map) {
    Bytes input{static_cast<uint8_t>(width), static_cast<uint8_t>(height), static_cast<uint8_t>(column + 128),
                static_cast<uint8_t>(row + 128)};
    Bytes paddedRecord = record;
    paddedRecord.resize(simhost::kTilesetRecordSize, 0);
    input.insert(input.end(), paddedRecord.begin(), paddedRecord.end());
    input.insert(input.end(), map.begin(), map.end());
    return input;
}

mapfile::MapLayers layersOf(int32_t width, int32_t height, uint16_t lowerStep, uint16_t upperStep) {
    mapfile::MapLayers layers;
    layers.width = width;
    layers.height = height;
    for (int32_t i = 0; i < width * height; ++i) {
        layers.lower.push_back(static_cast<uint16_t>((i * lowerStep) % 5300));
        layers.upper.push_back(static_cast<uint16_t>(9950 + (i * upperStep) % 200));
    }
    return layers;
}

void writeMapLoadSeeds() {
    const simhost::TilesetTables tables{{1, 2, 3, 0xFFFF}, {0x0F, 0x10}, {0x30, 0x31}};
    const Bytes record = simhost::makeTilesetRecord("Fuzz", "Missing", tables);
    struct Case {
        const char *name;
        int32_t width, height;
        int column, row;
    };
    const Case cases[] = {{"map-20x15", 20, 15, 3, 4},  {"map-1x1", 1, 1, 0, 0},          {"map-0x0", 0, 0, 0, 0},
                          {"map-3x7", 3, 7, -1, 7},     {"map-128x64", 128, 64, 127, 63}, // 8192 cells
                          {"map-91x90", 91, 90, 90, 89}};                                 // 8190 cells
    for (const Case &c : cases) {
        const Bytes map = mapfile::encodeMapFile(layersOf(c.width, c.height, 37, 11));
        writeSeed("map_load", c.name, mapLoadInput(c.width, c.height, c.column, c.row, record, map));
    }
    // Map bigger than the host says, smaller than it says, and cut short inside the layers.
    const Bytes map = mapfile::encodeMapFile(layersOf(8, 8, 101, 3));
    writeSeed("map_load", "host-smaller", mapLoadInput(4, 4, 1, 1, record, map));
    writeSeed("map_load", "host-larger", mapLoadInput(12, 9, 1, 1, record, map));
    writeSeed("map_load", "cut-short", mapLoadInput(8, 8, 1, 1, record, Bytes(map.begin(), map.begin() + 60)));
    writeSeed("map_load", "single-name",
              mapLoadInput(2, 2, 0, 0, simhost::makeTilesetRecord("", "Only"),
                           mapfile::encodeMapFile(layersOf(2, 2, 1000, 1))));
}

// ---- tileset_names: the tileset record --------------------------------------------------------

void writeTilesetSeeds() {
    writeSeed("tileset_names", "two-names", simhost::makeTilesetRecord("Fields", "Outside"));
    writeSeed("tileset_names", "one-name", simhost::makeTilesetRecord("", "Dungeon"));
    for (size_t length : {0, 3, 4, 5, 8, 255}) {
        writeSeed("tileset_names", "first-length-" + std::to_string(length),
                  simhost::makeTilesetRecord(std::string(length, 'a'), "Graphic"));
    }
    writeSeed("tileset_names", "second-length-255", simhost::makeTilesetRecord("Name", std::string(255, 'g')));
    Bytes marker38 = simhost::makeTilesetRecord("", "Caves");
    marker38[672 + 4] = 38;
    writeSeed("tileset_names", "marker-38", marker38);
    Bytes check = simhost::makeTilesetRecord("Town", "Town");
    check[660] = 100;
    writeSeed("tileset_names", "check-100", check);
    check[660] = 101;
    writeSeed("tileset_names", "check-101", check);
    const Bytes full = simhost::makeTilesetRecord("Forest", "Trees");
    writeSeed("tileset_names", "short-record", Bytes(full.begin(), full.begin() + 686));
}

// ---- comment: a parsed comment record for each keyword ----------------------------------------

using simhost::number;
using simhost::text;

void writeComment(const std::string &name, const std::string &command,
                  const std::vector<simhost::CommentArgument> &arguments) {
    const FvParsedComment record = simhost::makeComment(command, arguments);
    Bytes bytes(reinterpret_cast<const uint8_t *>(&record), reinterpret_cast<const uint8_t *>(&record) + sizeof record);
    while (!bytes.empty() && bytes.back() == 0) bytes.pop_back(); // the target fills with zeros
    writeSeed("comment", name, bytes);
}

void writeCommentSeeds() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    writeComment("rotate_to", "rotate_to", {number(450)});
    writeComment("rotate_to-nan", "rotate_to", {number(nan)});
    writeComment("rotate_right_by", "rotate_right_by", {number(100)});
    writeComment("rotate_left_by", "rotate_left_by", {number(-1e300)});
    writeComment("change_hero_sprite", "change_hero_sprite",
                 {text(fuzz::kSceneStrip), number(24), number(32), number(8)});
    writeComment("add_sprite-7", "add_sprite",
                 {text("tree"), text(fuzz::kSceneSprite), number(24), number(32), number(1), number(1), number(1)});
    writeComment("add_sprite-9", "add_sprite",
                 {text("guard"), text(fuzz::kSceneStrip), number(24), number(32), number(8), number(1), number(2),
                  number(-4), number(70000)});
    writeComment("set_background", "set_background", {text(fuzz::kSceneBackground)});
    writeComment("swap_tile", "swap_tile", {});
    writeComment("load_map_to_texture", "load_map_to_texture", {});
    writeComment("set_boundary_texture-2", "set_boundary_texture", {number(2), number(3)});
    writeComment("set_boundary_texture-3", "set_boundary_texture", {number(2), number(3), number(4)});
    writeComment("set_texture_scale", "set_texture_scale", {number(300)});
    writeComment("set_z_value", "set_z_value", {number(infinity)});
    writeComment("set_horizon", "set_horizon", {number(80.9), number(-2.7)});
    writeComment("set_rotational_offset", "set_rotational_offset", {number(-100)});
    writeComment("set_wrapping", "set_wrapping", {text("Yes")});
    writeComment("set_mode7_picture_id", "set_mode7_picture_id", {number(3)});
    writeComment("init_mode7", "init_mode7", {text("t")});
    writeComment("load_boundary_texture", "load_boundary_texture", {});
    writeComment("is_mode7_rendering", "is_mode7_rendering", {number(5)});
    writeComment("is_mode7_rendering-huge", "is_mode7_rendering", {number(2147483647.0)});
    writeComment("usingBackground", "usingBackground", {number(0)});
    writeComment("upper-case", "SET_Z_VALUE", {number(1)});
    writeComment("trailing-blank", "set_z_value ", {number(1)});
}

// ---- view_state and floor_paths: numbers of the view, characters and placements --------------

struct ViewSeed {
    uint8_t map = 0;
    float zValue = 90.0f;
    int32_t horizonOffset = 25;
    int32_t horizon = 50;
    float textureScaleX = 260.0f;
    float textureScaleY = 260.0f;
    float rotationAngle = 270.0f;
    float rotationalOffset = 100.0f;
    int32_t backgroundWidth = 360;
    float backgroundPixelsPerDegree = 1.0f;
    bool usingBackground = true;
    bool wrapping = false;
    uint8_t missingImages = 0;
    int32_t scrollX = 0, scrollY = 0;
    int32_t heroColumn = 1, heroRow = 1;
};

void putCharacter(ByteWriter &out, int sheet, int32_t facing, int32_t step, int32_t sheetIndex) {
    out.putByte(sheet).put(facing).put(step).put(sheetIndex);
}

Bytes viewInput(const ViewSeed &v, bool withSprites) {
    ByteWriter out;
    out.putByte(v.map).put(v.zValue).put(v.horizonOffset).put(v.horizon).put(v.textureScaleX).put(v.textureScaleY);
    out.put(v.rotationAngle).put(v.rotationalOffset).put(v.backgroundWidth).put(v.backgroundPixelsPerDegree);
    out.putByte(v.usingBackground).putByte(v.wrapping).putByte(v.missingImages);
    out.put(v.scrollX).put(v.scrollY).put(v.heroColumn).put(v.heroRow);
    putCharacter(out, 0, 0, 1, 0);
    if (!withSprites) {
        out.putByte(0).putByte(1).putByte(0).putByte(1).putByte(0); // no events, no placements, default pitch
        return out.bytes;
    }
    out.putByte(3); // events 1 to 3, in front of the hero and beside him
    out.put(int32_t{1}).put(int32_t{0});
    putCharacter(out, 0, 2, 3, 5);
    out.put(int32_t{3}).put(int32_t{1});
    putCharacter(out, 1, 1, 0, 47);
    out.put(int32_t{0}).put(int32_t{0});
    putCharacter(out, 2, 3, 2, 1);
    out.putByte(1);                                                // the event list is there
    out.putByte(6);                                                // placements:
    out.putByte(0).put(uint16_t{24}).put(uint16_t{32}).putByte(0); // the hero
    out.putByte(1).put(uint16_t{24}).put(uint16_t{32}).putByte(0); // event 1 from its sheet
    out.putByte(2).put(uint16_t{16}).put(uint16_t{16}).putByte(0); // event 2 as a tile
    out.putByte(3).put(uint16_t{24}).put(uint16_t{32}).putByte(1); // event 3, a single picture
    out.putByte(0).put(uint16_t{1}).put(uint16_t{1}).putByte(0).put(uint16_t{4}).put(uint16_t{2}).putByte(1);
    out.putByte(1).put(uint16_t{24}).put(uint16_t{32}).putByte(1); // event 1, a strip of eight views
    out.putByte(1).put(uint16_t{8}).put(uint16_t{1}).putByte(2).put(uint16_t{0}).put(uint16_t{0}).putByte(0);
    out.putByte(6).put(uint16_t{24}).put(uint16_t{32}).putByte(0); // a character the host does not have
    out.putByte(1);                                                // placements made on this map
    out.putByte(0);                                                // default screen pitch
    return out.bytes;
}

// The view state and floor path targets read the same input.
void writeViewSeed(const std::string &name, const Bytes &bytes) {
    writeSeed("view_state", name, bytes);
    writeSeed("floor_paths", name, bytes);
}

void writeViewSeeds() {
    ViewSeed v;
    writeViewSeed("defaults", viewInput(v, false));
    writeViewSeed("defaults-sprites", viewInput(v, true));
    ViewSeed turned = v;
    turned.rotationAngle = 45.0f;
    turned.wrapping = true;
    writeViewSeed("wrapping-45", viewInput(turned, true));
    ViewSeed edges = v;
    edges.rotationAngle = 0.0f;
    edges.horizon = 240;
    edges.map = 1;
    writeViewSeed("horizon-240-one-cell", viewInput(edges, true));
    ViewSeed wide = v;
    wide.map = 2;
    wide.horizon = -5;
    wide.horizonOffset = -100;
    wide.scrollX = 16 * 30000;
    wide.heroColumn = 2000;
    writeViewSeed("wide-map-vanishing-row", viewInput(wide, true));
    ViewSeed broken = v;
    broken.zValue = std::numeric_limits<float>::quiet_NaN();
    broken.textureScaleX = std::numeric_limits<float>::infinity();
    broken.rotationalOffset = -std::numeric_limits<float>::infinity();
    broken.missingImages = 0x0E;
    writeViewSeed("nan-and-infinities", viewInput(broken, true));
    ViewSeed huge = v;
    huge.zValue = 3e38f;
    huge.textureScaleX = 1e-30f;
    huge.rotationAngle = 1e30f;
    huge.backgroundPixelsPerDegree = 1e30f;
    huge.backgroundWidth = 1;
    huge.heroColumn = std::numeric_limits<int32_t>::min();
    huge.heroRow = std::numeric_limits<int32_t>::max();
    writeViewSeed("huge-values", viewInput(huge, true));
}

// ---- png_load: PNGs of each bit depth ---------------------------------------------------------

// A PNG written directly with libpng, for the kinds the host's writer does not make.
bool writePng(const std::string &path, uint32_t width, uint32_t height, int bitDepth, int colourType, bool interlaced,
              int paletteSize) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, bitDepth, colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (int i = 0; i < paletteSize; ++i)
        palette.push_back(
            {static_cast<png_byte>(i * 17), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 5)});
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), paletteSize);
    png_write_info(png, info);
    const int channels = colourType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    const size_t rowBytes = (static_cast<size_t>(width) * channels * bitDepth + 7) / 8;
    std::vector<png_byte> row(rowBytes);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < height; ++y) {
            for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<png_byte>((i * 7 + y * 13) & 0xFF);
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

void writePngSeeds() {
    const fs::path scratch = outputFolder / "png-scratch";
    fs::create_directories(scratch);
    auto keep = [&](const std::string &name, bool written) {
        if (!written) {
            std::fprintf(stderr, "cannot write the PNG seed %s\n", name.c_str());
            std::exit(1);
        }
        writeSeed("png_load", name, readFile(scratch / name));
    };
    for (int depth : {1, 2, 4, 8}) {
        const std::string name = "palette-" + std::to_string(depth) + "-bit.png";
        keep(name, writePng((scratch / name).string(), 13, 5, depth, PNG_COLOR_TYPE_PALETTE, false, 1 << depth));
    }
    keep("palette-4-bit-interlaced.png",
         writePng((scratch / "palette-4-bit-interlaced.png").string(), 9, 9, 4, PNG_COLOR_TYPE_PALETTE, true, 16));
    keep("rgb.png", writePng((scratch / "rgb.png").string(), 4, 4, 8, PNG_COLOR_TYPE_RGB, false, 0));
    keep("grey-2-bit.png", writePng((scratch / "grey-2-bit.png").string(), 4, 4, 2, PNG_COLOR_TYPE_GRAY, false, 0));
    // The host's own writer: 8-bit indices, 256 entries.
    for (auto [width, height] : {std::pair{1, 1}, std::pair{24, 32}}) {
        FvHostImage *image = simhost::createImage();
        simhost::setImageSize(image, width, height);
        for (int32_t i = 0; i < width * height; ++i) image->pixels[i] = static_cast<uint8_t>(i * 31);
        for (uint32_t i = 0; i < 256; ++i) image->palette[i] = i * 0x010203u;
        const std::string name = "host-" + std::to_string(width) + "x" + std::to_string(height) + ".png";
        keep(name, simhost::writeImagePng(*image, (scratch / name).string(), nullptr));
        simhost::destroyImage(image);
    }
    fs::remove_all(scratch);
}

// ---- game_files: map files and databases of the game writer -----------------------------------

void writeGameFileSeeds() {
    simhost::GameMap map;
    map.tilesetId = 3;
    map.width = 4;
    map.height = 3;
    for (int32_t i = 0; i < 12; ++i) {
        map.lower.push_back(static_cast<uint16_t>(4000 + 37 * i));
        map.upper.push_back(static_cast<uint16_t>(10000 + i));
    }
    map.events.push_back({1, "Walker", 2, 1, {gamefile::sheetPage("walker", 3, 1, 0), gamefile::sheetPage("", 7, 2, 1)}});
    map.events.push_back({-5, "", 0, 0, {}});
    writeSeed("game_files", "map-with-events", gamefile::encodeMap(map));
    simhost::GameMap defaults; // 20 x 15, tileset 1: no size or tileset section
    defaults.lower.assign(300, 5000);
    defaults.upper.assign(300, 10000);
    writeSeed("game_files", "map-defaults", gamefile::encodeMap(defaults));
    simhost::GameMap empty;
    empty.width = 0;
    empty.height = 9;
    writeSeed("game_files", "map-no-cells", gamefile::encodeMap(empty));
    writeSeed("game_files", "database-demo", gamefile::encodeDatabase(preview::demo::makeDemoDatabase()));
    simhost::GameDatabase db;
    db.tilesets.push_back({1, "Fields", "fields", {}, {}, {}});
    db.tilesets.push_back({2, "Caves", "caves", std::vector<uint16_t>(162, 0x0F0F), std::vector<uint8_t>(162, 1),
                           std::vector<uint8_t>(144, 2)});
    writeSeed("game_files", "database-two-tilesets", gamefile::encodeDatabase(db));

    // The hero's look and the map's background: actors, a starting party, a background image.
    simhost::GameMap withBackground = defaults;
    withBackground.hasBackground = true;
    withBackground.backgroundName = "Sky";
    writeSeed("game_files", "map-background", gamefile::encodeMap(withBackground));
    db.actors = {{1, "Hero", 2}, {3, "Mage", 5}, {4, "", 0}};
    db.startingParty = {3, 1};
    writeSeed("game_files", "database-party", gamefile::encodeDatabase(db));
    // As real files may hold it: the System's sub-sections without an end mark, an id past the
    // party's size.
    auto section = [](uint32_t id, const Bytes &data) {
        Bytes out = gamefile::encodeInteger(static_cast<int32_t>(id));
        out.push_back(static_cast<uint8_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        return out;
    };
    Bytes system = section(0x15, {2});
    const Bytes members = section(0x16, {3, 0, 1, 0, 9, 0});
    system.insert(system.end(), members.begin(), members.end());
    Bytes file = gamefile::encodeDatabase({});
    const Bytes systemSection = section(0x16, system);
    file.insert(file.end(), systemSection.begin(), systemSection.end());
    writeSeed("game_files", "database-system-no-end-mark", file);
}

// ---- preview_script: scripts of every step ----------------------------------------------------

void writeScript(const std::string &name, const std::string &text) {
    writeSeed("preview_script", name, Bytes(text.begin(), text.end()));
}

void writeScriptSeeds() {
    writeScript("enter-and-frames", "# a map of the game folder\nenter 1\nhero 2 2 1\n@load_map_to_texture\n"
                                    "@init_mode7 true\nframe start.png\nexpect drawn true\n");
    writeScript("map-and-tileset", "map 3 10 8\ntileset \"Fields\" fields\nhero 1 1\n"
                                   "event 4 2 2 walker 1\nevent 5 3 3 \"\" 12\nframe\n");
    writeScript("characters", "enter 1\nevent 1 1 1\nmove hero 1 -1\nmove 1 2 0\nface hero 3\nface 1 0\n"
                              "sheet hero hero 2\nsheet 1 \"\" 5\npose hero 3\npose 1 2\n");
    writeScript("view", "scroll 16 -32\nscroll follow\npictures 1 2 3\nframe f{n}.png 2 1\nexpect drawn true\n");
    writeScript("comments", "@set_horizon 80, 10\nexpect returned false\n@Not_a_keyword \"a, b\", 3.5\n"
                            "expect returned true\n  @usingBackground \"t\"\n");
    writeScript("repeat-gif", "gif turn.gif 50\nrepeat 3\n@rotate_right_by 15\nrepeat 2\nframe t{n}.png\nend\nend\n"
                              "gif end\ntitle\n");
    writeScript("expect-variable", "@is_mode7_rendering 5\nexpect variable 5 1\n");
    writeScript("bad-line", "hero one two\n");
    writeScript("enter-missing", "enter 7\n");
    writeScript("enter-unknown-tileset", "enter 2\n");
}

// ---- command_list: event pages' lists ------------------------------------------------------------

void writeCommandListSeeds() {
    using gamefile::comment;
    std::vector<simhost::EventCommand> lines = comment({"@load_map_to_texture"});
    for (const simhost::EventCommand &line : comment({"@set_horizon 80, 10", "a second line"}, 1)) lines.push_back(line);
    lines.push_back(gamefile::callCommonEvent(3));
    lines.push_back({10110, 2, "another command", {-1, 70000, 0}, 0});
    const Bytes list = gamefile::encodeCommandList(lines);
    writeSeed("command_list", "lines-and-a-call", list);
    writeSeed("command_list", "end-alone", gamefile::encodeCommandList({}));
    writeSeed("command_list", "empty", {});
    writeSeed("command_list", "cut-short", Bytes(list.begin(), list.end() - 1));
    Bytes trailing = list;
    trailing.push_back(0);
    writeSeed("command_list", "after-the-end", trailing);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    outputFolder = fs::absolute(argv[1]);
    writeMapLoadSeeds();
    writeTilesetSeeds();
    writeCommentSeeds();
    writeViewSeeds();
    writePngSeeds();
    writeGameFileSeeds();
    writeScriptSeeds();
    writeCommandListSeeds();
    std::printf("seeds written into %s\n", outputFolder.c_str());
    return 0;
}
