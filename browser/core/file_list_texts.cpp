#include "browser/core/file_list_texts.h"

#include <array>
#include <cerrno>

namespace lh::texts {

namespace {

constexpr std::array<std::string_view, 15> kFileErrors = {
    "No error occurred.",
    "An unspecified error occurred.",
    "The file could not be located.",
    "All or part of the path is invalid.",
    "The permitted number of open files was exceeded.",
    "The file could not be accessed.",
    "There was an attempt to use an invalid file handle.",
    "The current working directory cannot be removed.",
    "There are no more directory entries.",
    "There was an error trying to set the file pointer.",
    "There was a hardware error.",
    "SHARE.EXE was not loaded, or a shared region was locked.",
    "There was an attempt to lock a region that was already locked.",
    "The disk is full.",
    "The end of file was reached.",
};

std::string substitute(std::string_view format, std::string_view mark, std::string_view value) {
  std::string out(format);
  const auto at = out.find(mark);
  if (at != std::string::npos) out.replace(at, mark.size(), value);
  return out;
}

}  // namespace

std::string countText(std::string_view format, std::size_t n) {
  return substitute(format, "%i", std::to_string(n));
}

std::string pathText(std::string_view format, std::string_view text) {
  return substitute(format, "%s", text);
}

std::string filesCountText(std::size_t n) { return countText(kFilesCount, n); }

std::string selectedCountText(std::size_t n) { return countText(kSelectedCount, n); }

std::string deleteQuestion(std::size_t n) {
  return n == 1 ? std::string(kDeleteOne) : countText(kDeleteMany, n);
}

std::string copiedText(std::size_t n) { return n == 1 ? std::string(kCopiedOne) : countText(kCopiedMany, n); }

std::string_view fileErrorText(int cause) {
  if (cause < 0 || cause >= static_cast<int>(kFileErrors.size())) return {};
  return kFileErrors[static_cast<std::size_t>(cause)];
}

int fileErrorCause(int errnoValue) {
  switch (errnoValue) {
    case 0:
      return 0;
    case ENOENT:
      return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EXDEV:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR:
      return 5;
    case EBADF:
      return 6;
    case ESPIPE:
      return 9;
    case EIO:
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return 10;
    case EBUSY:
    case ETXTBSY:
      return 11;
    case EDEADLK:
    case ENOLCK:
      return 12;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 13;
    default:
      return 1;
  }
}

}  // namespace lh::texts
