// The thumbnail grid in the browser's own window, offscreen, over a temporary folder of
// 10,000 designs and 10 zip archives of 1,000 members (browser_grid_folder.h):
//   Memory100k   RSS held once five such folders (100,000 items) are listed and the first
//                page is shown, over the RSS of the window before (run first, while the
//                heap holds nothing freed that the listing could reuse unseen).
//   FirstPage    ticking the folder in a new window (an empty picture cache) until every
//                shown cell has its picture and the page is painted; /0 ticks it in the
//                window's folder tree, /1 lists it straight into the grid (the tick's
//                handler without the tree). tick_max_ms is the tick's own call (the listing
//                runs in it), list_ms the listing alone.
//   ScrollPages  Page Down through the whole list, each page timed until it is complete;
//                /0 pages on as soon as a page is complete (holding the key down), /1 first
//                lets the loader finish the pages either side (reading each page).
// Every benchmark also reports the longest time the user-interface thread went without
// returning to its event loop (see LoopWatch). Times are wall-clock; run on a quiet machine.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "browser/app/browser_view.h"
#include "browser/app/crash_guard.h"
#include "browser/app/main_frame.h"
#include "browser/app/picture_loader.h"
#include "browser/core/file_list.h"
#include "browser_grid_folder.h"
#include "design/settings.h"
#include "formats/format_table.h"

namespace lh::gridbench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBeatMs = 1;
constexpr int kTimeoutMs = 120000;  // a page that takes this long is a failure, not a figure

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// How long the user-interface thread goes without returning to its event loop. A precise
// timer of one beat on that thread notes each time it fires; the loop fires it as soon as it
// is back, so the longest gap between two firings, less the beat, is the longest time the
// thread spent elsewhere: in one event handler, in a batch of queued pictures handled in one
// go, in painting, or in what the benchmark does between passes of the loop just as a
// handler would (ticking a folder, a Page Down key). Resolution: about one beat. On a busy
// machine a gap also holds the time the thread waited for a processor, so the thread's own
// processor time over the same gap is kept beside it (stall_cpu_ms).
class LoopWatch {
 public:
  LoopWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kBeatMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
    timer_.start();
  }
  void reset() {
    last_ = Clock::now();
    lastCpu_ = threadCpuMs();
    longest_ = longestCpu_ = 0;
  }
  // The longest stretches since reset(), the one still running included.
  double longestMs() {
    beat();
    return longest_;
  }
  double longestCpuMs() {
    beat();
    return longestCpu_;
  }

 private:
  static double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  }
  void beat() {
    const double cpu = threadCpuMs();
    longest_ = std::max(longest_, msSince(last_) - kBeatMs);
    longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
    last_ = Clock::now();
    lastCpu_ = cpu;
  }
  QTimer timer_;
  Clock::time_point last_ = Clock::now();
  double lastCpu_ = 0;
  double longest_ = 0;
  double longestCpu_ = 0;
};

LoopWatch* watch = nullptr;
std::unique_ptr<DesignFolders> folders;

DesignFolders& designFolders() {
  if (!folders) folders = std::make_unique<DesignFolders>();
  return *folders;
}

