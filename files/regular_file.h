#pragma once
// Opening files to read them only when they are regular files. Opening a FIFO, a socket or a
// device named like a design would block or act on the device; the open here never waits
// (O_NONBLOCK), and the type is checked on the opened file itself, so nothing can be swapped
// in between the check and the read.
#include <string>
#include <string_view>

namespace lh {

enum class OpenCheck {
  Regular,     // open: the descriptor reads a regular file
  Missing,     // no such file
  NotRegular,  // a folder, FIFO, socket or device
  Unreadable,  // no permission, or another error
};

struct OpenedFile {
  int fd = -1;  // owned by the caller when `check` is Regular, else -1
  OpenCheck check = OpenCheck::Unreadable;
};

// Opens `path` read-only (close-on-exec) when it is a regular file; symbolic links are
// followed. Reads from the descriptor block as usual.
OpenedFile openRegularFile(const std::string& path);

// The same question without keeping the file open, for messages: what openRegularFile would
// say of `path` now.
OpenCheck checkRegularFile(const std::string& path);

// "not a regular file", "no such file", "cannot be read"; empty for Regular.
std::string_view openCheckText(OpenCheck check);

}  // namespace lh
