#pragma once
// The viewer and printer font is a fixed-pitch font: column listings and
// hard copies line up only with one. The font dialog offers the installed
// fixed-pitch families alone, and a stored or default family that is not
// among them (not installed, or proportional) is replaced before the dialog
// shows it, so that confirming the dialog unchanged keeps a fixed font.
#include "DialogService.h"

#include <string>
#include <vector>

namespace pem {

// The installed fixed-pitch families, in the font database's order.
std::vector<std::string> FixedPitchFamilies();
// Whether the family is installed and of fixed pitch.
bool IsInstalledFixedPitch(const std::string& family);
// The font as the dialog preselects it: its own family when that is an
// installed fixed-pitch one, else the system's fixed font (as it resolves
// on this machine), else the first installed fixed-pitch family.
TFontSpec OfferedFixedFont(const TFontSpec& font);

} // namespace pem
