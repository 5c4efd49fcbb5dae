#pragma once
// An edit field's panel (its frame and face, drawn by the style) kept as drawn and copied at the
// next paint wherever copying gives the same pixels: the display, and the focus sink beneath it,
// are repainted at every key, and drawing the rounded, shaded frame anew cost more than all the
// rest of a key.

class QLineEdit;

namespace ui {

// Gives `field` a style of its own (the application's, keeping the panel), owned by the field.
void KeepPanelDrawn(QLineEdit* field);

} // namespace ui
