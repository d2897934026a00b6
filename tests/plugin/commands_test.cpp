// The comment command interpreter: which names are keywords, how parameters are read, angles kept
// within a turn, the view-state commands, the boundary texture, the drawing-state variable and the
// background image.
#include <cctype>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/comment_builder.h"
#include "plugin/comment_record.h"

namespace {

using farview::ViewState;
using farview_test::command;
using farview_test::CommentRecord;
using farview_test::interpret;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

const char *const kKeywords[] = {
    "rotate_to",
    "rotate_right_by",
    "rotate_left_by",
    "change_hero_sprite",
    "add_sprite",
    "set_background",
    "swap_tile",
    "load_map_to_texture",
    "set_boundary_texture",
    "set_texture_scale",
    "set_z_value",
    "set_horizon",
    "set_rotational_offset",
    "set_wrapping",
    "set_mode7_picture_id",
    "init_mode7",
    "load_boundary_texture",
    "is_mode7_rendering",
    "usingBackground",
};

auto viewFields(const ViewState &v) {
    return std::make_tuple(v.zValue, v.horizonOffset, v.horizon, v.textureScaleX, v.textureScaleY, v.rotationAngle,
                           v.rotationalOffset, v.mode7PictureId, v.backgroundWidth, v.backgroundPixelsPerDegree,
                           v.cameraX, v.cameraY, v.usingBackground, v.wrapping, v.mode7Rendering, v.mapTexture,
                           v.tilesetImage, v.boundaryTexture, v.backgroundImage);
}

// Everything a command could change.
struct ModuleSnapshot {
    ViewState view;
    size_t placements;
    size_t definitions;
    size_t cachedImages;
    int32_t liveImages;
    size_t messages;
    int32_t variableCount;
    std::vector<int32_t> variables;
};

ModuleSnapshot snapshot() {
    const farview::SpriteRegistry &registry = farview::spriteRegistry;
    return {farview::viewState,         registry.placements.size(), registry.spriteDefinitions.size(),
            registry.imageCache.size(), simhost::liveImageCount(),  simhost::messages().size(),
            simhost::variables().count, simhost::variableValues()};
}

void expectUnchanged(const ModuleSnapshot &before, const std::string &name) {
    const ModuleSnapshot after = snapshot();
    EXPECT_EQ(viewFields(after.view), viewFields(before.view)) << '"' << name << '"';
    EXPECT_EQ(after.placements, before.placements) << '"' << name << '"';
    EXPECT_EQ(after.definitions, before.definitions) << '"' << name << '"';
    EXPECT_EQ(after.cachedImages, before.cachedImages) << '"' << name << '"';
    EXPECT_EQ(after.liveImages, before.liveImages) << '"' << name << '"';
    EXPECT_EQ(after.messages, before.messages) << '"' << name << '"';
    EXPECT_EQ(after.variableCount, before.variableCount) << '"' << name << '"';
    EXPECT_EQ(after.variables, before.variables) << '"' << name << '"';
}

// A line whose every slot is a text "t" with number 7: under any keyword it would change
// something (angle, flags, sprites, background, variable 7).
CommentRecord activeParameters(const std::string &name) {
    CommentRecord comment(name);
    for (int n = 1; n <= farview_test::kParameterSlots; ++n) comment.text("t", 7.0);
    return comment;
}

// The view state after a command is the one before with exactly the given change.
void expectViewAfter(const CommentRecord &comment, const std::function<void(ViewState &)> &change) {
    ViewState expected = farview::viewState;
    change(expected);
    EXPECT_FALSE(interpret(comment));
    EXPECT_EQ(viewFields(farview::viewState), viewFields(expected));
}

void setVariables(const std::vector<int32_t> &values) {
    FvHostVariables &variables = simhost::variables();
    void *block = variables.values;
    ASSERT_TRUE(simhost::resizeBlock(&block, static_cast<int32_t>(values.size() * sizeof(int32_t))));
    variables.values = static_cast<int32_t *>(block);
    std::copy(values.begin(), values.end(), variables.values);
    variables.count = static_cast<int32_t>(values.size());
}

void writeImage(const std::string &path, int32_t width, int32_t height) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int32_t i = 0; i < width * height; ++i) image->pixels[i] = static_cast<uint8_t>(i % 7);
    std::string error;
    EXPECT_TRUE(simhost::writeImagePng(*image, path, &error)) << error;
    simhost::destroyImage(image);
}

