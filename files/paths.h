#pragma once
// Folder paths as text: trailing slashes and whether a path lies in a folder.
#include <string>
#include <string_view>

namespace lh {

// `folder` without its trailing '/' characters; "/" stays "/".
std::string withoutTrailingSlash(std::string_view folder);
// `folder` ending in a '/'; an empty folder becomes "/".
std::string withTrailingSlash(std::string_view folder);
// `path` is `folder` or lies below it. Trailing slashes of `folder` do not count; "/" holds
// every absolute path; an empty folder holds nothing.
bool liesIn(std::string_view path, std::string_view folder);

}  // namespace lh
