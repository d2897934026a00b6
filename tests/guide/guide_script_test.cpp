// A guide script's panels: which frame lines become panels, and the labels a panel cannot show,
// refused with their line before anything is rendered.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/guide/guide_script.h"

namespace {

std::vector<guide::LabelledFrame> framesOf(const std::string &text) {
    std::vector<guide::LabelledFrame> frames;
    std::string error;
    EXPECT_TRUE(guide::readLabelledFrames(text, "guide.txt", frames, &error)) << error;
    return frames;
}

std::string refusalOf(const std::string &text) {
    std::vector<guide::LabelledFrame> frames;
    std::string error;
    EXPECT_FALSE(guide::readLabelledFrames(text, "guide.txt", frames, &error));
    return error;
}

TEST(GuideScript, PanelsAreTheLabelledFrameLinesOutsideRepeats) {
    const std::vector<guide::LabelledFrame> frames = framesOf("enter 1\n"
                                                              "@set_background \"sky #2.png\"\n"
                                                              "frame plain.png\n"
                                                              "  frame \"a shot.png\" 1 2   #  the first panel  \n"
                                                              "repeat 3\n"
                                                              "  frame walk-{n}.png\n"
                                                              "  gif end\n"
                                                              "end\n"
                                                              "frame last.png # the second\n");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].file, "a shot.png");
    EXPECT_EQ(frames[0].label, "the first panel");
    EXPECT_EQ(frames[0].line, 4);
    EXPECT_EQ(frames[1].file, "last.png");
    EXPECT_EQ(frames[1].label, "the second");
    EXPECT_EQ(frames[1].line, 9);
}

TEST(GuideScript, LabelsAPanelCannotShowAreRefusedWithTheirLine) {
    EXPECT_EQ(refusalOf("enter 1\nframe # no file\n"),
              "guide.txt:2: a labelled frame needs a FILE: frame FILE # LABEL");
    EXPECT_NE(refusalOf("repeat 2\n  frame a.png # again\nend\n").find("guide.txt:2: a labelled frame inside a repeat"),
              std::string::npos);
    EXPECT_NE(refusalOf("frame a.png # caf\xc3\xa9\n").find("guide.txt:1: the label holds characters"),
              std::string::npos);
    const std::string longest(guide::kLongestLabel, 'x');
    framesOf("frame a.png # " + longest + "\n");
    EXPECT_NE(refusalOf("frame a.png # " + longest + "x\n").find("guide.txt:1: the label is longer"),
              std::string::npos);
}

} // namespace
