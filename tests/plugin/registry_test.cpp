// The sprite registry as the commands fill it: the characters of a loaded map, added sprites and
// their definitions, the hero's sprite, the image cache, and what the title-screen reset frees.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "plugin/comment_builder.h"
#include "render/frame.h"

namespace {

using farview::SpriteDefinition;
using farview::SpritePlacement;
using farview_test::command;
using farview_test::CommentRecord;
using farview_test::interpret;

farview::SpriteRegistry &registry() { return farview::spriteRegistry; }
const SpritePlacement &placement(size_t i) { return *registry().placements.at(i); }

bool addSprite(const std::string &key, const std::string &image, std::initializer_list<double> numbers) {
    CommentRecord comment("add_sprite");
    comment.text(key).text(image);
    for (double value : numbers) comment.number(value);
    return interpret(comment);
}

bool changeHeroSprite(const std::string &image, std::initializer_list<double> numbers) {
    CommentRecord comment("change_hero_sprite");
    comment.text(image);
    for (double value : numbers) comment.number(value);
    return interpret(comment);
}

void writeSpriteImage(const std::string &path, int32_t width, int32_t height) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    std::fill(image->pixels, image->pixels + width * height, uint8_t{3});
    std::string error;
    EXPECT_TRUE(simhost::writeImagePng(*image, path, &error)) << error;
    simhost::destroyImage(image);
}

// The sprite stage draws from drawingOrder: it must hold every placement, once, and nothing else.
void expectDrawingOrderHoldsThePlacements() {
    const auto &placements = registry().placements;
    const auto &order = registry().drawingOrder;
    std::multiset<const SpritePlacement *> made, ordered(order.begin(), order.end());
    for (const auto &entry : placements) made.insert(entry.get());
    EXPECT_EQ(ordered, made);
    EXPECT_EQ(registry().placementCount, static_cast<int32_t>(placements.size()));
}

class Registry : public farview_test::PluginStateTest {
protected:
    // Map mapId opened in the host with events of these ids, in this list order.
    std::vector<FvHostCharacter *> openMapWithEvents(int32_t mapId, const std::vector<int32_t> &ids) {
        farview_test::openMap(mapId, 6, 5);
        std::vector<FvHostCharacter *> events;
        for (size_t i = 0; i < ids.size(); ++i)
            events.push_back(&simhost::addEvent(ids[i], static_cast<int32_t>(i), static_cast<int32_t>(i)));
        return events;
    }

    static void expectCharacterPlacement(size_t i, farview::PlacedCharacter who) {
        EXPECT_EQ(placement(i).who.kind, who.kind) << "placement " << i;
        EXPECT_EQ(placement(i).who.eventId, who.eventId) << "placement " << i;
        EXPECT_EQ(placement(i).definition, nullptr) << "placement " << i;
        EXPECT_EQ(placement(i).width, 24) << "placement " << i;
        EXPECT_EQ(placement(i).height, 32) << "placement " << i;
    }
};

// ---- Placements of a loaded map ------------------------------------------------------------------------

using MapPlacements = Registry;

TEST_F(MapPlacements, TheHeroComesFirstThenTheEventsInReverseListOrder) {
    openMapWithEvents(1, {5, 9, 2});
    EXPECT_FALSE(command("load_map_to_texture"));
    ASSERT_EQ(registry().placements.size(), 4u);
    EXPECT_EQ(registry().placementCount, 4);
    expectCharacterPlacement(0, farview::placedHero());
    expectCharacterPlacement(1, farview::placedEvent(2));
    expectCharacterPlacement(2, farview::placedEvent(9));
    expectCharacterPlacement(3, farview::placedEvent(5));
    expectDrawingOrderHoldsThePlacements();
    EXPECT_NE(farview::viewState.mapTexture, nullptr);
    EXPECT_EQ(farview::viewState.mapTexture, farview::mapRecord.mapTexture);
    EXPECT_NE(farview::viewState.tilesetImage, nullptr);
    EXPECT_EQ(farview::viewState.tilesetImage, farview::mapRecord.tilesetImage);
    EXPECT_TRUE(simhost::messages().empty());
}

