#include "browser/app/start_path.h"

#include <filesystem>
#include <system_error>

#include <cctype>

namespace lh {

StartTarget startTarget(std::string_view path) {
  namespace fs = std::filesystem;
  StartTarget t;
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::absolute(fs::path(std::string(path)), ec), ec);
  if (ec || path.empty()) return t;
  if (fs::is_directory(p, ec)) {
    t.folder = p.string();
    return t;
  }
  if (!fs::is_regular_file(p, ec)) return t;
  t.folder = p.parent_path().string();
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".zip") {
    t.archive = p.string();
  } else {
    t.select = p.string();
  }
  return t;
}

}  // namespace lh
