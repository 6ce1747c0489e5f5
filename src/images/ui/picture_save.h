// Writing the picture or file of an image area under another name: a JPEG or BMP picture
// converted between the two (JPEG at a quality of 1..100), a JPEG kept as its own bytes when it
// stays a JPEG, any other file copied under its own extension only.  The destination is written
// beside itself and renamed into place, so a failure never leaves half a file; the source is only
// read.
#pragma once

#include <QString>

#include "convert/status.h"

namespace sk::images {

// 0: JPEG, 1: BMP, 2: anything else (copied only under its own extension).
int SaveKind(const QString& path);
// Whether source can be saved as dest at all (the refusal messages); checked before the quality
// is asked and again by SavePictureAs.
Status CheckSaveKinds(const QString& source, const QString& dest);
Status SavePictureAs(const QString& source, const QString& dest, int quality);

}  // namespace sk::images
