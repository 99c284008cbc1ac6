#pragma once

#include <QImage>

// The program's 32 × 32 picture in the 16 colours of the classic palette: a statement sheet
// with a coin, for the About box and the windows' icon.
QImage programPicture();
