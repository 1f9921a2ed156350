#include "output/ExportJob.h"

#include "album/FormatTable.h"
#include "output/JpegStamp.h"

#include <QEventLoop>
#include <QThread>
#include <memory>

namespace q32 {

bool IsClipFormatText(const QString& formatText) {
    return IsClipFormat(formatText);
}

ImagingCondition ExportPicture(const QString& source, const QString& target,
                               const SaveOptions& save, const std::optional<StampOptions>& stamp) {
    QImage picture;
    // The export is what the preview shows: photos turned as their EXIF orientation says.
    if (const ImagingCondition c = LoadImage(source, picture); c != ImagingCondition::None)
        return c;
    if (const ImagingCondition c = SaveImage(picture, target, save); c != ImagingCondition::None)
        return c;
    const int code = save.formatCode;
    if (stamp && (code == 10 || code == 21 || code == 23))
        return AddJpegStamp(target, picture, stamp->width, stamp->height, stamp->bits);
    return ImagingCondition::None;
}

ImagingCondition ExportPictureOffThread(const QString& source, const QString& target,
                                        const SaveOptions& save,
                                        const std::optional<StampOptions>& stamp) {
    ImagingCondition result = ImagingCondition::Failure;
    std::unique_ptr<QThread> worker(QThread::create([&result, source, target, save, stamp] {
        result = ExportPicture(source, target, save, stamp);
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    return result;
}

} // namespace q32
