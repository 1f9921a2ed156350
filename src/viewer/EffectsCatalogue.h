#pragma once
// The shipped "Effects.txt": the styles whose frames differ from every style before them, one
// line each ("0000,Wipe (from left),1"). Used by the tool that writes the file and by its tests.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace q32 {

// A picture of random colours, the same for the same seed; every pixel differs between seeds.
QImage NoisePicture(QSize size, int seed);

// A hash of the frames a style paints at a few points of its run, between two noise pictures.
QByteArray TransitionSignature(int style, QSize size, int grain);

// The text of "Effects.txt".
QString EffectsCatalogueText();

} // namespace q32
