#pragma once
// The machine summary of the About window: processor, operating system, memory and colour depth,
// each as the line the window shows. No widgets.

#include <QString>

namespace q32 {

// "Processor  =  <model>  x  <count>" from the text of /proc/cpuinfo; empty when it names no
// processor.
QString ProcessorLine(const QString& cpuinfo);
// "Operating System  =  <name>  (kernel <release>)" from the text of os-release.
QString OperatingSystemLine(const QString& osRelease, const QString& kernelRelease);
// "Physical Memory  =  <KB>" + " KB RAM", thousands grouped.
QString MemoryLine(qint64 totalBytes);
// "Color Depth = " + 2 to the power of the bits per pixel + " colors".
QString ColourDepthLine(int bitsPerPixel);

// The same lines for this machine (the screen's depth is the caller's).
QString ThisProcessorLine();
QString ThisOperatingSystemLine();
QString ThisMemoryLine();

} // namespace q32
