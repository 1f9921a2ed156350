#pragma once
// The transition styles the viewer can paint. A style number names one entry of a list built
// here in a fixed order; "Effects.txt" lists the entries offered to the user (those whose frames
// all differ from one another). Number 0, and any number not in the list, is a plain cut.

#include <QString>
#include <vector>

namespace q32 {

// How a style puts the two pictures together.
enum class TransitionKind {
    Cut,     // the new picture at once
    Mask,    // each cell shows the old or the new picture, by the time it is revealed
    Soft,    // as Mask, with a soft edge: cells near the front are blended
    Fade,    // the whole picture blends (param 0: cross, 1: through black, 2: through white)
    Push,    // the new picture pushes the old one out
    Cover,   // the new picture slides in over the old one
    Uncover, // the old picture slides away, showing the new one
    ZoomIn,  // the new picture grows from an anchor point
    ZoomOut, // the old picture shrinks into an anchor point
    Mosaic,  // the old picture coarsens into blocks, the new one sharpens out of them
};

// The maps of Mask and Soft styles: when each cell is revealed, by its place in the picture.
enum class RevealMap {
    Linear,     // across
    Diagonal,   // corner to corner
    BarnDoor,   // from the middle line outwards
    Blinds,     // a bands, all at once
    BarnBlinds, // a bands, each opening from its middle
    DiagBlinds, // a diagonal bands
    Bars,       // a bands, one after another
    Comb,       // a bands, alternately down and up
    Checker,    // a x a board, one colour of squares first
    CheckerDiag,
    Iris,      // shape a around anchor b (0..8, row by row)
    MultiIris, // shape a in each square of a board of b
    Rings,     // shape a repeated b times from the anchor
    Clock,     // a blades, starting at quarter b
    Fan,       // a half-turn sweep around the middle of an edge
    FanCorner, // a quarter-turn sweep around a corner
    FanSplit,  // from the middle of an edge, both ways at once
    Spiral,    // a turns
    BoxSpiral, // a board of a squares, walked round and round
    Snake,     // a board of a squares, walked to and fro
    Dissolve,  // random cells; the grain is the cell size
    NoisyWipe, // across, ragged by a/8 of noise
    NoisyIris, // shape a from the middle, ragged by b/8 of noise
    RandomRows,
    RandomColumns,
    RandomSquares, // random squares of a board of a
    Drips,         // across, each column at its own pace (a/8)
    Zigzag,        // across with a zigzag edge: a teeth, depth b/32
    Wave,          // across with a wavy edge: a waves, depth b/32
};

// Iris shapes.
enum IrisShape { Box, Square, Diamond, Circle, Oval, Cross, Star, kIrisShapes };

struct TransitionStyle {
    int number = 0;
    QString name;
    TransitionKind kind = TransitionKind::Cut;
    RevealMap map = RevealMap::Linear;
    int a = 0, b = 0;     // the map's or the kind's parameters
    int orientation = 0;  // bit 0 mirror across, bit 1 mirror up-down, bit 2 swap the axes
    bool reverse = false; // the map run backwards (an iris closing instead of opening)
    int soft = 0;         // Soft: width of the blended front, in 1/16 of the run
};

// Every style the renderer knows, in number order (entry i has number i + 1).
const std::vector<TransitionStyle>& TransitionStyles();
// The style with this number; a cut for 0 and for numbers not in the list.
const TransitionStyle& TransitionStyleFor(int number);

} // namespace q32
