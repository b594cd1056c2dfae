#pragma once

#include "geometry/configuration.h"

namespace tarsel::testing {

// A configuration with the built-in piston and reference angle and the linkage's lengths G
// (fixed line), A (crank), C (coupler), B (rocker).
inline Configuration Linkage(double g, double a, double c, double b,
                             Assembly assembly = Assembly::kOpen) {
  Configuration config;
  config.ground = g, config.crank = a, config.coupler = c, config.rocker = b;
  config.assembly = assembly;
  return config;
}

// A triple-rocker that closes for crank angles from 42.8 to 317.2 degrees: P comes too near Q
// around 0 (P-Q from 1 to 19 against a reach of 7 to 23).
inline Configuration PartlyClosing() {
  return Linkage(10, 9, 8, 15);
}

// A linkage that closes at no crank angle: P-Q from 95 to 105, the coupler and rocker reach 20.
inline Configuration NeverClosing() {
  return Linkage(100, 5, 10, 10);
}

}  // namespace tarsel::testing
