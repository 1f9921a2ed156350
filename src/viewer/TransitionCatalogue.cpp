#include "viewer/TransitionCatalogue.h"

#include <QStringList>
#include <array>

namespace q32 {
namespace {

// How a family's orientation is put into words.
enum class Naming { None, Edge, Corner, Full };

const char* const kShapeNames[kIrisShapes] = {"box",  "square", "diamond", "circle",
                                              "oval", "cross",  "star"};
const char* const kAnchorNames[9] = {"top left",    "top",    "top right",
                                     "left",        "middle", "right",
                                     "bottom left", "bottom", "bottom right"};
const char* const kDirections[8] = {"right",      "left",      "down",     "up",
                                    "down right", "down left", "up right", "up left"};

QString orientationWords(Naming naming, int o) {
    const bool across = (o & 4) == 0;
    const char* vertical = (o & 2) ? "bottom" : "top";
    const char* horizontal = (o & 1) ? "right" : "left";
    switch (naming) {
    case Naming::None:
        return {};
    case Naming::Edge:
        return QStringLiteral("from ") + QLatin1String(across ? horizontal : vertical);
    case Naming::Corner:
        return QStringLiteral("from %1 %2").arg(QLatin1String(vertical), QLatin1String(horizontal));
    case Naming::Full:
        return QStringLiteral("from %1 %2, %3")
            .arg(QLatin1String(vertical), QLatin1String(horizontal),
                 QLatin1String(across ? "across" : "downwards"));
    }
    return {};
}

class Builder {
public:
    std::vector<TransitionStyle> styles;

    void add(TransitionStyle s, const QString& name) {
        s.number = int(styles.size()) + 1;
        // Names never hold a comma: the catalogue file separates its fields with them.
        const int open = name.indexOf(QLatin1Char('('));
        s.name = open < 0 ? QString(name).replace(QLatin1String(", "), QLatin1String(" - "))
                          : name.left(open).replace(QLatin1String(", "), QLatin1String(" - ")) +
                                name.mid(open).replace(QLatin1String(", "), QLatin1String("; "));
        styles.push_back(std::move(s));
    }

    // A map family in all eight orientations, forwards and, when asked, backwards.
    void family(RevealMap map, int a, int b, const QString& base, Naming naming,
                const char* forwardWord, const char* backwardWord, TransitionKind kind,
                int soft = 0) {
        const int orientations = naming == Naming::None ? 1 : 8;
        for (int reverse = 0; reverse < (backwardWord ? 2 : 1); ++reverse)
            for (int o = 0; o < orientations; ++o) {
                TransitionStyle s;
                s.kind = kind;
                s.map = map;
                s.a = a;
                s.b = b;
                s.orientation = o;
                s.reverse = reverse == 1;
                s.soft = soft;
                QStringList words;
                const QString where = orientationWords(naming, o);
                if (!where.isEmpty())
                    words << where;
                const char* how = reverse ? backwardWord : forwardWord;
                if (how && *how)
                    words << QLatin1String(how);
                add(s, words.isEmpty() ? base
                                       : base + QStringLiteral(" (") +
                                             words.join(QStringLiteral(", ")) + QLatin1Char(')'));
            }
    }

