#pragma once

#include "geometry/configuration.h"

// The page's explore controls (web/explore.js): the configuration the page stands for, changed
// by its fields and its link, and what the panel says of it.
namespace tarsel::explore {

// The configuration a new run of the animation draws: the link's when the page opened, then
// every good change of the fields.
const Configuration& Current();
void SetCurrent(const Configuration& c);

}  // namespace tarsel::explore