// A second load places only what is not there yet: a new event of the map, behind the others.
TEST_F(MapPlacements, ASecondLoadOfTheSameMapAddsOnlyCharactersNotYetPlaced) {
    openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    simhost::addEvent(7, 4, 4);
    command("load_map_to_texture");
    ASSERT_EQ(registry().placements.size(), 5u);
    EXPECT_EQ(registry().placementCount, 5);
    expectCharacterPlacement(0, farview::placedHero());
    expectCharacterPlacement(1, farview::placedEvent(2));
    expectCharacterPlacement(2, farview::placedEvent(9));
    expectCharacterPlacement(3, farview::placedEvent(5));
    expectCharacterPlacement(4, farview::placedEvent(7));
    expectDrawingOrderHoldsThePlacements();
}

// The events belong to their map; the hero comes along, drawn from his own sheet again until the
// new map's lines give him a sprite, and the new map's load places no second hero.
TEST_F(MapPlacements, ALoadOnAnotherMapKeepsTheHeroWithHisOwnSheetAndDropsTheEvents) {
    writeSpriteImage("ghost.png", 48, 32);
    openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    addSprite("ghost", "ghost.png", {24, 32, 1, 1, 9});
    changeHeroSprite("ghost.png", {24, 32, 2});
    ASSERT_EQ(registry().placementCount, 5);
    const std::weak_ptr<SpriteDefinition> heroSprite = placement(0).definition;

    openMapWithEvents(2, {1}); // the host has destroyed map 1's events
    command("load_map_to_texture");
    ASSERT_EQ(registry().placements.size(), 2u);
    EXPECT_EQ(registry().placementCount, 2);
    expectCharacterPlacement(0, farview::placedHero());
    EXPECT_TRUE(heroSprite.expired());
    expectCharacterPlacement(1, farview::placedEvent(1));
    expectDrawingOrderHoldsThePlacements();
    EXPECT_EQ(registry().spriteDefinitions.count("ghost"), 1u);
}

TEST_F(MapPlacements, AnAddedSpriteOnAnotherMapKeepsTheHeroAndDropsTheEvents) {
    writeSpriteImage("ghost.png", 48, 32);
    openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    const auto events = openMapWithEvents(2, {4});
    addSprite("ghost", "ghost.png", {24, 32, 1, 1, 4});
    ASSERT_EQ(registry().placements.size(), 2u);
    EXPECT_EQ(placement(0).who.kind, farview::PlacedCharacter::hero);
    EXPECT_EQ(placement(1).character, events[0]);
    command("load_map_to_texture");
    ASSERT_EQ(registry().placements.size(), 3u);
    expectCharacterPlacement(2, farview::placedEvent(4));
    expectDrawingOrderHoldsThePlacements();
}

TEST_F(MapPlacements, AMapWithoutAnEventListPlacesTheHeroAlone) {
    openMapWithEvents(1, {5, 9});
    simhost::setEventListPresent(false);
    command("load_map_to_texture");
    ASSERT_EQ(registry().placements.size(), 1u);
    expectCharacterPlacement(0, farview::placedHero());
    expectDrawingOrderHoldsThePlacements();
}

TEST_F(MapPlacements, CharactersArePlacedEvenWhenTheMapCouldNotBeLoaded) {
    simhost::setMapSize(3, 3); // no tileset record, no map file, no tileset graphic
    simhost::addEvent(1, 0, 0);
    EXPECT_FALSE(command("load_map_to_texture"));
    EXPECT_FALSE(simhost::messages().empty());
    ASSERT_EQ(registry().placements.size(), 2u);
    expectCharacterPlacement(0, farview::placedHero());
    expectCharacterPlacement(1, farview::placedEvent(1));
}

// The hero leaves map 1 and comes back before the next load: the host has made map 1's events
// anew, and the placements of the first visit find them by their ids. None of them reads a
// character of the first visit (the sanitizer build would catch a use after free).
TEST_F(MapPlacements, PlacementsOfAnEarlierVisitFindTheEventsMadeAnew) {
    openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    openMapWithEvents(2, {1}); // no command runs on map 2
    const auto events = openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    farview::renderFrame(farview::viewState, farview::mapRecord, farview::spriteRegistry);
    const std::set<const FvHostCharacter *> present(events.begin(), events.end());
    for (const auto &entry : registry().placements)
        EXPECT_TRUE(entry->character == &simhost::hero() || present.count(entry->character) == 1);
}

// ---- add_sprite -----------------------------------------------------------------------------------------

using AddSprite = Registry;