    void masks(RevealMap map, int a, int b, const QString& base, Naming naming,
               const char* forwardWord = "", const char* backwardWord = "reversed") {
        family(map, a, b, base, naming, forwardWord, backwardWord, TransitionKind::Mask);
    }
};

std::vector<TransitionStyle> build() {
    Builder c;
    using M = RevealMap;
    const std::array bandCounts = {2, 3, 4, 5, 6, 8, 10, 12, 16, 20, 24, 32};
    const std::array boards = {2, 3, 4, 6, 8, 10, 12, 16};

    c.masks(M::Linear, 0, 0, QStringLiteral("Wipe"), Naming::Edge, "", nullptr);
    c.masks(M::Diagonal, 0, 0, QStringLiteral("Diagonal wipe"), Naming::Corner, "", nullptr);
    c.masks(M::BarnDoor, 0, 0, QStringLiteral("Barn door"), Naming::Edge, "opening", "closing");
    for (int k : bandCounts) {
        c.masks(M::Blinds, k, 0, QStringLiteral("Blinds, %1 bands").arg(k), Naming::Edge, "",
                nullptr);
        c.masks(M::BarnBlinds, k, 0, QStringLiteral("Split blinds, %1 bands").arg(k), Naming::Edge,
                "opening", "closing");
        c.masks(M::DiagBlinds, k, 0, QStringLiteral("Diagonal blinds, %1 bands").arg(k),
                Naming::Corner, "", nullptr);
        c.masks(M::Bars, k, 0, QStringLiteral("Bars, %1 in turn").arg(k), Naming::Full, "",
                nullptr);
        c.masks(M::Comb, k, 0, QStringLiteral("Comb, %1 teeth").arg(k), Naming::Full, "", nullptr);
    }
    for (int k : boards) {
        c.masks(M::Checker, k, 0, QStringLiteral("Checkerboard %1").arg(k), Naming::Edge, "",
                nullptr);
        c.masks(M::CheckerDiag, k, 0, QStringLiteral("Diagonal checkerboard %1").arg(k),
                Naming::Corner, "", nullptr);
    }
    for (int shape = 0; shape < kIrisShapes; ++shape)
        for (int anchor = 0; anchor < 9; ++anchor)
            c.masks(
                M::Iris, shape, anchor,
                QStringLiteral("Iris, %1 at %2")
                    .arg(QLatin1String(kShapeNames[shape]), QLatin1String(kAnchorNames[anchor])),
                Naming::None, "opening", "closing");
    for (int shape = 0; shape < kIrisShapes; ++shape)
        for (int k : {2, 3, 4, 6, 8})
            c.masks(M::MultiIris, shape, k,
                    QStringLiteral("Irises, %1 on a board of %2")
                        .arg(QLatin1String(kShapeNames[shape]))
                        .arg(k),
                    Naming::None, "opening", "closing");
    for (int shape = 0; shape < kIrisShapes; ++shape)
        for (int k : {2, 3, 4, 6, 8})
            c.masks(
                M::Rings, shape, k,
                QStringLiteral("Rings, %1 %2 times").arg(QLatin1String(kShapeNames[shape])).arg(k),
                Naming::None, "outwards", "inwards");
    for (int blades : {1, 2, 3, 4, 5, 6, 8})
        c.masks(M::Clock, blades, 0,
                blades == 1 ? QStringLiteral("Clock")
                            : QStringLiteral("Clock, %1 hands").arg(blades),
                Naming::Full, "", nullptr);
    c.masks(M::Fan, 0, 0, QStringLiteral("Fan"), Naming::Full, "", nullptr);
    c.masks(M::FanCorner, 0, 0, QStringLiteral("Corner fan"), Naming::Full, "", nullptr);
    c.masks(M::FanSplit, 0, 0, QStringLiteral("Split fan"), Naming::Full, "opening", "closing");
    for (int turns : {1, 2, 3, 4, 6, 8})
        c.masks(M::Spiral, turns, 0, QStringLiteral("Spiral, %1 turns").arg(turns), Naming::Full,
                "outwards", "inwards");
    for (int k : {4, 6, 8, 12, 16})
        c.masks(M::BoxSpiral, k, 0, QStringLiteral("Square spiral %1").arg(k), Naming::Full,
                "inwards", "outwards");
    for (int k : {4, 6, 8, 12, 16, 24})
        c.masks(M::Snake, k, 0, QStringLiteral("Snake %1").arg(k), Naming::Full, "", nullptr);
    c.masks(M::Dissolve, 0, 0, QStringLiteral("Dissolve"), Naming::None, "", nullptr);
    for (int q : {2, 4, 6})
        c.masks(M::NoisyWipe, q, 0, QStringLiteral("Ragged wipe, %1/8").arg(q), Naming::Edge, "",
                nullptr);
    for (int shape : {Box, Diamond, Circle})
        for (int q : {2, 4, 6})
            c.masks(M::NoisyIris, shape, q,
                    QStringLiteral("Ragged iris, %1, %2/8")
                        .arg(QLatin1String(kShapeNames[shape]))
                        .arg(q),
                    Naming::None, "opening", "closing");
    c.masks(M::RandomRows, 0, 0, QStringLiteral("Random lines"), Naming::None, "", nullptr);
    c.masks(M::RandomColumns, 0, 0, QStringLiteral("Random columns"), Naming::None, "", nullptr);
    for (int k : {4, 8, 16, 32})
        c.masks(M::RandomSquares, k, 0, QStringLiteral("Random squares %1").arg(k), Naming::None,
                "", nullptr);
    for (int q : {2, 4, 8})
        c.masks(M::Drips, q, 0, QStringLiteral("Drips, %1/8").arg(q), Naming::Edge, "", nullptr);
    for (int teeth : {2, 4, 8, 16})
        for (int depth : {2, 4, 8}) {
            c.masks(M::Zigzag, teeth, depth,
                    QStringLiteral("Zigzag wipe, %1 teeth, depth %2").arg(teeth).arg(depth),
                    Naming::Edge, "", nullptr);
            c.masks(M::Wave, teeth, depth,
                    QStringLiteral("Wave wipe, %1 waves, depth %2").arg(teeth).arg(depth),
                    Naming::Edge, "", nullptr);
        }

    // Soft fronts over the simpler maps.
    for (int soft : {2, 4, 8}) {
        const QString width = QStringLiteral(", soft edge %1").arg(soft);
        c.family(M::Linear, 0, 0, QStringLiteral("Wipe") + width, Naming::Edge, "", nullptr,
                 TransitionKind::Soft, soft);
        c.family(M::Diagonal, 0, 0, QStringLiteral("Diagonal wipe") + width, Naming::Corner, "",
                 nullptr, TransitionKind::Soft, soft);
        c.family(M::BarnDoor, 0, 0, QStringLiteral("Barn door") + width, Naming::Edge, "opening",
                 "closing", TransitionKind::Soft, soft);
        for (int shape : {Box, Diamond, Circle, Oval})
            c.family(M::Iris, shape, 4,
                     QStringLiteral("Iris, %1").arg(QLatin1String(kShapeNames[shape])) + width,
                     Naming::None, "opening", "closing", TransitionKind::Soft, soft);
        c.family(M::Clock, 1, 0, QStringLiteral("Clock") + width, Naming::Full, "", nullptr,
                 TransitionKind::Soft, soft);
        c.family(M::Blinds, 8, 0, QStringLiteral("Blinds, 8 bands") + width, Naming::Edge, "",
                 nullptr, TransitionKind::Soft, soft);
    }

    const char* const fades[3] = {"Cross fade", "Fade through black", "Fade through white"};
    for (int f = 0; f < 3; ++f) {
        TransitionStyle s;
        s.kind = TransitionKind::Fade;
        s.a = f;
        c.add(s, QLatin1String(fades[f]));
    }
    const std::array<std::pair<TransitionKind, const char*>, 3> moves = {
        std::pair{TransitionKind::Push, "Push"}, std::pair{TransitionKind::Cover, "Slide in"},
        std::pair{TransitionKind::Uncover, "Slide out"}};
    for (const auto& [kind, word] : moves)
        for (int d = 0; d < 8; ++d) {
            TransitionStyle s;
            s.kind = kind;
            s.a = d;
            c.add(s,
                  QStringLiteral("%1 %2").arg(QLatin1String(word), QLatin1String(kDirections[d])));
        }
    for (int anchor = 0; anchor < 9; ++anchor) {
        TransitionStyle s;
        s.kind = TransitionKind::ZoomIn;
        s.a = anchor;
        c.add(s, QStringLiteral("Zoom in from %1").arg(QLatin1String(kAnchorNames[anchor])));
        s.kind = TransitionKind::ZoomOut;
        c.add(s, QStringLiteral("Zoom out to %1").arg(QLatin1String(kAnchorNames[anchor])));
    }
    for (int block : {8, 16, 32, 64}) {
        TransitionStyle s;
        s.kind = TransitionKind::Mosaic;
        s.a = block;
        c.add(s, QStringLiteral("Mosaic, blocks up to %1").arg(block));
    }
    return c.styles;
}

} // namespace

const std::vector<TransitionStyle>& TransitionStyles() {
    static const std::vector<TransitionStyle> styles = build();
    return styles;
}

const TransitionStyle& TransitionStyleFor(int number) {
    static const TransitionStyle cut;
    const auto& all = TransitionStyles();
    return number >= 1 && number <= int(all.size()) ? all[size_t(number - 1)] : cut;
}

} // namespace q32
