#pragma once
// Running loomhall-cli as a program from the tests (targets that define LH_CLI, the path of
// the built program): its exit status, standard output and standard error.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace lh::test {

struct CliRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;  // empty when standard error was dropped
};

// The whole file as text; empty when it cannot be read.
inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// `s` as one single-quoted shell word.
inline std::string shellQuote(const std::string& s) {
  std::string quoted = "'";
  for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs loomhall-cli with `args` (shell words, quoted already). With `configHome` the stored
// settings are read from there and the data folder (the catalog's) is its sub-folder "data",
// never the user's own, and standard error is kept in a file there; without it standard error
// is dropped. With `folder` the program runs in it.
inline CliRun runCli(const std::string& args, const std::string& configHome = {}, const std::string& folder = {}) {
  std::string cmd;
  if (!folder.empty()) cmd += "cd " + shellQuote(folder) + " && ";
  if (!configHome.empty())
    cmd += "XDG_CONFIG_HOME=" + shellQuote(configHome) + " XDG_DATA_HOME=" + shellQuote(configHome + "/data") + " ";
  const std::string errFile = configHome.empty() ? std::string() : configHome + "/stderr.txt";
  cmd += shellQuote(LH_CLI) + " " + args + " 2>" + (errFile.empty() ? "/dev/null" : shellQuote(errFile));
  CliRun r;
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (pipe == nullptr) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!errFile.empty()) r.err = readText(errFile);
  return r;
}

}  // namespace lh::test
