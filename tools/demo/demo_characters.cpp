// The demo's character sheets: 288 x 256 pixels, eight characters in blocks of 72 x 128, four
// across. A block holds a row per facing (up, right, down, left: the row shown at the default
// view is the facing) and three frames per row, 24 x 32 each: a step with one foot, standing, a
// step with the other. Figures are drawn from a few shapes and then outlined, so that they read
// at the small sizes the view draws them.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/demo/demo_art.h"

namespace preview::demo {

namespace {

// Colours come in pairs: a colour, then its shade.
enum Colour : uint8_t {
    Clear,
    Ink,
    EyeDark,
    EyeWhite,
    Mouth,
    Blush,
    SkinLight,
    SkinLightShade,
    SkinTan,
    SkinTanShade,
    SkinDark,
    SkinDarkShade,
    HairBrown,
    HairBrownShade,
    HairBlond,
    HairBlondShade,
    HairBlack,
    HairBlackShade,
    HairRed,
    HairRedShade,
    HairGrey,
    HairGreyShade,
    ClothRed,
    ClothRedShade,
    ClothBlue,
    ClothBlueShade,
    ClothGreen,
    ClothGreenShade,
    ClothYellow,
    ClothYellowShade,
    ClothPurple,
    ClothPurpleShade,
    ClothWhite,
    ClothWhiteShade,
    ClothBrown,
    ClothBrownShade,
    Steel,
    SteelShade,
    ClothTeal,
    ClothTealShade,
    ClothPink,
    ClothPinkShade,
    ClothDark,
    ClothDarkShade,
    Straw,
    StrawShade,
    FurBrown,
    FurBrownShade,
    FurGrey,
    FurGreyShade,
    Wool,
    WoolShade,
    WoolCream,
    WoolCreamShade,
    FurPink,
    FurPinkShade,
    FurOrange,
    FurOrangeShade,
    FurBlack,
    FurBlackShade,
    Nose,
    Gold,
    ColourCount
};

uint8_t shadeOf(uint8_t colour) { return uint8_t(colour + 1); }

const Palette &sheetPalette() {
    static const Palette palette = [] {
        Palette p{};
        const uint32_t colours[ColourCount] = {
            0x000000, 0x201820, 0x1a1418, 0xf8f8f8, 0x9a3a34, 0xf0a090, 0xf6d2b0, 0xd9a884, 0xd9a070,
            0xb47a4e, 0x8a5a3a, 0x6a4028, 0x7a4a26, 0x5a3418, 0xe8c860, 0xc09a38, 0x2a2630, 0x16141c,
            0xc0502a, 0x903818, 0xc8c8cc, 0x9a9aa2, 0xc83838, 0x942626, 0x3a62c8, 0x284496, 0x3c9a4a,
            0x2a7034, 0xe8c040, 0xb8922a, 0x8a4ab8, 0x66348a, 0xeeeeea, 0xbcbcc4, 0x8a6038, 0x664424,
            0xa8b0bc, 0x707884, 0x2a9a9a, 0x1c7070, 0xe888b0, 0xc06088, 0x3a3a48, 0x24242e, 0xe0c070,
            0xb89448, 0x9a6a3a, 0x744c26, 0x8a8a94, 0x66666e, 0xf4f2ea, 0xcfcabe, 0xe8dcb8, 0xc4b48c,
            0xf0a8b0, 0xd08088, 0xe07a2a, 0xb4561a, 0x2e2a2e, 0x1a181a, 0x3a2020, 0xf0c838,
        };
        for (int i = 0; i < ColourCount; ++i) p[i] = colours[i];
        return p;
    }();
    return palette;
}

constexpr int32_t kFrameWidth = 24;
constexpr int32_t kFrameHeight = 32;
constexpr int32_t kBlockWidth = 72;
constexpr int32_t kBlockHeight = 128;

enum Facing { Up, Right, Down, Left };

// A frame being drawn, always as if the figure faced up, right or down; left is right mirrored.
struct Frame {
    Canvas canvas{kFrameWidth, kFrameHeight, sheetPalette()};
    void rect(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t c) { canvas.fillRect(x, y, w, h, c); }
    void oval(double cx, double cy, double rx, double ry, uint8_t c) { canvas.fillEllipse(cx, cy, rx, ry, c); }
    void dot(int32_t x, int32_t y, uint8_t c) { canvas.set(x, y, c); }
    // A rectangle and its mirror image across the frame's middle, for what a face has two of.
    void pair(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t c) {
        rect(x, y, w, h, c);
        rect(kFrameWidth - x - w, y, w, h, c);
    }
    void eyes(int32_t row) { pair(9, row, 1, 2, EyeDark); }
    // A leg from the hip down to the ground, leaning by `lean` pixels at the foot.
    void leg(double hipX, int32_t hipY, double lean, int32_t footY, uint8_t cloth, uint8_t shoe) {
        for (int32_t y = hipY; y <= footY; ++y) {
            const double t = double(y - hipY) / std::max(1, footY - hipY);
            const int32_t x = floorToInt(hipX + lean * t);
            rect(x, y, 3, 1, y >= footY - 1 ? shoe : cloth);
        }
    }
};

// ---- People ---------------------------------------------------------------------------------------

enum class HairStyle { Short, Long, Bald };
enum class Headwear { None, Cap, StrawHat, Helmet, Hood, Crown };

// Colours are the first of their pair: the shade beside each is drawn where the light is turned away.
struct Person {
    uint8_t skin, hair, shirt, legs, shoes;
    HairStyle hairStyle = HairStyle::Short;
    Headwear headwear = Headwear::None;
    uint8_t hatColour = 0;
    bool dress = false; // a skirt to the knees instead of trousers
    uint8_t apron = 0;  // an apron over the shirt, front and sides
    bool beard = false;
    uint8_t cape = 0; // a cape on the back
};

// The step offsets for frames 0, 1, 2: which foot is forward and how the body bobs.
struct Stride {
    int32_t leftFoot; // -1 lifted / behind, 0 standing, 1 forward
    int32_t rightFoot;
    int32_t bob; // the body rises a pixel mid-step
};
Stride strideOf(int32_t frame) {
    if (frame == 0) return {1, -1, -1};
    if (frame == 2) return {-1, 1, -1};
    return {0, 0, 0};
}

void drawLegsFacingViewer(Frame &f, const Person &p, const Stride &s, bool facingDown) {
    // Seen from the front or the back the stepping foot is lifted: its leg is shorter.
    const int32_t leftLift = s.leftFoot != 0 && (s.leftFoot > 0) == facingDown ? 2 : 0;
    const int32_t rightLift = s.rightFoot != 0 && (s.rightFoot > 0) == facingDown ? 2 : 0;
    const int32_t hip = p.dress ? 26 : 23;
    f.leg(8, hip, 0, 31 - leftLift, p.legs, p.shoes);
    f.leg(13, hip, 0, 31 - rightLift, shadeOf(p.legs), p.shoes);
}

void drawLegsInProfile(Frame &f, const Person &p, const Stride &s) {
    const int32_t hip = p.dress ? 25 : 23;
    if (s.leftFoot == 0) {
        f.leg(10.5, hip, 0, 31, p.legs, p.shoes);
        f.rect(11, 30, 4, 2, p.shoes); // the toe points the way the figure faces
        return;
    }
    f.leg(10.5, hip, -3.5, 31, shadeOf(p.legs), p.shoes); // the far leg, behind
    f.leg(10.5, hip, 3.5, 31, p.legs, p.shoes);           // the near leg, forward
    f.rect(15, 30, 2, 2, p.shoes);
}

void drawTorso(Frame &f, const Person &p, Facing facing, int32_t top) {
    const bool profile = facing == Right;
    const int32_t left = profile ? 8 : 6, width = profile ? 8 : 12;
    f.rect(left + 1, top, width - 2, 1, p.shirt); // rounded shoulders
    f.rect(left, top + 1, width, 8, p.shirt);
    f.rect(left + width - 2, top + 1, 2, 8, shadeOf(p.shirt));
    if (p.dress) {
        for (int32_t row = 0; row < 5; ++row) f.rect(left - row / 2, top + 8 + row, width + row, 1, p.shirt);
        f.rect(left + width - 2, top + 8, 2 + 2, 5, shadeOf(p.shirt));
    } else {
        f.rect(left, top + 8, width, 1, shadeOf(p.legs)); // the belt
    }
    if (p.apron != 0 && facing != Up) {
        const int32_t apronLeft = profile ? left + 4 : left + 2;
        f.rect(apronLeft, top + 3, profile ? 4 : width - 4, 9, p.apron);
    }
    if (p.cape != 0 && facing == Up) f.rect(left - 1, top, width + 2, 11, p.cape);
    if (p.cape != 0 && facing == Right) f.rect(left - 2, top, 3, 10, p.cape);
}

void drawArms(Frame &f, const Person &p, Facing facing, const Stride &s, int32_t top) {
    if (facing == Right) {
        // The near arm swings against the near leg.
        const int32_t swing = -3 * s.rightFoot + 3 * s.leftFoot;
        for (int32_t y = 0; y < 7; ++y) f.rect(11 + swing * y / 7, top + 1 + y, 3, 1, shadeOf(p.shirt));
        f.rect(11 + swing, top + 8, 3, 2, p.skin);
        return;
    }
    const int32_t leftDrop = facing == Down ? s.rightFoot : s.leftFoot;
    f.rect(4, top + 1, 2, 7 + leftDrop, p.shirt);
    f.rect(4, top + 8 + leftDrop, 2, 2, p.skin);
    f.rect(18, top + 1, 2, 7 - leftDrop, shadeOf(p.shirt));
    f.rect(18, top + 8 - leftDrop, 2, 2, shadeOf(p.skin));
}

void drawHair(Frame &f, const Person &p, Facing facing, int32_t cy) {
    if (p.hairStyle == HairStyle::Bald) {
        f.oval(12, cy - 0.5, 6.0, 5.6, p.skin);
        f.oval(13.5, cy - 3.0, 2.0, 1.4, Blush); // the shine on the scalp
        return;
    }
    const uint8_t hair = p.hair;
    f.oval(12, cy - 0.5, 6.3, 5.8, hair);
    if (p.hairStyle == HairStyle::Long) {
        if (facing == Up) f.rect(6, cy, 12, 9, hair);
        if (facing == Down) {
            f.rect(5, cy, 3, 9, hair);
            f.rect(16, cy, 3, 9, hair);
        }
        if (facing == Right) f.rect(6, cy, 6, 9, hair);
        f.rect(facing == Right ? 6 : 16, cy + 1, 2, 8, shadeOf(hair));
    }
    f.rect(8, cy - 6, 3, 1, shadeOf(hair)); // a lock on the crown
}

void drawFace(Frame &f, const Person &p, Facing facing, int32_t cy) {
    if (facing == Up) return; // the back of the head is hair
    if (facing == Down) {
        f.oval(12, cy + 1.2, 4.9, 4.2, p.skin);
        f.rect(8, cy - 1, 8, 1, p.hair); // the fringe
        f.eyes(cy + 1);
        f.pair(8, cy + 3, 1, 1, Blush);
        if (p.beard) {
            f.rect(8, cy + 3, 8, 3, p.hair);
            f.rect(10, cy + 6, 4, 1, p.hair);
        }
        f.rect(11, cy + 4, 2, 1, Mouth);
        return;
    }
    // In profile, facing right: the face in front, an ear, the hair behind.
    f.oval(14, cy + 1.2, 4.0, 4.2, p.skin);
    f.rect(18, cy + 1, 1, 2, p.skin);          // the nose
    f.rect(11, cy + 1, 2, 2, shadeOf(p.skin)); // the ear
    f.rect(15, cy + 1, 1, 2, EyeDark);
    f.rect(10, cy - 1, 8, 1, p.hair);
    if (p.beard) f.rect(13, cy + 3, 5, 3, p.hair);
}

// The face seen through a helmet or a hood.
void drawFaceOpening(Frame &f, const Person &p, Facing facing, int32_t cy, double height, bool mouth) {
    if (facing == Down) {
        f.oval(12, cy + 1.5, 4.3, height, p.skin);
        f.eyes(cy + 1);
        if (mouth) f.rect(11, cy + 4, 2, 1, Mouth);
    } else if (facing == Right) {
        f.oval(15, cy + 1.5, 3.1, height, p.skin);
        f.rect(16, cy + 1, 1, 2, EyeDark);
    }
}

void drawHeadwear(Frame &f, const Person &p, Facing facing, int32_t cy) {
    const uint8_t hat = p.hatColour;
    switch (p.headwear) {
    case Headwear::None: return;
    case Headwear::Cap:
        f.oval(12, cy - 2.5, 6.0, 3.6, hat);
        if (facing == Down) f.rect(7, cy - 1, 10, 1, shadeOf(hat));
        if (facing == Right) f.rect(14, cy - 1, 6, 1, shadeOf(hat));
        return;
    case Headwear::StrawHat:
        f.rect(3, cy - 2, 18, 2, hat);
        f.oval(12, cy - 3.5, 5.0, 3.2, hat);
        f.rect(7, cy - 3, 10, 1, shadeOf(hat));
        return;
    case Headwear::Helmet:
        f.oval(12, cy - 0.5, 6.6, 6.0, hat);
        f.rect(5, cy - 1, 14, 1, shadeOf(hat));
        drawFaceOpening(f, p, facing, cy, 3.0, false);
        if (facing == Down) f.rect(11, cy, 2, 4, hat); // the nose guard
        f.rect(11, cy - 8, 2, 3, ClothRed);            // the plume
        return;
    case Headwear::Hood:
        f.oval(12, cy, 7.0, 6.6, hat);
        f.rect(5, cy + 4, 14, 3, hat);
        drawFaceOpening(f, p, facing, cy, 3.7, true);
        return;
    case Headwear::Crown:
        f.rect(8, cy - 8, 8, 3, hat);
        f.pair(8, cy - 9, 1, 1, hat); // its points
        f.dot(12, cy - 9, hat);
        return;
    }
}

void drawPerson(Frame &f, const Person &p, Facing facing, int32_t frame) {
    const Stride s = strideOf(frame);
    const int32_t bodyTop = 15 + s.bob, headCentre = 9 + s.bob;
    if (facing == Right)
        drawLegsInProfile(f, p, s);
    else
        drawLegsFacingViewer(f, p, s, facing == Down);
    if (p.cape != 0 && facing == Down) f.rect(5, bodyTop, 14, 10, shadeOf(p.cape)); // the cape behind
    drawTorso(f, p, facing, bodyTop);
    drawArms(f, p, facing, s, bodyTop);
    drawHair(f, p, facing, headCentre);
    drawFace(f, p, facing, headCentre);
    drawHeadwear(f, p, facing, headCentre);
}

// ---- Animals ----------------------------------------------------------------------------------------

enum class Ears { Floppy, Pointed, Small };
enum class Tail { Short, Long, Bushy, Curly };

struct Animal {
    uint8_t body, face, legs; // each the first of a pair, as for people
    Ears ears;
    Tail tail;
    bool woolly = false; // a lumpy fleece outline
    uint8_t snout = 0;   // a snout of its own colour (pigs)
    uint8_t spots = 0;
};

void drawWool(Frame &f, double cx, double cy, double rx, double ry, uint8_t colour) {
    f.oval(cx, cy, rx, ry, colour);
    for (int32_t i = 0; i < 8; ++i) {
        const double a = i * 0.785;
        f.oval(cx + std::cos(a) * rx * 0.85, cy + std::sin(a) * ry * 0.85, 2.0, 2.0, colour);
    }
}

void drawAnimalInProfile(Frame &f, const Animal &a, int32_t frame) {
    const Stride s = strideOf(frame);
    // Four legs; the pairs move against each other in a step.
    const int32_t lean = 2 * s.leftFoot;
    f.leg(6, 24, -lean, 31, shadeOf(a.legs), shadeOf(a.legs));
    f.leg(15, 24, lean, 31, shadeOf(a.legs), shadeOf(a.legs));
    f.leg(8, 24, lean, 31, a.legs, a.legs);
    f.leg(17, 24, -lean, 31, a.legs, a.legs);
    switch (a.tail) {
    case Tail::Short: f.rect(2, 18, 3, 2, a.body); break;
    case Tail::Long:
        for (int32_t i = 0; i < 6; ++i) f.rect(4 - i / 2, 20 - i, 2, 1, a.body);
        break;
    case Tail::Bushy:
        f.oval(2.5, 18, 2.6, 3.6, a.body);
        f.oval(1.5, 15.5, 1.5, 1.5, EyeWhite); // the white tip
        break;
    case Tail::Curly:
        f.rect(2, 17, 3, 1, a.body);
        f.rect(3, 16, 1, 3, a.body);
        break;
    }
    if (a.woolly)
        drawWool(f, 11, 21, 7.0, 4.5, a.body);
    else
        f.oval(11, 21.5, 7.5, 4.5, a.body);
    f.oval(11, 23.5, 6.0, 2.0, shadeOf(a.body));
    if (a.spots != 0) {
        f.oval(8, 20, 2.5, 2.0, a.spots);
        f.oval(14, 22, 2.0, 1.5, a.spots);
    }
    // The head, forward and up.
    f.oval(18.5, 16.5, 3.8, 3.6, a.face);
    f.oval(21.0, 18.0, 2.2, 1.8, a.snout != 0 ? a.snout : a.face);
    f.dot(22, 17, Nose);
    f.rect(19, 15, 1, 2, EyeDark);
    switch (a.ears) {
    case Ears::Floppy: f.rect(16, 14, 2, 5, shadeOf(a.face)); break;
    case Ears::Pointed:
        f.rect(16, 13, 4, 1, a.face);
        f.dot(16, 12, a.face);
        f.dot(19, 12, a.face);
        break;
    case Ears::Small: f.rect(16, 13, 2, 2, shadeOf(a.face)); break;
    }
}

void drawAnimalFacingViewer(Frame &f, const Animal &a, int32_t frame, bool facingDown) {
    const Stride s = strideOf(frame);
    const int32_t liftLeft = s.leftFoot > 0 ? 1 : 0, liftRight = s.rightFoot > 0 ? 1 : 0;
    f.leg(7.5, 25, 0, 31 - liftLeft, a.legs, a.legs);
    f.leg(13.5, 25, 0, 31 - liftRight, shadeOf(a.legs), shadeOf(a.legs));
    if (a.woolly)
        drawWool(f, 12, 22, 6.0, 5.0, a.body);
    else
        f.oval(12, 22.5, 6.0, 5.0, a.body);
    if (!facingDown) {
        // From behind: the rump, the tail, the back of the head beyond it.
        f.oval(12, 15.5, 4.0, 3.6, a.face);
        if (a.ears == Ears::Pointed)
            f.pair(9, 12, 1, 1, a.face);
        else
            f.pair(7, 14, 2, 4, shadeOf(a.face));
        const int32_t tailLength = a.tail == Tail::Short || a.tail == Tail::Curly ? 2 : 6;
        f.rect(11, 21 - tailLength, 2, tailLength + 1, shadeOf(a.body));
        if (a.tail == Tail::Bushy) {
            f.oval(12, 16.5, 2.5, 3.5, a.body);
            f.dot(12, 13, EyeWhite);
        }
        return;
    }
    f.oval(12, 17.5, 5.0, 4.6, a.face);
    switch (a.ears) {
    case Ears::Floppy: f.pair(6, 14, 2, 6, shadeOf(a.face)); break;
    case Ears::Pointed:
        f.pair(7, 11, 2, 3, a.face);
        f.pair(7, 10, 1, 1, a.face);
        break;
    case Ears::Small: f.pair(6, 14, 2, 2, shadeOf(a.face)); break;
    }
    f.oval(12, 20.0, 2.6, 1.8, a.snout != 0 ? a.snout : a.face);
    f.rect(11, 19, 2, 1, Nose);
    f.eyes(16);
}

void drawAnimal(Frame &f, const Animal &a, Facing facing, int32_t frame) {
    if (facing == Right)
        drawAnimalInProfile(f, a, frame);
    else
        drawAnimalFacingViewer(f, a, frame, facing == Down);
}

// ---- Sheets --------------------------------------------------------------------------------------------

// One frame of a character, left drawn as right mirrored, outlined.
Canvas drawFrame(const std::function<void(Frame &, Facing, int32_t)> &paint, Facing facing, int32_t frame) {
    Frame f;
    paint(f, facing == Left ? Right : facing, frame);
    f.canvas.outline(0, 0, kFrameWidth, kFrameHeight, Ink);
    if (facing == Left) {
        Canvas mirrored(kFrameWidth, kFrameHeight, sheetPalette());
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x) mirrored.set(kFrameWidth - 1 - x, y, f.canvas.at(x, y));
        return mirrored;
    }
    return f.canvas;
}

void paintBlock(Canvas &sheet, int32_t slot, const std::function<void(Frame &, Facing, int32_t)> &paint) {
    const int32_t blockX = (slot % 4) * kBlockWidth, blockY = (slot / 4) * kBlockHeight;
    for (int32_t facing = Up; facing <= Left; ++facing) {
        for (int32_t frame = 0; frame < 3; ++frame) {
            const Canvas drawn = drawFrame(paint, Facing(facing), frame);
            sheet.blit(drawn, 0, 0, kFrameWidth, kFrameHeight, blockX + frame * kFrameWidth,
                       blockY + facing * kFrameHeight);
        }
    }
}

Canvas paintPeople(const std::vector<Person> &people) {
    Canvas sheet(288, 256, sheetPalette());
    for (size_t i = 0; i < people.size() && i < 8; ++i) {
        const Person person = people[i];
        paintBlock(sheet, int32_t(i),
                   [person](Frame &f, Facing facing, int32_t frame) { drawPerson(f, person, facing, frame); });
    }
    return sheet;
}

Person heroPerson() {
    Person hero{SkinLight, HairBrown, ClothBlue, ClothBrown, HairBlack};
    hero.cape = ClothRed;
    return hero;
}

} // namespace