// ---- Dispatch: exact names only ------------------------------------------------------------------------

using Dispatch = farview_test::PluginStateTest;

TEST_F(Dispatch, EveryKeywordIsRecognisedWithOrWithoutParameters) {
    for (const char *keyword : kKeywords) {
        EXPECT_FALSE(interpret(CommentRecord(keyword))) << keyword;
        EXPECT_FALSE(interpret(activeParameters(keyword))) << keyword;
    }
}

TEST_F(Dispatch, TheActiveLineActsUnderItsKeyword) {
    ASSERT_FALSE(interpret(activeParameters("rotate_to")));
    EXPECT_EQ(farview::viewState.rotationAngle, 7.0f);
    ASSERT_FALSE(interpret(activeParameters("set_wrapping")));
    EXPECT_TRUE(farview::viewState.wrapping);
}

TEST_F(Dispatch, NamesThatOnlyResembleAKeywordChangeNothing) {
    std::vector<std::string> names = {"", " ", "usingbackground", "Set_z_value", "set-z-value", "rotate to"};
    for (const std::string keyword : kKeywords) {
        std::string upper = keyword;
        for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        names.insert(names.end(), {upper, keyword + " ", keyword + "x", keyword + "\t", " " + keyword,
                                   keyword.substr(0, keyword.size() - 1), keyword + keyword});
    }
    for (const std::string &name : names) {
        const ModuleSnapshot before = snapshot();
        EXPECT_TRUE(interpret(activeParameters(name))) << '"' << name << '"';
        expectUnchanged(before, name);
    }
}

TEST_F(Dispatch, TheNameEndsAtItsZeroByte) {
    CommentRecord comment(std::string("set_z_value\0trailing", 20));
    comment.number(12.5);
    EXPECT_FALSE(interpret(comment));
    EXPECT_EQ(farview::viewState.zValue, 12.5f);
}

TEST_F(Dispatch, ANameFillingItsWholeFieldIsReadNoFurtherAndMatchesNothing) {
    for (const std::string &name : {std::string(200, 'a'), "set_z_value" + std::string(189, 'z')}) {
        CommentRecord comment = activeParameters("");
        comment.setName(name).setCount(0x41414141); // letters go on right after the name field
        const ModuleSnapshot before = snapshot();
        EXPECT_TRUE(interpret(comment));
        expectUnchanged(before, name);
        EXPECT_EQ(farview::ParsedComment(comment.record()).name(), name);
    }
}

TEST_F(Dispatch, KeywordsWithoutEffectChangeNothing) {
    for (const char *keyword : {"swap_tile", "load_boundary_texture"}) {
        const ModuleSnapshot before = snapshot();
        EXPECT_FALSE(interpret(activeParameters(keyword)));
        expectUnchanged(before, keyword);
    }
}

// ---- Reading rules ----------------------------------------------------------------------------------------

using ReadingRules = farview_test::PluginStateTest;

TEST_F(ReadingRules, IntegersTruncateTowardZero) {
    const std::pair<double, int32_t> cases[] = {{80.9, 80}, {-2.7, -2},   {0.99, 0},
                                                {-0.99, 0}, {-80.9, -80}, {2147483646.9, 2147483646}};
    for (auto [value, expected] : cases) {
        command("set_horizon", {value, -value});
        EXPECT_EQ(farview::viewState.horizon, expected) << value;
        EXPECT_EQ(farview::viewState.horizonOffset, expected == 0 ? 0 : -expected) << value;
    }
}

