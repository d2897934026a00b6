// Comment lines as a game author writes them, split into the record the host hands to onComment.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/comment_line.h"
#include "support/host_fixture.h"

namespace {

bool allZero(const void *bytes, size_t size) {
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    for (size_t i = 0; i < size; ++i)
        if (p[i] != 0) return false;
    return true;
}

FvParsedComment parsed(const std::string &line) {
    FvParsedComment comment;
    std::string error;
    EXPECT_TRUE(simhost::parseCommentLine(line, comment, &error)) << line << ": " << error;
    return comment;
}

std::string refusal(const std::string &line) {
    FvParsedComment comment;
    std::string error;
    EXPECT_FALSE(simhost::parseCommentLine(line, comment, &error)) << line;
    return error;
}

const FvCommentParameter &slot(const FvParsedComment &comment, int number) { return comment.parameters[number - 1]; }

std::string textOf(const FvParsedComment &comment, int number) {
    EXPECT_NE(slot(comment, number).kind, 0) << "parameter " << number << " is not a text";
    return slot(comment, number).text;
}

double numberOf(const FvParsedComment &comment, int number) {
    EXPECT_EQ(slot(comment, number).kind, 0) << "parameter " << number << " is not a number";
    return slot(comment, number).number;
}

// ---- The name --------------------------------------------------------------------------------

TEST(CommentLineName, RunsFromTheAtSignToTheFirstBlank) {
    EXPECT_STREQ(parsed("@load_map_to_texture").name, "load_map_to_texture");
    EXPECT_STREQ(parsed("   \t@init_mode7 true").name, "init_mode7");
    EXPECT_STREQ(parsed("@rotate_to\t90").name, "rotate_to");
    // A comma does not end the name: only a blank does.
    FvParsedComment glued = parsed("@set_horizon,30");
    EXPECT_STREQ(glued.name, "set_horizon,30");
    EXPECT_EQ(glued.parameterCount, 0);
}

TEST(CommentLineName, NothingButBlanksAfterItMeansNoParameters) {
    EXPECT_EQ(parsed("@load_map_to_texture").parameterCount, 0);
    EXPECT_EQ(parsed("@load_map_to_texture  \t ").parameterCount, 0);
}

// ---- Splitting at commas -------------------------------------------------------------------------

TEST(CommentLineParameters, CommasSeparateThemAndSurroundingBlanksAreDropped) {
    FvParsedComment comment = parsed("@add_sprite \"tree\",\"tree.png\" ,  24 ,32,\t1, hello world ");
    ASSERT_EQ(comment.parameterCount, 6);
    EXPECT_EQ(textOf(comment, 1), "tree");
    EXPECT_EQ(textOf(comment, 2), "tree.png");
    EXPECT_EQ(numberOf(comment, 3), 24.0);
    EXPECT_EQ(numberOf(comment, 4), 32.0);
    EXPECT_EQ(numberOf(comment, 5), 1.0);
    EXPECT_EQ(textOf(comment, 6), "hello world"); // blanks inside a parameter stay
}

TEST(CommentLineParameters, AnEmptyParameterIsAnEmptyText) {
    FvParsedComment middle = parsed("@a x,,y");
    ASSERT_EQ(middle.parameterCount, 3);
    EXPECT_EQ(textOf(middle, 2), "");

    FvParsedComment trailing = parsed("@a 1,");
    ASSERT_EQ(trailing.parameterCount, 2);
    EXPECT_EQ(numberOf(trailing, 1), 1.0);
    EXPECT_EQ(textOf(trailing, 2), "");

    FvParsedComment lone = parsed("@a  , ");
    ASSERT_EQ(lone.parameterCount, 2);
    EXPECT_EQ(textOf(lone, 1), "");
    EXPECT_EQ(textOf(lone, 2), "");
}

TEST(CommentLineParameters, QuotedTextKeepsCommasBlanksAndEscapes) {
    FvParsedComment comment = parsed(R"(@say "Hello, world" , "he said \"hi\"", "a\\b", "C:\maps", "  ", "", "12")");
    ASSERT_EQ(comment.parameterCount, 7);
    EXPECT_EQ(textOf(comment, 1), "Hello, world");
    EXPECT_EQ(textOf(comment, 2), "he said \"hi\"");
    EXPECT_EQ(textOf(comment, 3), "a\\b");
    EXPECT_EQ(textOf(comment, 4), "C:\\maps"); // a backslash before anything else stays
    EXPECT_EQ(textOf(comment, 5), "  ");
    EXPECT_EQ(textOf(comment, 6), "");
    EXPECT_EQ(textOf(comment, 7), "12"); // quoted, so text even though it reads as a number
}

TEST(CommentLineParameters, AQuoteInsideAnUnquotedParameterIsAnOrdinaryCharacter) {
    FvParsedComment comment = parsed(R"(@a hero"s, b)");
    ASSERT_EQ(comment.parameterCount, 2);
    EXPECT_EQ(textOf(comment, 1), "hero\"s");
    EXPECT_EQ(textOf(comment, 2), "b");
}

// ---- Number or text --------------------------------------------------------------------------------

TEST(CommentLineParameters, OnlyAWholeDecimalNumberIsANumber) {
    struct Case {
        const char *parameter;
        double value;
    } numbers[] = {
        {"30", 30.0},     {"-2.5", -2.5}, {"+3", 3.0},  {".5", 0.5},     {"-.5", -0.5}, {"1e3", 1000.0},
        {"2.5E-1", 0.25}, {"1.", 1.0},    {"007", 7.0}, {"1e+2", 100.0}, {"0.1", 0.1},
    };
    for (const Case &c : numbers) {
        FvParsedComment comment = parsed(std::string("@n ") + c.parameter);
        EXPECT_EQ(slot(comment, 1).kind, 0) << c.parameter;
        EXPECT_EQ(slot(comment, 1).number, c.value) << c.parameter;
        EXPECT_STREQ(slot(comment, 1).text, "") << c.parameter;
    }
    const char *texts[] = {"12abc", "nan", "inf", "-inf", "infinity", "0x10", "yes", "true", "hero.png",
                           ".",     "-",   "+",   "1e",   "1e+",      "e5",   "--1", "1 2",  "1.5.2"};
    for (const char *parameter : texts) {
        FvParsedComment comment = parsed(std::string("@n \"x\", ") + parameter);
        ASSERT_GE(comment.parameterCount, 2) << parameter;
        EXPECT_NE(slot(comment, 2).kind, 0) << parameter;
        EXPECT_EQ(slot(comment, 2).number, 0.0) << parameter;
    }
    EXPECT_EQ(textOf(parsed("@n 12abc"), 1), "12abc");
}

TEST(CommentLineParameters, ANumberBeyondTheDoubleRangeIsInfinityAndOneTooSmallIsZero) {
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(numberOf(parsed("@n 1e999"), 1), infinity);
    EXPECT_EQ(numberOf(parsed("@n -1e999"), 1), -infinity);
    EXPECT_EQ(numberOf(parsed("@n 0.00001e400"), 1), infinity);
    EXPECT_EQ(numberOf(parsed("@n 1e99999999999999999999999"), 1), infinity);
    EXPECT_EQ(numberOf(parsed("@n " + std::string(400, '9')), 1), infinity);
    // Too close to zero for a double: zero, never infinity, however the digits lie.
    EXPECT_EQ(numberOf(parsed("@n 1e-999"), 1), 0.0);
    EXPECT_EQ(numberOf(parsed("@n 100000e-330"), 1), 0.0);
    EXPECT_EQ(numberOf(parsed("@n 1e-99999999999999999999999"), 1), 0.0);
    double negativeZero = numberOf(parsed("@n -1e-999"), 1);
    EXPECT_EQ(negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero));
    // Still in range, though written with a far exponent.
    EXPECT_EQ(numberOf(parsed("@n 0.00001e308"), 1), 1e303);
    EXPECT_EQ(numberOf(parsed("@n 1.7976931348623157e308"), 1), std::numeric_limits<double>::max());
}

