#pragma once
#include <string>

namespace tunewell::demo {

// A small valid animated GIF (GIF89a, looping, three 16x16 frames of a
// four-colour palette), built in code for the advertisement picture.
std::string AnimatedGif();

}  // namespace tunewell::demo