TEST_F(AddSprite, StoresADefinitionAndAPlacementForTheEventWithThatId) {
    writeSpriteImage("ghost.png", 96, 32);
    const auto events = openMapWithEvents(1, {5, 9, 2});
    command("load_map_to_texture");
    EXPECT_FALSE(addSprite("ghost", "ghost.png", {20, 30, 4, 3, 9, 6, 7}));
    ASSERT_EQ(registry().placements.size(), 5u);
    const SpritePlacement &added = placement(4);
    EXPECT_EQ(added.character, events[1]);
    EXPECT_EQ(added.width, 20);
    EXPECT_EQ(added.height, 30);
    ASSERT_NE(added.definition, nullptr);
    const SpriteDefinition &definition = *added.definition;
    EXPECT_EQ(definition.imageName, "ghost.png");
    EXPECT_EQ(definition.directions, 4);
    EXPECT_EQ(definition.frames, 3);
    EXPECT_EQ(definition.mode, 3);
    EXPECT_EQ(definition.offsetX, 6);
    EXPECT_EQ(definition.offsetY, 7);
    EXPECT_TRUE(definition.followsFacing);
    EXPECT_EQ(registry().spriteDefinitions.at("ghost"), added.definition);
    expectDrawingOrderHoldsThePlacements();
}

TEST_F(AddSprite, ModeTellsWhetherTheImageIsAnimatedAndDirectional) {
    writeSpriteImage("ghost.png", 96, 32);
    struct Case {
        double directions, frames;
        uint16_t mode;
    };
    const Case cases[] = {{1, 1, 0}, {4, 1, 2}, {1, 3, 1}, {4, 3, 3}, {0, 0, 3}, {65537, 65537, 0}, {1.9, 1.5, 0}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const double width = 24.0 + static_cast<double>(i); // each placement differs from the others
        addSprite("s" + std::to_string(i), "ghost.png", {width, 32, cases[i].directions, cases[i].frames, 1});
        ASSERT_EQ(registry().placements.size(), i + 1);
        EXPECT_EQ(placement(i).definition->mode, cases[i].mode) << cases[i].directions << ' ' << cases[i].frames;
    }
}

TEST_F(AddSprite, SixteenBitFieldsKeepTheLow16Bits) {
    writeSpriteImage("ghost.png", 96, 32);
    addSprite("a", "ghost.png", {-1, -2, -3, 65537, 1, -5, 70000});
    const SpritePlacement &a = placement(0);
    EXPECT_EQ(a.width, 65535);
    EXPECT_EQ(a.height, 65534);
    EXPECT_EQ(a.definition->directions, 65533);
    EXPECT_EQ(a.definition->frames, 1);
    EXPECT_EQ(a.definition->mode, 2);
    EXPECT_EQ(a.definition->offsetX, 65531);
    EXPECT_EQ(a.definition->offsetY, 4464);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    addSprite("b", "ghost.png", {1e12, -1e12, nan, -65536.7, 1, 1e300, -std::numeric_limits<double>::infinity()});
    const SpritePlacement &b = placement(1);
    EXPECT_EQ(b.width, 0xFFFF); // saturated at INT32_MAX
    EXPECT_EQ(b.height, 0);     // saturated at INT32_MIN
    EXPECT_EQ(b.definition->directions, 0);
    EXPECT_EQ(b.definition->frames, 0);
    EXPECT_EQ(b.definition->offsetX, 0xFFFF);
    EXPECT_EQ(b.definition->offsetY, 0);
}

TEST_F(AddSprite, OffsetsAreReadOnlyFromLinesWithMoreThanSevenParameters) {
    writeSpriteImage("ghost.png", 96, 32);
    CommentRecord seven("add_sprite");
    seven.text("a").text("ghost.png").number(24).number(32).number(1).number(1).number(1);
    seven.setSlot(8, farview_test::kNumberKind, 11, "").setSlot(9, farview_test::kNumberKind, 12, "");
    EXPECT_FALSE(interpret(seven));
    EXPECT_EQ(placement(0).definition->offsetX, 0);
    EXPECT_EQ(placement(0).definition->offsetY, 0);

    seven.setCount(9);
    interpret(seven);
    EXPECT_EQ(placement(1).definition->offsetX, 11);
    EXPECT_EQ(placement(1).definition->offsetY, 12);

    seven.setCount(8).setSlot(3, farview_test::kNumberKind, 25, ""); // the ninth slot is read as the host left it
    interpret(seven);
    EXPECT_EQ(placement(2).definition->offsetX, 11);
    EXPECT_EQ(placement(2).definition->offsetY, 12);
}

