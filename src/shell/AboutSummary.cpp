#include "shell/AboutSummary.h"

#include "common/Text.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <sys/sysinfo.h>

namespace q32 {
namespace {

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The value of "key : value" or key=value lines.
QString valueOf(const QString& text, const QString& key, QChar separator) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(separator);
        if (at > 0 && line.left(at).trimmed() == key)
            return line.mid(at + 1).trimmed();
    }
    return {};
}

} // namespace

QString ProcessorLine(const QString& cpuinfo) {
    // x86 names the model; ARM boards name the hardware or only the processor.
    QString model;
    for (const char* key : {"model name", "Hardware", "Processor", "cpu model"}) {
        model = valueOf(cpuinfo, QLatin1String(key), QLatin1Char(':'));
        if (!model.isEmpty())
            break;
    }
    if (model.isEmpty())
        return {};
    static const QRegularExpression processorLine(QStringLiteral("^processor\\s*:"),
                                                  QRegularExpression::MultilineOption);
    qsizetype count = 0;
    for (auto it = processorLine.globalMatch(cpuinfo); it.hasNext(); it.next())
        ++count;
    return QStringLiteral("Processor  =  ") + model.simplified() + QStringLiteral("  x  ") +
           QString::number(std::max<qsizetype>(count, 1));
}

QString OperatingSystemLine(const QString& osRelease, const QString& kernelRelease) {
    QString name = valueOf(osRelease, QStringLiteral("PRETTY_NAME"), QLatin1Char('='));
    if (name.isEmpty())
        name = (valueOf(osRelease, QStringLiteral("NAME"), QLatin1Char('=')) + QLatin1Char(' ') +
                valueOf(osRelease, QStringLiteral("VERSION"), QLatin1Char('=')));
    name.remove(QLatin1Char('"'));
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Linux");
    QString line = QStringLiteral("Operating System  =  ") + name;
    if (!kernelRelease.isEmpty())
        line += QStringLiteral("  (kernel ") + kernelRelease + QLatin1Char(')');
    return line;
}

QString MemoryLine(qint64 totalBytes) {
    return QStringLiteral("Physical Memory  =  ") + FormatThousands(totalBytes / 1024) +
           QStringLiteral(" KB RAM");
}

QString ColourDepthLine(int bitsPerPixel) {
    const int bits = std::clamp(bitsPerPixel, 0, 62);
    return QStringLiteral("Color Depth = ") + FormatThousands(1LL << bits) +
           QStringLiteral(" colors");
}

QString ThisProcessorLine() {
    QString line = ProcessorLine(readText(QStringLiteral("/proc/cpuinfo")));
    if (line.isEmpty())
        line = QStringLiteral("Processor  =  ") + QSysInfo::currentCpuArchitecture() +
               QStringLiteral("  x  ") + QString::number(QThread::idealThreadCount());
    return line;
}

QString ThisOperatingSystemLine() {
    QString release = readText(QStringLiteral("/etc/os-release"));
    if (release.isEmpty())
        release = readText(QStringLiteral("/usr/lib/os-release"));
    return OperatingSystemLine(release, QSysInfo::kernelVersion());
}

QString ThisMemoryLine() {
    struct sysinfo info {};
    if (::sysinfo(&info) != 0)
        return MemoryLine(0);
    return MemoryLine(qint64(info.totalram) * qint64(info.mem_unit));
}

} // namespace q32
