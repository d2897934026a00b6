// A game folder as the stand-in host reads it: its map files and its database, the game's Windows
// code page, and file names matched the way Windows matches them. The plug-in never reads these;
// it reads only the two tile layers of a map file, itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_data.h"

namespace simhost {

// ---- The files (game_folder_files.cpp) -------------------------------------------------------
// Both kinds hold a length-prefixed signature text (any text is accepted), then sections: an id, a
// byte length and that many bytes of data. A map file's sections end with an id 0; a database's
// end at the end of the file, or at an id 0 before it. Lists inside a section (events and their
// pages, tilesets) give their entries' count, and each entry's sub-sections end with an id 0.
// Ids, lengths and integers are big-endian groups of 7 bits, the high bit set on every group but
// the last, at most 5 groups and 32 bits; a negative value is its 32-bit two's complement. Unknown
// sections and sub-sections are passed over by their length.
//
// A file that breaks the rules is refused: false, and *error names fileName and the byte offset
// of the fault. Nothing is read past the end of the bytes given. Texts are kept in the code page.

// Sections 1 tileset, 2 width, 3 height, 0x1F whether the map has a background (any value but 0:
// it has), 0x20 the background's name, 0x47 and 0x48 the layers (width * height little-endian ids
// each), 0x51 the events. Sections left out take the defaults of game_data.h.
bool readMapFile(const std::vector<uint8_t> &bytes, const std::string &fileName, GameMap &map, std::string *error);

// Section 0x14, the tileset list: tables, when present, hold exactly 162, 162 and 144 entries.
// Section 0x0B, the actor list (sub-sections 3 the sheet's name, 4 its index), and section 0x16,
// the System (sub-sections 0x15 the starting party's size, 0x16 its members, 16-bit little-endian
// each; ids past the size are passed over). The System's sub-sections end with an id 0 or at the
// section's end. A fault inside the actor list or the System is kept in db.actorsFault or
// db.partyFault, with the file and the byte, and the rest of the database is read; only a fault in
// the tileset list or in the sections' own lengths refuses the file.
bool readDatabase(const std::vector<uint8_t> &bytes, const std::string &fileName, GameDatabase &db, std::string *error);

// The largest game file read: more is refused before it is read into memory. The largest map
// the plug-in can read takes 4 MiB.
constexpr uintmax_t kMaxGameFileBytes = 16u << 20;

// The whole file; false with a message naming it when it is missing, unreadable or too large.
bool readGameFile(const std::filesystem::path &path, std::vector<uint8_t> &bytes, std::string *error);
// The same as text (a script, a list of inputs).
bool readTextFile(const std::filesystem::path &path, std::string &text, std::string *error);

// ---- Files on their way (game_folder_files.cpp) ----------------------------------------------
// The page copies a large game's files in as its views need them: each file not yet copied is an
// empty stand-in of its name, listed here, so that names are found as in the real folder. Reading
// one (readGameFile, the image loader) fails, saying it is still being read in, and asks for it:
// the page copies in what was asked for and tries again. Paths are absolute or taken from the
// current directory.

// The files on their way from now on (none: every file is whole, the default).
void setFilesOnTheirWay(const std::vector<std::filesystem::path> &files);
void fileArrived(const std::filesystem::path &file);
// Whether the file is on its way, without asking for it (for what reads a file only if it is there).
bool fileOnItsWay(const std::filesystem::path &file);
// The files a read asked for since the last call, each once, absolute.
std::vector<std::filesystem::path> takeAskedFiles();
// How many times a read has asked for a file so far: a step that reads compares it before and after.
size_t filesAskedSoFar();

// The database's tileset with this id; nullptr when it holds none.
const GameTileset *findTileset(const GameDatabase &db, int32_t id);

// The files the plug-in and the host load for a tileset's graphic and a character sheet, by the
// names the game gives them: "ChipSet/" + name + ".png", "CharSet/" + name + ".png".
std::string chipSetFile(const std::string &graphicName);
std::string charSetFile(const std::string &sheetName);

// Whether every byte of the text is ASCII, which reads the same in every code page.
bool isAscii(const std::string &text);

// ---- Code page and file names (game_folder_names.cpp) ----------------------------------------

// The Windows code pages a game may be written in, by number: 1252 first, then 1250, 1251, 1253 to
// 1258 and 874 (one byte a character), then 932, 936, 949 and 950 (one or two bytes).
const std::vector<std::string> &gameCodePages();

// The game's code page, one of gameCodePages(); the default is 1252. Another name is refused with
// a message and leaves the code page as it was.
bool setCodePage(const std::string &name, std::string *error);
const std::string &codePage();

// The text converted from the game's code page to UTF-8. A byte the code page does not define
// becomes U+FFFD.
std::string toUtf8(const std::string &text);
// Whether the text is whole UTF-8 characters, none of them encoded longer than it needs.
bool isUtf8(const std::string &text);
// UTF-8 text converted into the game's code page; nothing when it is not UTF-8 or holds a
// character the code page does not have.
std::optional<std::string> fromUtf8(const std::string &utf8);

// The path to open for a file name the game gives, as Windows would match it: the exact name
// first, then without regard to letter case in each path component, the folder's names taken as
// bytes in the code page, then as UTF-8 after converting the name from the code page (where '\'
// separates components too). Case is ignored as Windows ignores it: each UTF-16 unit stands for
// its simple upper case, for the letters of every code page accepted (Latin, Greek, Cyrillic,
// full-width Latin). Relative names are taken from the current directory (or from folder). The
// name unchanged when no file matches.
std::string resolveGameFile(const std::string &name);
std::filesystem::path resolveGameFile(const std::filesystem::path &folder, const std::string &name);

// ---- The standard graphics (game_folder_names.cpp) -------------------------------------------
// A project fresh from the editor holds only its author's own graphics: its standard chipsets,
// sheets and backgrounds come from the engine's standard-graphics package, installed once in a
// folder of its own. The host's image loader looks in the game folder first, then there, with the
// same rules for both (resolveGameFile).

// The folder of the standard graphics, absolute; empty: none (the default).
void setStandardGraphicsFolder(const std::filesystem::path &folder);
const std::filesystem::path &standardGraphicsFolder();

// How a person names that folder in the program at hand, for the message of a missing file (by
// default "--standard-graphics DIR or the environment variable FARVIEW_STANDARD_GRAPHICS").
void setHowToNameStandardGraphics(const std::string &how);

enum class GraphicSource { gameFolder, standardGraphics, nowhere };

struct GraphicFile {
    std::filesystem::path path; // the file to open; the name in the game folder when it is nowhere
    GraphicSource source = GraphicSource::nowhere;
};

// The file a graphic's name (in the game's code page) names: in folder (relative names from the
// current directory when folder is empty), else, for a relative name, in the standard graphics.
GraphicFile findGraphicFile(const std::filesystem::path &folder, const std::string &name);

// Why a graphic is nowhere, for "Cannot load image "NAME": ...": where the host looked, and how
// the standard-graphics folder is named when none is.
std::string graphicNotFoundReason();

// ---- The game folder (game_folder.cpp) -------------------------------------------------------

struct GameFolder {
    std::filesystem::path folder;       // absolute
    std::filesystem::path databasePath; // empty when the folder holds no database
    // What the first gameDatabase() read: the database, or why it cannot be read. Kept as a cache
    // is, so that a game opened once can be handed round read-only.
    mutable std::optional<GameDatabase> database;
    mutable std::string databaseFault;
};

// Opens a game folder: finds its one database file (any name ending in ".ldb", in any letter
// case) without reading it. A folder without one has no database; two or more are refused,
// naming them.
bool openGame(const std::filesystem::path &folder, GameFolder &game, std::string *error);

// The game's database, read when it is first asked for; nullptr with a message naming the file
// (the same message every time) when the folder has none or it cannot be read.
const GameDatabase *gameDatabase(const GameFolder &game, std::string *error);

// "Map" + the id in decimal with at least four digits + ".lmu": Map0001.lmu, Map12345.lmu.
std::string mapFileName(int32_t mapId);

// The file of a map's background, as the host's image loader finds it: "Panorama/" + the name the
// map gives + ".png".
std::string backgroundFile(const std::string &backgroundName);

// The ids of the map files in the folder (mapFileName in any letter case), in ascending order.
std::vector<int32_t> gameMapIds(const GameFolder &game);

// For the message of a folder without map files: the folders right inside it that hold some, for a
// person who chose the folder a game was unpacked into ("; the folder "Game" in it holds map files:
// choose that one"). Nothing when the folder holds map files itself or none inside it does. Names
// are in UTF-8.
std::string gameFoldersInsideNote(const std::filesystem::path &folder);

// Enters map mapId in the stand-in host: reads "Map" + the id with at least four digits + ".lmu"
// from the game folder, then sets the host's map size, its tileset record (from the database's
// tileset with the map's tileset number), its events (each shown by its first page; an event with
// no page as tile 0) and the hero's map id. The hero's position and the scroll are left alone, and
// so is the tileset record when the game has no database. On failure (the database's among them)
// the host is unchanged.
//
// The plug-in reads the map file and its images relative to the current directory: make
// game.folder the current directory before it runs. With entered, the map as read goes there.
bool enterMap(const GameFolder &game, int32_t mapId, std::string *error, GameMap *entered = nullptr);

// The map the hero entered last through enterMap, as read (its events and their lists); nullptr
// after resetEngine or forgetEnteredMap (for a map the host opens without a game folder).
const GameMap *enteredMap();
void forgetEnteredMap();

// ---- The hero as the game starts him (game_folder.cpp) ---------------------------------------

// The hero's look: the character sheet of the starting party's first member, or of actor 1 when
// the party is empty.
struct HeroSheet {
    int32_t actorId = 0;    // the actor it is taken from
    bool fromParty = false; // the party's first member (else actor 1, the party being empty)
    bool actorFound = false;
    std::string sheetName; // in the game's code page; empty: no sheet (none given, or no actor)
    int32_t sheetIndex = 0;
};

// The hero's look in the game's database. False with the fault (file and byte) when the actor list
// or, for the party, the System cannot be read: then the hero has no sheet.
bool heroSheet(const GameDatabase &db, HeroSheet &sheet, std::string *error);

// ---- The game's code page, found by its file names and texts (game_folder_code_page.cpp) -----

// The files the game's database and maps name, each once, in the game's code page: "ChipSet/" +
// each tileset's graphic + ".png", "CharSet/" + each actor's and event page's sheet + ".png" and
// "Panorama/" + each map's background + ".png". A database or map that cannot be read gives none.
std::vector<std::string> namedGameFiles(const GameFolder &game);

// The files map mapId shows when it is entered, each once, in the game's code page: its tileset's
// graphic, the sheets of its events' first pages and its background ("Panorama/" + name + ".png").
// None when the map or the database cannot be read.
std::vector<std::string> filesShownByMap(const GameFolder &game, int32_t mapId);

struct CodePageChoice {
    std::string codePage;    // 1252 when neither the names nor the texts decide
    size_t weighed = 0;      // the names weighed: those not in ASCII, at most kMostNamesWeighed
    size_t found = 0;        // of them, the ones found under codePage
    size_t textsWeighed = 0; // the texts weighed (chooseGameCodePage): those not in ASCII
    size_t textsRead = 0;    // of them, the ones that read right under codePage
};

// The names a choice weighs at most: enough to tell code pages apart, few enough to be quick.
constexpr size_t kMostNamesWeighed = 32;
// Likewise the texts.
constexpr size_t kMostTextsWeighed = 64;

// The code page of gameCodePages() under which the most of names (file names the game gives, in
// its code page, relative to folder) name files of the folder or of the standard graphics; of
// those that find as many, the first listed. Names in ASCII read the same in every code page and
// are not weighed.
CodePageChoice chooseCodePage(const std::filesystem::path &folder, const std::vector<std::string> &names);

// What the game says in its code page: the files it names (as namedGameFiles) and its texts (the
// map tree's title and names, the database's tileset and common-event names, the events' names),
// each once and those outside ASCII only, at most kMostNamesWeighed and kMostTextsWeighed. Maps are
// read once each, in order, and no more once both lists are full.
struct GameWords {
    std::vector<std::string> fileNames;
    std::vector<std::string> texts;
};
GameWords gameWords(const GameFolder &game);

// How well a text reads under a code page, from 0 to 1: 0 unless its bytes are whole, defined
// characters there, every letter of them of the scripts that code page is written in (and, for
// the Latin pages, most of its letters plain ASCII, as in words of those languages); more the more
// of its characters are letters rather than signs, and letters its language uses often.
double textReading(const std::string &text, const std::string &codePage);

// The game's code page: the one under which its file names find the most files (chooseCodePage),
// the strongest evidence; when none finds any, the one under which its texts read best (the sum of
// textReading; of those that read as well, the first listed); when nothing reads right, 1252.
CodePageChoice chooseGameCodePage(const GameFolder &game);

} // namespace simhost
