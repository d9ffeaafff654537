#pragma once

#include <cstddef>

namespace korv::platform {

// Replaces the file `name` with exactly `size` bytes, all or nothing: the bytes go to a
// new file in the same folder, which is flushed to the disk and then takes the name's
// place. A link by that name is itself replaced, never written through, and a hard
// link's other names keep the old contents. An existing file this user may not write
// is refused, as is a folder by that name.
// False when the save could not be made; the old file then stays byte for byte and no
// temporary file remains.
bool ReplaceFileContents(const char* name, const void* bytes, std::size_t size);

}  // namespace korv::platform
