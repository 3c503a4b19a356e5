#pragma once

namespace orvanta {

// The window's mouse pointer modes. The hourglass doubles as the busy sign: while it shows,
// removing rows is ignored and hovering leaves the pointer alone.
enum PointerMode : int { DefaultPointer = 0, ArrowPointer = 1, Hourglass = 11, HandPointer = 99 };

} // namespace orvanta