// ---- Slots and field sizes -----------------------------------------------------------------------

TEST(CommentLineRecord, CountsEveryParameterButStoresTheFirstNine) {
    FvParsedComment comment = parsed("@a 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, \"eleven\"");
    EXPECT_EQ(comment.parameterCount, 11);
    for (int n = 1; n <= FV_COMMENT_PARAMETER_SLOTS; ++n) EXPECT_EQ(numberOf(comment, n), n);
    EXPECT_EQ(sizeof comment.parameters / sizeof comment.parameters[0], 9u);
}

TEST(CommentLineRecord, LongNamesAndTextsAreCutTo199BytesAndTheirZeroByte) {
    std::string longName(250, 'n');
    std::string longText(300, 't');
    FvParsedComment comment = parsed("@" + longName + " \"" + longText + "\", " + std::string(260, 'u'));
    EXPECT_EQ(std::string(comment.name, sizeof comment.name - 1), longName.substr(0, 199));
    EXPECT_EQ(comment.name[199], '\0');
    EXPECT_EQ(std::string(slot(comment, 1).text, 199), longText.substr(0, 199));
    EXPECT_EQ(slot(comment, 1).text[199], '\0');
    EXPECT_EQ(std::string(slot(comment, 2).text, 199), std::string(199, 'u'));
    EXPECT_EQ(slot(comment, 2).text[199], '\0');

    std::string fits(199, 'f');
    EXPECT_EQ(std::string(parsed("@" + fits).name), fits);
    EXPECT_EQ(textOf(parsed("@a \"" + fits + "\""), 1), fits);
}