TEST_F(ReadingRules, IntegersOutOfRangeSaturateAndNaNIsZero) {
    const std::pair<double, int32_t> cases[] = {
        {1e12, INT32_MAX},
        {-1e12, INT32_MIN},
        {kInfinity, INT32_MAX},
        {-kInfinity, INT32_MIN},
        {kNaN, 0},
        {-kNaN, 0},
        {2147483647.9, INT32_MAX},
        {-2147483648.9, INT32_MIN},
        {2147483648.0, INT32_MAX},
        {1e300, INT32_MAX},
        {-DBL_MAX, INT32_MIN},
    };
    for (auto [value, expected] : cases) {
        command("set_mode7_picture_id", {value});
        EXPECT_EQ(farview::viewState.mode7PictureId, expected) << value;
    }
}

TEST_F(ReadingRules, ATextParameterReadAsANumberGivesItsNumberField) {
    CommentRecord comment("set_horizon");
    comment.text("80", 12.0).text("x", -3.5);
    EXPECT_FALSE(interpret(comment));
    EXPECT_EQ(farview::viewState.horizon, 12);
    EXPECT_EQ(farview::viewState.horizonOffset, -3);
}

TEST_F(ReadingRules, SlotsTheLineDidNotSupplyAreReadAsTheHostLeftThem) {
    CommentRecord comment("set_horizon");
    comment.number(60.0).setSlot(2, farview_test::kNumberKind, 4.0, "");
    EXPECT_FALSE(interpret(comment));
    EXPECT_EQ(farview::viewState.horizon, 60);
    EXPECT_EQ(farview::viewState.horizonOffset, 4);

    CommentRecord empty("set_z_value");
    empty.setSlot(1, farview_test::kNumberKind, 5.0, "");
    EXPECT_FALSE(interpret(empty));
    EXPECT_EQ(farview::viewState.zValue, 5.0f);
}

TEST_F(ReadingRules, FloatsRoundToTheNearestWithTiesToEven) {
    const double halfUnit = std::ldexp(1.0, -24); // half a unit in the last place of 1.0f
    const std::pair<double, float> cases[] = {
        {0.1, 0.1f},
        {1.0 + halfUnit, 1.0f},                                                // tie: down to the even neighbour
        {1.0 + 3 * halfUnit, 1.0f + std::ldexp(1.0f, -22)},                    // tie: up to the even neighbour
        {1.0 + halfUnit + std::ldexp(1.0, -40), 1.0f + std::ldexp(1.0f, -23)}, // above the tie
        {-2.7, -2.7f},
        {1e-300, 0.0f},
    };
    for (auto [value, expected] : cases) {
        command("set_z_value", {value});
        EXPECT_EQ(farview::viewState.zValue, expected) << value;
    }
}

TEST_F(ReadingRules, FloatsBeyondTheFloatRangeBecomeTheLargestFloatOrInfinity) {
    command("set_rotational_offset", {double{FLT_MAX} * (1.0 + std::ldexp(1.0, -30))});
    EXPECT_EQ(farview::viewState.rotationalOffset, FLT_MAX);
    command("set_rotational_offset", {-double{FLT_MAX} * (1.0 + std::ldexp(1.0, -30))});
    EXPECT_EQ(farview::viewState.rotationalOffset, -FLT_MAX);
    command("set_rotational_offset", {1e300});
    EXPECT_EQ(farview::viewState.rotationalOffset, std::numeric_limits<float>::infinity());
    command("set_rotational_offset", {-1e300});
    EXPECT_EQ(farview::viewState.rotationalOffset, -std::numeric_limits<float>::infinity());
    command("set_rotational_offset", {kNaN});
    EXPECT_TRUE(std::isnan(farview::viewState.rotationalOffset));
}

TEST_F(ReadingRules, TextEndsAtItsZeroByte) {
    CommentRecord comment("set_background");
    comment.text(std::string("sky.png\0.bak", 12));
    EXPECT_FALSE(interpret(comment));
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"sky.png\":", 0), 0u) << simhost::messages()[0];
}

TEST_F(ReadingRules, TextFillingItsWholeFieldIsCutThere) {
    const std::string name(200, 'b');
    CommentRecord comment("set_background");
    comment.text(name).append(0x41414141, 0.0, "ccc"); // letters go on right after the text field
    EXPECT_FALSE(interpret(comment));
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"" + name + "\":", 0), 0u) << simhost::messages()[0];
}

