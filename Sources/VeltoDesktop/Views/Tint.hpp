#pragma once

namespace velto {

/// The colours a presenter picks for the views; the palette maps each to the desktop's colour.
enum class Tint { primary, secondary, tertiary, green, orange, red, accent };

} // namespace velto
