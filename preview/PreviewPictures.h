#pragma once

#include <QIcon>
#include <QImage>

// The preview's nine button pictures, drawn at any size from one 16-unit design: 0 first
// page, 1 next page, 2 previous page, 3 last page, 4 zoom in, 5 zoom out, 6 print, 7 printer
// set-up, 8 leave.
QImage previewPictureImage(int index, int size = 16);
// The picture at 16 and 32 pixels, with a greyed version for the disabled state.
QIcon previewPicture(int index);
