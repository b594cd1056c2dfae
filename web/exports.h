#pragma once

#include "web/page_surface.h"

// The page's exports, in the panel's section "Exports" (web/exports.js, the object
// tarselExports): the link to the frame on the canvas, the SVG of the picture and the sweep as
// a GIF, which a Web Worker (web/sweep_worker.js) writes with a module of its own (sweep_main.cpp).
namespace tarsel::exports {

// The animation as the user drives it, or null before it has started (web_main.cpp).
PageSurface* Live();

// The link the page was opened with: its keys have all been pressed, and the frame it names is
// on the canvas; from here on the user's keys act.
void LinkOpened();
// The link the page was opened with names no frame: the message, one line. The animation starts
// at the first frame.
void LinkFailed(const char* message);

}  // namespace tarsel::exports
