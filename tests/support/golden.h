#pragma once

#include <string>

#include "render/image.h"

namespace tarsel::testing {

// Compares a picture with the committed golden picture `name`.png in `golden_dir`, pixel for
// pixel. With TARSEL_RECORD_GOLDENS=1 in the environment the golden is written instead, on
// purpose. A differing picture is written beside the test's output as NAME.actual.png, with
// NAME.diff.png (the golden faded, differing pixels in red), and the message names both.
// Returns an empty string when the picture matches (or was recorded), else the message.
std::string CompareWithGolden(const Image& actual, const std::string& golden_dir,
                              const std::string& output_dir, const std::string& name);

}  // namespace tarsel::testing