TEST_F(ReadingRules, TheLastSlotsTextStopsAtTheRecordsEnd) {
    CommentRecord comment("");
    for (int n = 1; n <= farview_test::kParameterSlots; ++n) comment.text(std::string(200, 'd'));
    const farview::ParsedComment reader(comment.record());
    EXPECT_EQ(reader.text(9), std::string(200, 'd'));
    EXPECT_EQ(reader.text(10), "");
    EXPECT_EQ(reader.number(10), 0.0);
    EXPECT_EQ(reader.text(0), "");
}

struct BooleanCase {
    int32_t kind;
    double number;
    std::string text;
    bool expected;
};

// Each boolean command set first to the opposite, so that a value left alone shows.
void expectBooleanCommands(const BooleanCase &c) {
    const std::pair<const char *, bool ViewState::*> commands[] = {
        {"set_wrapping", &ViewState::wrapping},
        {"init_mode7", &ViewState::mode7Rendering},
        {"usingBackground", &ViewState::usingBackground},
    };
    for (auto [keyword, field] : commands) {
        farview::viewState.*field = !c.expected;
        CommentRecord comment(keyword);
        comment.append(c.kind, c.number, c.text);
        EXPECT_FALSE(interpret(comment));
        EXPECT_EQ(farview::viewState.*field, c.expected)
            << keyword << " kind " << c.kind << " number " << c.number << " text \"" << c.text << '"';
    }
}

TEST_F(ReadingRules, BooleanFromTextLooksAtTheFirstCharacterOnly) {
    const BooleanCase cases[] = {
        {1, 0.0, "T", true},   {1, 0.0, "t", true},      {1, 0.0, "Y", true},     {1, 0.0, "y", true},
        {1, 0.0, "yes", true}, {1, 0.0, "true", true},   {1, 0.0, "no", false},   {1, 0.0, "1", false},
        {1, 1.0, "", false},   {1, 1.0, "F", false},     {1, 1.0, " T", false},   {1, 1.0, "n", false},
        {-1, 0.0, "t", true},  {7, 5.0, "false", false}, {1, 0.0, "\xD9", false},
    };
    for (const BooleanCase &c : cases) expectBooleanCommands(c);
}

TEST_F(ReadingRules, BooleanFromANumberIsWhetherItIsNotZero) {
    const BooleanCase cases[] = {
        {0, 2.0, "", true},  {0, 0.0, "T", false},  {0, -0.0, "yes", false}, {0, 0.5, "", true},
        {0, -1.0, "", true}, {0, 1e-300, "", true}, {0, kNaN, "", true},     {0, -kInfinity, "", true},
    };
    for (const BooleanCase &c : cases) expectBooleanCommands(c);
}

// ---- Angles: always within 0 to 360 inclusive ----------------------------------------------------------

using Angles = farview_test::PluginStateTest;

TEST_F(Angles, RotateToBringsTheAngleIntoOneTurn) {
    const std::pair<double, float> cases[] = {{450, 90}, {-10, 350},      {360, 360},       {725, 5},
                                              {-360, 0}, {-90, 270},      {0, 0},           {720, 360},
                                              {-720, 0}, {359.5, 359.5f}, {-0.25, 359.75f}, {1080.5, 0.5f}};
    for (auto [value, expected] : cases) {
        command("rotate_to", {value});
        EXPECT_EQ(farview::viewState.rotationAngle, expected) << value;
    }
}

TEST_F(Angles, RotateByTurnsFromTheCurrentAngle) {
    command("rotate_left_by", {30});
    EXPECT_EQ(farview::viewState.rotationAngle, 240.0f);
    command("rotate_to", {270});
    command("rotate_right_by", {100});
    EXPECT_EQ(farview::viewState.rotationAngle, 10.0f);
    command("rotate_right_by", {-40});
    EXPECT_EQ(farview::viewState.rotationAngle, 330.0f);
    command("rotate_left_by", {-30});
    EXPECT_EQ(farview::viewState.rotationAngle, 360.0f);
    command("rotate_left_by", {1080});
    EXPECT_EQ(farview::viewState.rotationAngle, 0.0f);
}

