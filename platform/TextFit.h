#pragma once

class QWidget;

namespace platform {

// Makes every label, button and combo box placed by hand on a form wide enough for its whole
// text (a combo box for its widest entry, and its list as wide as its entries), keeping the
// designed positions: the faces that stand in for the designed ones are wider. Controls grow
// to the right and down; their parents and the form grow with them where they would pass an
// edge. Controls in layouts are left to their layouts.
void fitTexts(QWidget* form);

} // namespace platform
