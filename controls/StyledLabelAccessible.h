#pragma once

namespace stubsetup {

// Lets assistive technology read a styled label as the label it is: its own
// painting hides the text from Qt's generic widget description.
void installStyledLabelAccessibility();

} // namespace stubsetup
