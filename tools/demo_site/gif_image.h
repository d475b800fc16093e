// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::demo {

// A valid animated GIF (GIF89a, looping, four 360 x 56 frames of a
// four-colour palette: the name over moving stripes), built in code for the
// advertisement picture.
std::string AnimatedGif();

}  // namespace tunewell::demo
