#pragma once

class QLabel;

// The forms give some one-line labels a fixed height in pixels, which cuts off the descenders
// of a larger font (other platforms' fonts, 144 DPI on Windows).
namespace LabelHeight
{

// Keeps the label's fixed height, raised to what one line of its font needs.
void fitToFont(QLabel *label);

} // namespace LabelHeight
