#pragma once

#include <QImage>

namespace report {

// The grey coat of arms at the head of every page, 95 × 100 pixels. Drawn once; every call
// returns the same image (same cache key), so a PDF writer can store it once.
const QImage& emblemImage();

} // namespace report