TEST_F(AddSprite, AnEventNumberTheMapDoesNotHaveStandsForNoCharacter) {
    writeSpriteImage("ghost.png", 96, 32);
    openMapWithEvents(1, {5, 9, 2});
    addSprite("a", "ghost.png", {24, 32, 1, 1, 77});
    addSprite("b", "ghost.png", {24, 32, 1, 1, 0}); // 0 is the hero's id, never an event's
    simhost::setEventListPresent(false);
    addSprite("c", "ghost.png", {24, 32, 1, 1, 5});
    ASSERT_EQ(registry().placements.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(placement(i).character, nullptr) << i;
        EXPECT_NE(placement(i).definition, nullptr) << i;
    }
    expectDrawingOrderHoldsThePlacements();
}

// A sprite that would draw exactly what one already there draws adds nothing (its key names the
// definition in use); one with other offsets stands beside it on the same event.
TEST_F(AddSprite, TheSameEventStandsOnceForEachDifferentSprite) {
    writeSpriteImage("ghost.png", 96, 32);
    const auto events = openMapWithEvents(1, {5});
    addSprite("a", "ghost.png", {24, 32, 1, 1, 5});
    addSprite("b", "ghost.png", {24, 32, 1, 1, 5});
    ASSERT_EQ(registry().placements.size(), 1u);
    EXPECT_EQ(registry().spriteDefinitions.at("b"), placement(0).definition);
    addSprite("c", "ghost.png", {24, 32, 1, 1, 5, 0, 4});
    ASSERT_EQ(registry().placements.size(), 2u);
    EXPECT_EQ(placement(0).character, events[0]);
    EXPECT_EQ(placement(1).character, events[0]);
    EXPECT_EQ(placement(1).definition->offsetY, 4);
    expectDrawingOrderHoldsThePlacements();
}

// ---- Definitions under one key ----------------------------------------------------------------------------

using Definitions = Registry;

TEST_F(Definitions, TheSameKeyHoldsTheLaterDefinitionWhileBothPlacementsKeepTheirOwn) {
    writeSpriteImage("a.png", 96, 32);
    writeSpriteImage("b.png", 16, 16);
    openMapWithEvents(1, {5, 9});
    addSprite("ghost", "a.png", {24, 32, 4, 3, 5, 1, 2});
    const std::weak_ptr<SpriteDefinition> first = placement(0).definition;
    addSprite("ghost", "b.png", {16, 16, 1, 1, 9});

    ASSERT_EQ(registry().spriteDefinitions.size(), 1u);
    ASSERT_EQ(registry().placements.size(), 2u);
    EXPECT_EQ(registry().spriteDefinitions.at("ghost"), placement(1).definition);
    EXPECT_EQ(registry().spriteDefinitions.at("ghost")->imageName, "b.png");

    ASSERT_FALSE(first.expired());
    EXPECT_EQ(placement(0).definition, first.lock());
    const SpriteDefinition &kept = *placement(0).definition;
    EXPECT_EQ(kept.imageName, "a.png");
    EXPECT_EQ(kept.directions, 4);
    EXPECT_EQ(kept.frames, 3);
    EXPECT_EQ(kept.mode, 3);
    EXPECT_EQ(kept.offsetX, 1);
    EXPECT_EQ(kept.offsetY, 2);
    EXPECT_TRUE(kept.followsFacing);
    EXPECT_EQ(placement(0).width, 24);
    EXPECT_EQ(placement(1).width, 16);
}

TEST_F(Definitions, KeysAreComparedByteForByte) {
    writeSpriteImage("a.png", 96, 32);
    for (const char *key : {"ghost", "Ghost", "ghost ", "", "ghos"}) addSprite(key, "a.png", {24, 32, 1, 1, 1});
    EXPECT_EQ(registry().spriteDefinitions.size(), 5u);
}

TEST_F(Definitions, AKeyFillingItsWholeFieldIsCutThere) {
    writeSpriteImage("a.png", 96, 32);
    CommentRecord comment("add_sprite");
    comment.text(std::string(200, 'k')).text("a.png", 1.0).number(24).number(32).number(1).number(1).number(1);
    interpret(comment);
    ASSERT_EQ(registry().spriteDefinitions.size(), 1u);
    EXPECT_EQ(registry().spriteDefinitions.begin()->first, std::string(200, 'k'));
}

// ---- The image cache -----------------------------------------------------------------------------------------

using ImageCache = Registry;