Canvas paintHeroSheet() {
    Person mage{SkinLight,  HairGrey,         ClothPurple,    ClothPurple,
                ClothBrown, HairStyle::Short, Headwear::Hood, ClothPurple};
    mage.dress = true;
    Person knight{SkinTan, HairBlack, Steel, Steel, ClothDark, HairStyle::Short, Headwear::Helmet, Steel};
    knight.cape = ClothBlue;
    Person healer{SkinLight, HairBlond, ClothWhite, ClothWhite, ClothBrown, HairStyle::Long};
    healer.dress = true;
    healer.apron = ClothRed;
    Person ranger{SkinTan, HairRed, ClothGreen, ClothBrown, ClothBrown, HairStyle::Short, Headwear::Hood, ClothGreen};
    Person rogue{SkinDark, HairBlack, ClothDark, ClothDark, HairBlack};
    rogue.cape = ClothDark;
    Person princess{SkinLight, HairBlond, ClothPink, ClothPink, ClothWhite, HairStyle::Long, Headwear::Crown, Gold};
    princess.dress = true;
    Person monk{SkinDark, HairBlack, ClothYellow, ClothYellow, ClothBrown, HairStyle::Bald};
    return paintPeople({heroPerson(), mage, knight, healer, ranger, rogue, princess, monk});
}