TEST_F(Angles, RotateByAddsInDoubleAndRoundsTheSumOnce) {
    // 1 + 2^-24 + 2^-50 rounds up to the next float; the delta alone rounded first would make the
    // sum an exact tie, rounded down to 1.
    const double delta = std::ldexp(1.0, -24) + std::ldexp(1.0, -50);
    command("rotate_to", {1});
    command("rotate_right_by", {delta});
    EXPECT_EQ(farview::viewState.rotationAngle, 1.0f + std::ldexp(1.0f, -23));
    command("rotate_to", {1});
    command("rotate_left_by", {-delta});
    EXPECT_EQ(farview::viewState.rotationAngle, 1.0f + std::ldexp(1.0f, -23));
}

// The remainder of v by 360 taken exactly, brought into 0 to 360; positive whole turns end at 360,
// as subtracting turns while above 360 leaves them.
float remainderInTurn(float v) {
    float r = static_cast<float>(std::fmod(double{v}, 360.0));
    if (r == 0.0f) return v > 0.0f ? 360.0f : 0.0f;
    return r < 0.0f ? r + 360.0f : r;
}

TEST_F(Angles, HugeAnglesEndWithinOneTurn) {
    for (double value : {1e30, -1e30, 3.4e38, -3.4e38, 1e20, -16777217.0 * 360.0, double{FLT_MAX}}) {
        command("rotate_to", {value});
        const float angle = farview::viewState.rotationAngle;
        EXPECT_GE(angle, 0.0f) << value;
        EXPECT_LE(angle, 360.0f) << value;
        EXPECT_EQ(angle, remainderInTurn(static_cast<float>(value))) << value;
    }
    for (const char *keyword : {"rotate_right_by", "rotate_left_by"}) {
        for (double value : {1e30, -1e30, 3.4e38, -3.4e38}) {
            command("rotate_to", {270});
            command(keyword, {value});
            EXPECT_GE(farview::viewState.rotationAngle, 0.0f) << keyword << ' ' << value;
            EXPECT_LE(farview::viewState.rotationAngle, 360.0f) << keyword << ' ' << value;
        }
    }
}

TEST_F(Angles, NonFiniteAnglesLeaveTheViewWhereItWas) {
    // 1e300 is finite as a double but rounds to an infinite float.
    for (const char *keyword : {"rotate_to", "rotate_right_by", "rotate_left_by"}) {
        for (double value : {kNaN, kInfinity, -kInfinity, 1e300, -1e300}) {
            command("rotate_to", {123.5});
            command(keyword, {value});
            EXPECT_EQ(farview::viewState.rotationAngle, 123.5f) << keyword << ' ' << value;
        }
    }
}

TEST_F(Angles, JustBeyondTheLoopLimitTheRemainderIsExact) {
    const float limit = 360.0f * 64.0f;
    const float cases[] = {std::nextafter(limit, 1e9f),
                           limit + 0.5f,
                           limit + 1.0f,
                           limit + 359.5f,
                           limit + 720.25f,
                           30000.125f,
                           -std::nextafter(limit, 1e9f),
                           -(limit + 0.5f),
                           -(limit + 359.75f),
                           std::nextafter(limit, 0.0f),
                           -std::nextafter(limit, 0.0f)};
    for (float value : cases) {
        EXPECT_EQ(farview::normaliseAngle(value), remainderInTurn(value)) << value;
        EXPECT_EQ(farview::normaliseAngle(value), farview::normaliseAngle(remainderInTurn(value))) << value;
    }
    EXPECT_EQ(farview::normaliseAngle(limit + 0.5f), 0.5f);
    EXPECT_EQ(farview::normaliseAngle(-(limit + 0.5f)), 359.5f);
}

