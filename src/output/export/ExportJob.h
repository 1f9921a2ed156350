#pragma once
// Writing a picture file in another format: decode it whole, save it with the chosen options,
// add the stamp. Headless; the same path serves the export command and q32.

#include "output/export/SaveOptionsModel.h"
#include "platform/imaging/ImagingCondition.h"

#include <QString>
#include <optional>

namespace q32 {

// Whether an album row's format text names a video clip, which holds no picture to export.
bool IsClipFormatText(const QString& formatText);

// Decodes the picture file at source and saves it to target. Safe on any thread.
ImagingCondition ExportPicture(const QString& source, const QString& target,
                               const SaveOptions& save,
                               const std::optional<StampOptions>& stamp = std::nullopt);

} // namespace q32