Canvas paintVillagerSheet() {
    Person baker{SkinLight, HairBrown, ClothBlue, ClothBrown, ClothBrown, HairStyle::Short, Headwear::Cap, ClothWhite};
    baker.apron = ClothWhite;
    Person smith{SkinTan, HairBlack, ClothRed, ClothDark, HairBlack, HairStyle::Bald};
    smith.apron = ClothBrown;
    smith.beard = true;
    Person girl{SkinLight, HairRed, ClothGreen, ClothGreen, ClothBrown, HairStyle::Long};
    girl.dress = true;
    Person elder{SkinLight, HairGrey, ClothPurple, ClothBrown, ClothBrown};
    elder.beard = true;
    Person fisher{SkinTan, HairBrown, ClothTeal, ClothBlue, ClothBrown, HairStyle::Short, Headwear::StrawHat, Straw};
    Person farmer{SkinDark,   HairBlack,        ClothYellow,        ClothGreen,
                  ClothBrown, HairStyle::Short, Headwear::StrawHat, Straw};
    Person guard{SkinLight, HairBrown, ClothRed, Steel, ClothDark, HairStyle::Short, Headwear::Helmet, Steel};
    Person boy{SkinDark, HairBlack, ClothYellow, ClothBlue, ClothDark};
    return paintPeople({baker, smith, girl, elder, fisher, farmer, guard, boy});
}

