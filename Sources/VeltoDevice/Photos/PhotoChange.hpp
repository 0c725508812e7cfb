#pragma once

namespace velto {

/// What a sync or a removal did to a key's picture files.
enum class PhotoChange { unchanged, saved, removed };

} // namespace velto