// Subtracting whole turns while the angle is above 360 stops at 360, never at 0, on both sides of
// the limit where the exact reduction takes over from the loops.
TEST_F(Angles, WholeTurnsStopAt360OnBothSidesOfTheLoopLimit) {
    for (int turns = 1; turns <= 200; ++turns) {
        const float angle = 360.0f * static_cast<float>(turns);
        EXPECT_EQ(farview::normaliseAngle(angle), 360.0f) << turns << " turns";
        EXPECT_EQ(farview::normaliseAngle(-angle), 0.0f) << -turns << " turns";
    }
}

// ---- View-state commands -------------------------------------------------------------------------------

using ViewCommands = farview_test::PluginStateTest;

TEST_F(ViewCommands, EachStoresItsValuesAndTouchesNothingElse) {
    expectViewAfter(CommentRecord("set_horizon").number(80).number(10), [](ViewState &v) {
        v.horizon = 80;
        v.horizonOffset = 10;
    });
    expectViewAfter(CommentRecord("set_texture_scale").number(300), [](ViewState &v) {
        v.textureScaleX = 300.0f;
        v.textureScaleY = 300.0f;
    });
    expectViewAfter(CommentRecord("set_z_value").number(45.5), [](ViewState &v) { v.zValue = 45.5f; });
    expectViewAfter(CommentRecord("set_rotational_offset").number(-12.25),
                    [](ViewState &v) { v.rotationalOffset = -12.25f; });
    expectViewAfter(CommentRecord("set_mode7_picture_id").number(7), [](ViewState &v) { v.mode7PictureId = 7; });
    expectViewAfter(CommentRecord("usingBackground").number(0), [](ViewState &v) { v.usingBackground = false; });
    expectViewAfter(CommentRecord("set_wrapping").text("Yes"), [](ViewState &v) { v.wrapping = true; });
    expectViewAfter(CommentRecord("init_mode7").text("t"), [](ViewState &v) { v.mode7Rendering = true; });
    expectViewAfter(CommentRecord("init_mode7").text("f"), [](ViewState &v) { v.mode7Rendering = false; });
    expectViewAfter(CommentRecord("rotate_to").number(-90), [](ViewState &v) { v.rotationAngle = 270.0f; });
}

TEST_F(ViewCommands, ValuesAreStoredWithoutARangeCheck) {
    command("set_horizon", {-400, 1e9});
    EXPECT_EQ(farview::viewState.horizon, -400);
    EXPECT_EQ(farview::viewState.horizonOffset, 1000000000);
    command("set_texture_scale", {0});
    EXPECT_EQ(farview::viewState.textureScaleX, 0.0f);
    EXPECT_EQ(farview::viewState.textureScaleY, 0.0f);
    command("set_z_value", {-1e-3});
    EXPECT_EQ(farview::viewState.zValue, -1e-3f);
    command("set_mode7_picture_id", {-3});
    EXPECT_EQ(farview::viewState.mode7PictureId, -3);
}

// ---- set_boundary_texture ---------------------------------------------------------------------------------

using BoundaryCommand = farview_test::PluginStateTest;