TEST_F(ImageCache, AnImageUsedTwiceIsLoadedOnce) {
    writeSpriteImage("ghost.png", 96, 32);
    writeSpriteImage("bat.png", 48, 16);
    addSprite("a", "ghost.png", {24, 32, 4, 1, 1});
    addSprite("b", "ghost.png", {24, 32, 4, 1, 2});
    ASSERT_EQ(registry().imageCache.size(), 1u);
    EXPECT_EQ(simhost::liveImageCount(), 1);
    const FvHostImage *ghost = registry().imageCache.at("ghost.png");
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->width, 96);
    EXPECT_EQ(ghost->height, 32);
    EXPECT_EQ(ghost->option, 1);
    EXPECT_EQ(ghost->loadOption, 1);

    addSprite("c", "bat.png", {24, 32, 4, 1, 2});
    EXPECT_EQ(registry().imageCache.size(), 2u);
    EXPECT_EQ(simhost::liveImageCount(), 2);
    EXPECT_EQ(registry().imageCache.at("ghost.png"), ghost);
}

TEST_F(ImageCache, AFailedLoadIsCachedAndNotTriedAgain) {
    addSprite("a", "missing.png", {24, 32, 1, 1, 1});
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"missing.png\":", 0), 0u) << simhost::messages()[0];
    addSprite("b", "missing.png", {24, 32, 1, 1, 2});
    EXPECT_EQ(simhost::messages().size(), 1u);
    ASSERT_EQ(registry().imageCache.size(), 1u);
    EXPECT_EQ(registry().imageCache.at("missing.png")->width, 0);
    EXPECT_EQ(registry().placementCount, 2);
}

// ---- change_hero_sprite --------------------------------------------------------------------------------------

using HeroSprite = Registry;

TEST_F(HeroSprite, IsIgnoredWhileTheHeroHasNoPlacement) {
    EXPECT_FALSE(changeHeroSprite("hero.png", {20, 30, 4}));
    EXPECT_TRUE(registry().placements.empty());

    writeSpriteImage("ghost.png", 96, 32);
    openMapWithEvents(1, {5});
    addSprite("ghost", "ghost.png", {24, 32, 1, 3, 5});
    const int32_t images = simhost::liveImageCount();
    EXPECT_FALSE(changeHeroSprite("hero.png", {20, 30, 4}));
    ASSERT_EQ(registry().placements.size(), 1u);
    EXPECT_EQ(placement(0).definition->imageName, "ghost.png");
    EXPECT_EQ(placement(0).definition->directions, 1);
    EXPECT_EQ(placement(0).width, 24);
    EXPECT_EQ(simhost::liveImageCount(), images);
}

TEST_F(HeroSprite, GivesTheHeroADirectionalSingleFrameDefinitionAndLoadsItsImage) {
    openMapWithEvents(1, {5, 9});
    command("load_map_to_texture");
    const int32_t images = simhost::liveImageCount();
    EXPECT_FALSE(changeHeroSprite("hero.png", {20, 30, 4}));
    const SpritePlacement &hero = placement(0);
    ASSERT_EQ(hero.who.kind, farview::PlacedCharacter::hero);
    ASSERT_NE(hero.definition, nullptr);
    EXPECT_EQ(hero.definition->imageName, "hero.png");
    EXPECT_EQ(hero.definition->directions, 4);
    EXPECT_EQ(hero.definition->frames, 1);
    EXPECT_EQ(hero.definition->mode, 2);
    EXPECT_EQ(hero.definition->offsetX, 0);
    EXPECT_EQ(hero.definition->offsetY, 0);
    EXPECT_TRUE(hero.definition->followsFacing);
    EXPECT_EQ(hero.width, 20);
    EXPECT_EQ(hero.height, 30);
    EXPECT_TRUE(registry().spriteDefinitions.empty());
    EXPECT_EQ(registry().imageCache.size(), 1u);
    EXPECT_NE(farview::findImage(registry().imageCache, "hero.png"), nullptr);
    EXPECT_EQ(simhost::liveImageCount(), images + 1);
    for (size_t i = 1; i < registry().placements.size(); ++i) EXPECT_EQ(placement(i).definition, nullptr) << i;
}

