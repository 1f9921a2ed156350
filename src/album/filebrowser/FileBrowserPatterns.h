#pragma once
// The file-type check boxes of the file browser and of the Add Images window, and the file
// pattern ("*.jpg;*.tif") they stand for. The same procedures serve both windows; only the box
// table differs.

#include <QList>
#include <QString>

namespace q32 {

enum class TypeBoxSet { FileBrowser = 1, AddImages = 2 };

struct TypeBox {
    QString caption;
    QString pattern; // "*.jpg"; empty for "All Formats"
};

// The boxes of a window by box number (the SSCheck1 index).
const QList<TypeBox>& TypeBoxes(TypeBoxSet set);
// The "All Formats" box: it sets or clears every other box.
inline constexpr int kAllFormatsBox = 27;

// What the empty selection is stored as: a pattern no ordinary file matches.
inline constexpr char kNoFilesPattern[] = "*.___";

// Appends one box's pattern, with ";" between patterns.
void AddPatternExtension(QString& filesPattern, const QString& pattern);

// The boxes ticked by a stored pattern. "All Formats" is never ticked from it.
QList<bool> CheckedBoxesForPattern(const QString& filesPattern, TypeBoxSet set);

// The pattern of the ticked boxes, in box order (not click order); kNoFilesPattern when none.
QString PatternForCheckedBoxes(const QList<bool>& checked, TypeBoxSet set);

// A click on box: "All Formats" gives every box its state. Returns the new states.
QList<bool> ApplyBoxClick(QList<bool> checked, int box, bool on);

} // namespace q32