TEST_F(BoundaryCommand, BeforeAnyMapLoadDoesNothing) {
    EXPECT_FALSE(command("set_boundary_texture", {0, 0}));
    EXPECT_EQ(farview::viewState.boundaryTexture, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(BoundaryCommand, OnlyExactlyTwoParametersCutTheCell) {
    farview_test::openMap(1, 4, 3);
    ASSERT_FALSE(command("load_map_to_texture"));
    ASSERT_NE(farview::viewState.mapTexture, nullptr);
    const int32_t images = simhost::liveImageCount();

    EXPECT_FALSE(command("set_boundary_texture", {1}));
    EXPECT_FALSE(command("set_boundary_texture", {1, 2, 0}));
    CommentRecord nine("set_boundary_texture");
    for (int n = 0; n < 9; ++n) nine.number(1);
    EXPECT_FALSE(interpret(nine));
    EXPECT_EQ(farview::viewState.boundaryTexture, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), images);

    EXPECT_FALSE(command("set_boundary_texture", {3, 2}));
    const FvHostImage *boundary = farview::viewState.boundaryTexture;
    ASSERT_NE(boundary, nullptr);
    ASSERT_EQ(boundary->width, 16);
    ASSERT_EQ(boundary->height, 16);
    const FvHostImage &texture = *farview::viewState.mapTexture;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(boundary->pixels[y * 16 + x], texture.pixels[(32 + y) * texture.width + 48 + x]) << x << ',' << y;
    EXPECT_EQ(simhost::liveImageCount(), images + 1);
}

TEST_F(BoundaryCommand, ACellOutsideTheMapLeavesTheTextureAsItWas) {
    farview_test::openMap(1, 4, 3);
    command("load_map_to_texture");
    command("set_boundary_texture", {0, 0});
    const FvHostImage *boundary = farview::viewState.boundaryTexture;
    ASSERT_NE(boundary, nullptr);
    const std::vector<uint8_t> before(boundary->pixels, boundary->pixels + 256);
    for (auto [column, row] : std::vector<std::pair<double, double>>{
             {4, 0}, {0, 3}, {-1, 0}, {0, -1.5}, {1e12, 0}, {kNaN, 1e12}, {-kInfinity, 0}}) {
        EXPECT_FALSE(command("set_boundary_texture", {column, row}));
        ASSERT_EQ(farview::viewState.boundaryTexture, boundary);
        EXPECT_EQ(std::vector<uint8_t>(boundary->pixels, boundary->pixels + 256), before) << column << ',' << row;
    }
}

// ---- is_mode7_rendering -----------------------------------------------------------------------------------

using RenderingVariable = farview_test::PluginStateTest;

TEST_F(RenderingVariable, GrowsTheVariablesWithZeroesUpToTheOneAskedFor) {
    command("init_mode7", {1});
    EXPECT_FALSE(command("is_mode7_rendering", {5}));
    EXPECT_EQ(simhost::variables().count, 5);
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{0, 0, 0, 0, 1}));
}

TEST_F(RenderingVariable, WritesZeroWhileDrawingIsOff) {
    command("is_mode7_rendering", {5});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{0, 0, 0, 0, 0}));
}

TEST_F(RenderingVariable, KeepsTheValuesItFindsWhenGrowing) {
    setVariables({7, 8, 9});
    command("init_mode7", {1});
    command("is_mode7_rendering", {5});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{7, 8, 9, 0, 1}));
}

TEST_F(RenderingVariable, OverwritesAnExistingVariableWithoutGrowing) {
    setVariables({42, 42, 42, 42, 42, 42, 42, 42});
    const int32_t *block = simhost::variables().values;
    command("init_mode7", {1});
    command("is_mode7_rendering", {3});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{42, 42, 1, 42, 42, 42, 42, 42}));
    command("init_mode7", {0});
    command("is_mode7_rendering", {8.9});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{42, 42, 1, 42, 42, 42, 42, 0}));
    EXPECT_EQ(simhost::variables().count, 8);
    EXPECT_EQ(simhost::variables().values, block);
}

TEST_F(RenderingVariable, NumbersBelowOneChangeNothing) {
    setVariables({7, 8, 9});
    command("init_mode7", {1});
    for (double n : {0.0, -3.0, 0.9, kNaN, -kInfinity, -1e12}) {
        EXPECT_FALSE(command("is_mode7_rendering", {n}));
        EXPECT_EQ(simhost::variables().count, 3) << n;
        EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{7, 8, 9})) << n;
    }
}

TEST_F(RenderingVariable, ABlockWhoseByteSizeExceeds32BitsChangesNothing) {
    setVariables({7, 8, 9});
    command("init_mode7", {1});
    simhost::setBlockLimit(INT32_MAX);
    for (double n : {536870912.0, 1073741824.0, 2147483647.0, kInfinity, 1e12}) {
        EXPECT_FALSE(command("is_mode7_rendering", {n}));
        EXPECT_EQ(simhost::variables().count, 3) << n;
        EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{7, 8, 9})) << n;
    }
}

