#pragma once

class QLabel;

namespace qtui {

// Draws a label whose caption is a row of marks ("0   25   50   75   100") as a scale under
// the bar beside it: the first mark at the left edge, the last at the right, the others
// spread evenly between, whatever width the layout gives the label. The caption's blanks
// were spacing for one fixed width only.
void drawAsScale(QLabel& label);

} // namespace qtui
