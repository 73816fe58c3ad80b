// Build-time generator: turns the thread chart CSV files into one header of constant tables.
//   chart_gen OUTPUT.inc CHART1.csv CHART2.csv ...
// Brand-style files have the header "brand,code,colorName,red,green,blue", named-style files
// "name,red,green,blue". Fields follow RFC 4180 quoting. Any malformed line fails the build.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string g_file;
int g_line = 0;

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "chart_gen: %s:%d: %s\n", g_file.c_str(), g_line, message.c_str());
  std::exit(1);
}

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (quoted) fail("unterminated quote");
  return fields;
}

std::string literal(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);  // octal keeps UTF-8 bytes exact
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

int channel(const std::string& text) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
    fail("bad colour channel '" + text + "'");
  const int v = std::atoi(text.c_str());
  if (v > 255) fail("colour channel above 255");
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: chart_gen OUTPUT.inc CHART.csv...\n");
    return 2;
  }
  std::ostringstream out;
  out << "// Generated at build time from data/thread-charts; do not edit.\n\n";
  std::vector<bool> named;
  for (int f = 2; f < argc; ++f) {
    g_file = argv[f];
    g_line = 0;
    std::ifstream in(g_file, std::ios::binary);
    if (!in) fail("cannot open");
    std::string line;
    bool isNamed = false;
    int rows = 0;
    out << "inline constexpr ChartRowData kChartData" << (f - 2) << "[] = {\n";
    while (std::getline(in, line)) {
      ++g_line;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (g_line == 1) {
        if (line == "brand,code,colorName,red,green,blue")
          isNamed = false;
        else if (line == "name,red,green,blue")
          isNamed = true;
        else
          fail("unknown header");
        continue;
      }
      if (line.empty()) continue;
      const std::vector<std::string> v = splitCsv(line);
      if (v.size() != (isNamed ? 4u : 6u)) fail("wrong number of fields");
      const std::size_t c = isNamed ? 1 : 3;
      out << "    {" << literal(v[0]) << ", " << literal(isNamed ? "" : v[1]) << ", "
          << literal(isNamed ? "" : v[2]) << ", " << channel(v[c]) << ", " << channel(v[c + 1]) << ", "
          << channel(v[c + 2]) << "},\n";
      ++rows;
    }
    if (rows == 0) fail("no rows");
    out << "};\n\n";
    named.push_back(isNamed);
  }
  out << "inline constexpr ChartData kChartData[] = {\n";
  for (std::size_t i = 0; i < named.size(); ++i)
    out << "    {kChartData" << i << ", " << (named[i] ? "true" : "false") << "},\n";
  out << "};\n";

  const std::string text = out.str();
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) {
    std::fprintf(stderr, "chart_gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