TEST_F(RenderingVariable, AGrowthTheHostRefusesChangesNothing) {
    setVariables({7, 8, 9});
    const int32_t *block = simhost::variables().values;
    simhost::setBlockLimit(12);
    command("init_mode7", {1});
    EXPECT_FALSE(command("is_mode7_rendering", {5}));
    EXPECT_EQ(simhost::variables().count, 3);
    EXPECT_EQ(simhost::variables().values, block);
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{7, 8, 9}));
    command("is_mode7_rendering", {2});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{7, 1, 9}));
}

TEST_F(RenderingVariable, AHostWithNoVariablesYetGetsTheirBlock) {
    simhost::setBlockLimit(16);
    command("is_mode7_rendering", {5}); // 20 bytes: refused
    EXPECT_EQ(simhost::variables().count, 0);
    EXPECT_EQ(simhost::variables().values, nullptr);
    command("init_mode7", {1});
    command("is_mode7_rendering", {4});
    EXPECT_EQ(simhost::variableValues(), (std::vector<int32_t>{0, 0, 0, 1}));
}

// ---- set_background -----------------------------------------------------------------------------------------

using BackgroundCommand = farview_test::PluginStateTest;

TEST_F(BackgroundCommand, TakesTheWidthAndPixelsPerDegreeOfTheLoadedImage) {
    writeImage("sky.png", 720, 3);
    writeImage("hills.png", 100, 2);
    ASSERT_EQ(simhost::liveImageCount(), 0);

    CommentRecord sky("set_background");
    EXPECT_FALSE(interpret(sky.text("sky.png")));
    ASSERT_NE(farview::viewState.backgroundImage, nullptr);
    EXPECT_EQ(farview::viewState.backgroundImage->width, 720);
    EXPECT_EQ(farview::viewState.backgroundImage->loadOption, 1);
    EXPECT_EQ(farview::viewState.backgroundWidth, 720);
    EXPECT_EQ(farview::viewState.backgroundPixelsPerDegree, 2.0f);

    CommentRecord hills("set_background");
    interpret(hills.text("hills.png"));
    EXPECT_EQ(farview::viewState.backgroundWidth, 100);
    EXPECT_EQ(farview::viewState.backgroundPixelsPerDegree, static_cast<float>(100 / 360.0));
    EXPECT_EQ(farview::viewState.backgroundImage->width, 100);
    EXPECT_EQ(simhost::liveImageCount(), 1); // the sky image went at once
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(BackgroundCommand, AMissingFileLeavesAnEmptyImageAndTheHostsMessage) {
    writeImage("sky.png", 720, 3);
    CommentRecord sky("set_background");
    interpret(sky.text("sky.png"));
    CommentRecord missing("set_background");
    EXPECT_FALSE(interpret(missing.text("nowhere.png")));
    EXPECT_EQ(farview::viewState.backgroundWidth, 0);
    EXPECT_EQ(farview::viewState.backgroundPixelsPerDegree, 0.0f);
    EXPECT_EQ(simhost::liveImageCount(), 1);
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0].rfind("Cannot load image \"nowhere.png\":", 0), 0u) << simhost::messages()[0];
    EXPECT_EQ(simhost::messageCaptions()[0], "simhost");
}

TEST_F(BackgroundCommand, TheNameIsPassedWithoutFolderOrExtension) {
    std::filesystem::create_directories("Picture");
    writeImage("Picture/sky", 360, 1);
    CommentRecord sky("set_background");
    interpret(sky.text("Picture/sky"));
    EXPECT_EQ(farview::viewState.backgroundWidth, 360);
    EXPECT_EQ(farview::viewState.backgroundPixelsPerDegree, 1.0f);
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(BackgroundCommand, TheResetDestroysTheImageButKeepsItsWidth) {
    writeImage("sky.png", 720, 3);
    CommentRecord sky("set_background");
    interpret(sky.text("sky.png"));
    farview::resetForTitleScreen();
    EXPECT_EQ(farview::viewState.backgroundImage, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_EQ(farview::viewState.backgroundWidth, 720);
    EXPECT_EQ(farview::viewState.backgroundPixelsPerDegree, 2.0f);
}

} // namespace
