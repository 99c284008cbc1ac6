#pragma once

#include <QImage>
#include <QPixmap>

// Pictures drawn for the installer, so the distribution carries no image files of its own.

// The picture on the left of every page: a computer with discs and a globe on a teal ground,
// 117 by 290 pixels.
QImage pagePicture();

// Icons of the installed programs' menu entries, 64 by 64 pixels.
enum class ProgramIcon { Statements, Uninstall };
QImage programIcon(ProgramIcon icon);