// Runs the event loop until `done`; false when it took longer than kTimeoutMs.
template <class Done>
bool spin(Done done) {
  const Clock::time_point start = Clock::now();
  while (!done()) {
    if (msSince(start) > kTimeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Every shown cell has its picture, and the page is painted.
bool pageShown(CBrowserView& view) {
  if (!spin([&] { return view.allShownReady(); })) return false;
  QCoreApplication::processEvents();
  return true;
}

long rssKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

// The browser's main window on a full-HD screen, with settings and a crash guard of its own.
struct Window {
  MemorySettings store;
  QTemporaryDir guardDir;
  CrashGuard guard{guardDir.path().toStdString() + "/last-file"};
  std::unique_ptr<CMainFrame> frame;

  Window() {
    store.setInt("Settings", "maximized", 1);
    store.setInt("Settings", "left", 0);
    store.setInt("Settings", "top", 0);
    store.setInt("Settings", "right", 1920);
    store.setInt("Settings", "bottom", 1080);
    frame = std::make_unique<CMainFrame>(store, nullptr, &guard);
    frame->showAsStored();
    spin([&] { return frame->windowHandle() != nullptr && frame->windowHandle()->isExposed(); });
  }
  CBrowserView& view() { return frame->view(); }
  PictureLoader& loader() { return *frame->findChild<PictureLoader*>(); }
};

bool ready(benchmark::State& state, DesignFolders& f) {
  if (f.error().empty()) return true;
  state.SkipWithError(f.error().c_str());
  return false;
}

void BM_Memory100k(benchmark::State& state) {
  DesignFolders& f = designFolders();
  const std::string last = f.folder(kFolders - 1);  // makes the linked folders
  if (!ready(state, f)) return;
  for (auto _ : state) {
    Window w;
    const long before = rssKiB();
    watch->reset();
    const Clock::time_point start = Clock::now();
    for (int k = 0; k < kFolders; ++k) {
      w.frame->tickFolder(QString::fromStdString(f.folder(k)), true);
      QCoreApplication::processEvents();  // one tick after the other, as a user ticks them
    }
    if (!pageShown(w.view())) {
      state.SkipWithError("the first page never completed");
      return;
    }
    state.SetIterationTime(msSince(start) / 1000);
    const double delta = static_cast<double>(rssKiB() - before) * 1024;
    const auto items = static_cast<double>(w.view().fileList().size());
    state.counters["items"] = items;
    state.counters["rss_delta_MiB"] = delta / (1 << 20);
    state.counters["bytes_per_item"] = delta / items;
    state.counters["stall_ms"] = watch->longestMs();
    state.counters["stall_cpu_ms"] = watch->longestCpuMs();
  }
}

// Ticks `folder` as the window's folder tree does (viaTree) or lists it straight into the
// grid's file list as the tick's handler does, without the tree.
void tick(Window& w, const std::string& folder, bool viaTree) {
  static std::uint64_t id = 1;
  if (viaTree) {
    w.frame->tickFolder(QString::fromStdString(folder), true);
    return;
  }
  w.view().fileList().addFolder(id++, folder, viewedTypes(MemorySettings{}), nullptr);
  w.view().listChanged();
}

void BM_FirstPage(benchmark::State& state) {
  DesignFolders& f = designFolders();
  if (!ready(state, f)) return;
  const bool viaTree = state.range(0) == 0;
  {
    // The listing alone, as the tick does it on the user-interface thread.
    const Clock::time_point start = Clock::now();
    FileList list;
    list.addFolder(1, f.folder(0), viewedTypes(MemorySettings{}), nullptr);
    state.counters["list_ms"] = msSince(start);
  }
  double tickMs = 0;
  double stallMs = 0;
  double stallCpuMs = 0;
  for (auto _ : state) {
    Window w;  // a new window: nothing in the picture cache
    watch->reset();
    const Clock::time_point start = Clock::now();
    tick(w, f.folder(0), viaTree);
    tickMs = std::max(tickMs, msSince(start));
    if (!pageShown(w.view())) {
      state.SkipWithError("the first page never completed");
      return;
    }
    state.SetIterationTime(msSince(start) / 1000);
    stallMs = std::max(stallMs, watch->longestMs());
    stallCpuMs = std::max(stallCpuMs, watch->longestCpuMs());
    state.counters["items"] = static_cast<double>(w.view().fileList().size());
    state.counters["cells"] = w.view().shownCells();
  }
  state.counters["tick_max_ms"] = tickMs;
  state.counters["stall_ms"] = stallMs;
  state.counters["stall_cpu_ms"] = stallCpuMs;
  state.counters["sources"] = static_cast<double>(f.sources());
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const auto rank = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(rank, v.size() - 1)];
}

void BM_ScrollPages(benchmark::State& state) {
  DesignFolders& f = designFolders();
  if (!ready(state, f)) return;
  const bool settle = state.range(0) != 0;
  for (auto _ : state) {
    Window w;
    CBrowserView& view = w.view();
    w.frame->tickFolder(QString::fromStdString(f.folder(0)), true);
    if (!pageShown(view)) {
      state.SkipWithError("the first page never completed");
      return;
    }
    std::vector<double> pages;
    watch->reset();
    const Clock::time_point start = Clock::now();
    while (view.firstShown() < view.layout().lastFirst()) {
      if (settle) spin([&] { return w.loader().idle(); });
      const Clock::time_point page = Clock::now();
      QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);  // as the key does
      QCoreApplication::sendEvent(&view, &key);
      if (!pageShown(view)) {
        state.SkipWithError("a page never completed");
        return;
      }
      pages.push_back(msSince(page));
    }
    state.SetIterationTime(msSince(start) / 1000);
    state.counters["pages"] = static_cast<double>(pages.size());
    state.counters["median_ms"] = percentile(pages, 0.5);
    state.counters["p99_ms"] = percentile(pages, 0.99);
    state.counters["max_ms"] = percentile(pages, 1.0);
    state.counters["stall_ms"] = watch->longestMs();
    state.counters["stall_cpu_ms"] = watch->longestCpuMs();
    state.counters["rss_MiB"] = static_cast<double>(rssKiB()) / 1024;
  }
}

BENCHMARK(BM_Memory100k)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPage)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollPages)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh::gridbench

int main(int argc, char** argv) {
  QTemporaryDir home;  // settings, catalog and runtime files of the benchmark's own
  if (!home.isValid()) return 2;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
  setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
  setenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  benchmark::Initialize(&argc, argv);
  lh::gridbench::LoopWatch watch;
  lh::gridbench::watch = &watch;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  lh::gridbench::folders.reset();
  return 0;
}