Canvas paintAnimalSheet() {
    const Animal animals[] = {
        {FurBrown, FurBrown, FurBrown, Ears::Floppy, Tail::Long},                   // dog
        {FurGrey, FurGrey, FurGrey, Ears::Pointed, Tail::Long},                     // cat
        {Wool, FurBlack, FurBlack, Ears::Small, Tail::Short, true},                 // sheep
        {WoolCream, WoolCream, FurBrown, Ears::Small, Tail::Short, true},           // ewe
        {FurPink, FurPink, FurPink, Ears::Small, Tail::Curly, false, FurPinkShade}, // pig
        {Wool, Wool, Wool, Ears::Small, Tail::Long, false, FurPink, FurBlack},      // calf
        {FurOrange, FurOrange, FurBlack, Ears::Pointed, Tail::Bushy},               // fox
        {HairBlack, HairBlack, HairBlack, Ears::Floppy, Tail::Short},               // black dog
    };
    Canvas sheet(288, 256, sheetPalette());
    for (int32_t i = 0; i < 8; ++i) {
        const Animal animal = animals[i];
        paintBlock(sheet, i,
                   [animal](Frame &f, Facing facing, int32_t frame) { drawAnimal(f, animal, facing, frame); });
    }
    return sheet;
}

// The hero standing, seen from behind, from the right, from the front and from the left: the
// order in which a four-view strip sprite shows its views as the view turns.
Canvas paintHeroStrip() {
    const Person hero = heroPerson();
    Canvas strip(4 * kFrameWidth, kFrameHeight, sheetPalette());
    for (int32_t facing = Up; facing <= Left; ++facing) {
        const Canvas drawn = drawFrame([&](Frame &f, Facing side, int32_t frame) { drawPerson(f, hero, side, frame); },
                                       Facing(facing), 1);
        strip.blit(drawn, 0, 0, kFrameWidth, kFrameHeight, facing * kFrameWidth, 0);
    }
    return strip;
}

} // namespace preview::demo