TEST_F(HeroSprite, ASecondCallChangesOnlyTheImageAndDirectionsOfTheFirstDefinition) {
    openMapWithEvents(1, {5});
    command("load_map_to_texture");
    changeHeroSprite("hero.png", {20, 30, 4});
    const SpriteDefinition *first = placement(0).definition.get();
    changeHeroSprite("knight.png", {-1, 12, 1});
    ASSERT_EQ(placement(0).definition.get(), first);
    EXPECT_EQ(first->imageName, "knight.png");
    EXPECT_EQ(first->directions, 1);
    EXPECT_EQ(first->mode, 2); // stays directional although one direction is left
    EXPECT_EQ(first->frames, 1);
    EXPECT_EQ(first->offsetX, 0);
    EXPECT_EQ(first->offsetY, 0);
    EXPECT_EQ(placement(0).width, 65535);
    EXPECT_EQ(placement(0).height, 12);
}

// The hero has one placement whatever the loads, and it keeps his sprite through them.
TEST_F(HeroSprite, ChangesTheHerosOnePlacement) {
    writeSpriteImage("ghost.png", 96, 32);
    openMapWithEvents(1, {5});
    addSprite("ghost", "ghost.png", {24, 32, 4, 3, 5}); // made before the hero was placed
    command("load_map_to_texture");
    changeHeroSprite("hero.png", {20, 30, 4});
    command("load_map_to_texture");
    ASSERT_EQ(registry().placements.size(), 3u);
    EXPECT_EQ(placement(0).definition->imageName, "ghost.png");
    EXPECT_EQ(placement(0).definition->directions, 4);
    ASSERT_EQ(placement(1).who.kind, farview::PlacedCharacter::hero);
    ASSERT_NE(placement(1).definition, nullptr);
    EXPECT_EQ(placement(1).definition->imageName, "hero.png");
    EXPECT_EQ(placement(1).width, 20);
    EXPECT_NE(placement(2).who.kind, farview::PlacedCharacter::hero);
}

// ---- The title-screen reset --------------------------------------------------------------------------------

using RegistryReset = Registry;

TEST_F(RegistryReset, FreesEveryDefinitionPlacementAndCachedImage) {
    writeSpriteImage("a.png", 96, 32);
    writeSpriteImage("b.png", 16, 16);
    openMapWithEvents(1, {5, 9});
    command("load_map_to_texture");
    addSprite("ghost", "a.png", {24, 32, 4, 3, 5});
    const std::weak_ptr<SpriteDefinition> replaced = registry().spriteDefinitions.at("ghost");
    addSprite("ghost", "b.png", {24, 32, 4, 3, 9});
    const std::weak_ptr<SpriteDefinition> latest = registry().spriteDefinitions.at("ghost");
    changeHeroSprite("a.png", {20, 30, 4});
    const std::weak_ptr<SpriteDefinition> hero = placement(0).definition;
    ASSERT_FALSE(replaced.expired() || latest.expired() || hero.expired());
    EXPECT_EQ(simhost::liveImageCount(), 4); // tileset, map texture, two sprite images

    farview::resetForTitleScreen();
    EXPECT_TRUE(replaced.expired());
    EXPECT_TRUE(latest.expired());
    EXPECT_TRUE(hero.expired());
    EXPECT_TRUE(registry().placements.empty());
    EXPECT_TRUE(registry().drawingOrder.empty());
    EXPECT_TRUE(registry().spriteDefinitions.empty());
    EXPECT_TRUE(registry().imageCache.empty());
    EXPECT_EQ(registry().placementCount, 0);
    EXPECT_EQ(registry().placementsMapId, 0);
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_TRUE(simhost::messages().empty());

    farview::resetForTitleScreen(); // a second reset finds nothing left to free
    EXPECT_TRUE(simhost::messages().empty());
    EXPECT_EQ(registry().placementCount, 0);
}

TEST_F(RegistryReset, AfterTheResetTheSameMapIsPlacedAndCachedAfresh) {
    writeSpriteImage("a.png", 96, 32);
    const auto events = openMapWithEvents(1, {5});
    command("load_map_to_texture");
    addSprite("ghost", "a.png", {24, 32, 4, 3, 5});
    farview::resetForTitleScreen();
    command("load_map_to_texture");
    addSprite("ghost", "a.png", {24, 32, 4, 3, 5});
    ASSERT_EQ(registry().placements.size(), 3u);
    expectCharacterPlacement(0, farview::placedHero());
    expectCharacterPlacement(1, farview::placedEvent(5));
    EXPECT_EQ(placement(2).character, events[0]);
    EXPECT_EQ(registry().imageCache.size(), 1u);
    EXPECT_EQ(simhost::liveImageCount(), 3);
    expectDrawingOrderHoldsThePlacements();
}

} // namespace