TEST(CommentLineRecord, EveryByteNotHoldingAValueIsZero) {
    FvParsedComment comment;
    std::memset(&comment, 0xAB, sizeof comment); // whatever the caller's record held before
    std::string error;
    ASSERT_TRUE(simhost::parseCommentLine("@set_background \"sky.png\", 80", comment, &error)) << error;

    EXPECT_STREQ(comment.name, "set_background");
    EXPECT_TRUE(allZero(comment.name + 15, sizeof comment.name - 15));
    EXPECT_EQ(comment.parameterCount, 2);
    EXPECT_EQ(comment.reserved, 0);

    const FvCommentParameter &text = slot(comment, 1);
    EXPECT_EQ(text.kind, 1);
    EXPECT_EQ(text.reserved, 0);
    EXPECT_EQ(text.number, 0.0);
    EXPECT_STREQ(text.text, "sky.png");
    EXPECT_TRUE(allZero(text.text + 8, sizeof text.text - 8));

    const FvCommentParameter &number = slot(comment, 2);
    EXPECT_EQ(number.kind, 0);
    EXPECT_EQ(number.reserved, 0);
    EXPECT_EQ(number.number, 80.0);
    EXPECT_TRUE(allZero(number.text, sizeof number.text));

    for (int n = 3; n <= FV_COMMENT_PARAMETER_SLOTS; ++n)
        EXPECT_TRUE(allZero(&slot(comment, n), sizeof(FvCommentParameter))) << "slot " << n;
}

// ---- Lines the author must fix ---------------------------------------------------------------------

TEST(CommentLineErrors, ALineNotStartingWithTheAtSign) {
    for (const char *line : {"set_horizon 30, 10", "", "   ", "# @set_horizon", "x@a"})
        EXPECT_EQ(refusal(line), "a comment line must start with '@'") << line;
}

TEST(CommentLineErrors, AnEmptyName) {
    for (const char *line : {"@", "  @", "@ 30, 10", "@\t\"x\""})
        EXPECT_EQ(refusal(line), "the comment line has no name after '@'") << line;
}

TEST(CommentLineErrors, AnUnterminatedQuote) {
    for (const char *line :
         {R"(@set_background "sky.png)", R"(@a 1, ")", R"(@a "ends in an escaped quote\")", R"(@a "x", "y, z)"})
        EXPECT_EQ(refusal(line), "a text has no closing quote") << line;
}

TEST(CommentLineErrors, MoreAfterAClosingQuote) {
    EXPECT_EQ(refusal(R"(@a 1, "sky"png)"), "parameter 2 has more after its closing quote");
    EXPECT_EQ(refusal(R"(@a "x" "y")"), "parameter 1 has more after its closing quote");
}

TEST(CommentLineErrors, LeaveTheRecordAsItWasAndNeedNoErrorText) {
    FvParsedComment comment;
    std::memset(&comment, 0x5A, sizeof comment);
    FvParsedComment before = comment;
    EXPECT_FALSE(simhost::parseCommentLine("@a \"open", comment, nullptr));
    EXPECT_EQ(std::memcmp(&comment, &before, sizeof comment), 0);
}

// ---- Handing the line to the plug-in -------------------------------------------------------------

struct Received {
    int calls = 0;
    std::string commentText;
    FvParsedComment comment{};
    bool answer = false;
};
Received received;

bool FVAPI recordComment(const char *commentText, const FvParsedComment *comment) {
    ++received.calls;
    received.commentText = commentText;
    received.comment = *comment;
    return received.answer;
}

class SendCommentLine : public ::testing::Test {
protected:
    void SetUp() override {
        received = Received{};
        module.onComment = recordComment;
    }
    simhost::PluginModule module;
};

TEST_F(SendCommentLine, HandsTheLineAndItsRecordToOnCommentAndReportsItsAnswer) {
    for (bool answer : {true, false}) {
        received.answer = answer;
        bool returned = !answer;
        std::string error;
        ASSERT_TRUE(simhost::sendCommentLine(module, "  @set_horizon 80, 10", &returned, &error)) << error;
        EXPECT_EQ(returned, answer);
    }
    EXPECT_EQ(received.calls, 2);
    EXPECT_EQ(received.commentText, "  @set_horizon 80, 10");
    EXPECT_STREQ(received.comment.name, "set_horizon");
    EXPECT_EQ(received.comment.parameterCount, 2);
    EXPECT_EQ(received.comment.parameters[0].number, 80.0);
    EXPECT_EQ(received.comment.parameters[1].number, 10.0);
}

TEST_F(SendCommentLine, ARefusedLineIsNotSent) {
    bool returned = true;
    std::string error;
    EXPECT_FALSE(simhost::sendCommentLine(module, "@a \"open", &returned, &error));
    EXPECT_EQ(error, "a text has no closing quote");
    EXPECT_EQ(received.calls, 0);
    EXPECT_TRUE(returned); // untouched
}

TEST_F(SendCommentLine, AModuleWithoutOnCommentIsRefused) {
    simhost::PluginModule none;
    std::string error;
    EXPECT_FALSE(simhost::sendCommentLine(none, "@init_mode7 true", nullptr, &error));
    EXPECT_EQ(error, "no plug-in module is loaded");
}

class SendCommentLineToTheModule : public farview_test::ModuleTest {};

TEST_F(SendCommentLineToTheModule, ANameThatIsNoKeywordIsLeftToTheHost) {
    bool returned = false;
    std::string error;
    ASSERT_TRUE(simhost::sendCommentLine(module, "@no_such_command 1, \"two\"", &returned, &error)) << error;
    EXPECT_TRUE(returned);
}

} // namespace
