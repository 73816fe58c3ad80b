// The thumbnail service: pictures made on a pool of threads, a cache, and batches that
// replace each other. The tsan preset runs these under ThreadSanitizer.
#include "browser/view_core/thumbnail_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/browser/view_fixture.h"

namespace lh {
namespace {

using namespace std::chrono_literals;

// Results as the user-interface thread would receive them.
class Received {
 public:
  ThumbnailService::Deliver deliver() {
    return [this](ThumbnailResult r) {
      const std::lock_guard lock(m_);
      results_.push_back(std::move(r));
    };
  }
  std::vector<ThumbnailResult> all() const {
    const std::lock_guard lock(m_);
    return results_;
  }

 private:
  mutable std::mutex m_;
  std::vector<ThumbnailResult> results_;
};

// Loads counted per location, optionally held until the test lets them go.
class CountedLoads {
 public:
  std::function<LoadResult(DesignCodec&, EmbDesign&, const std::string&)> load() {
    return [this](DesignCodec& codec, EmbDesign& design, const std::string& location) {
      {
        const std::lock_guard lock(m_);
        ++loads_[location];
        ++started_;
      }
      cv_.notify_all();
      if (held_.count(location) != 0) gate().wait();
      codec.busyCount.fetch_add(1);
      return codec.loadDesign(&design, location);
    };
  }
  void hold(const std::string& location) { held_.insert(location); }
  void release() { open_.set_value(); }
  int loadsOf(const std::string& location) const {
    const std::lock_guard lock(m_);
    const auto it = loads_.find(location);
    return it == loads_.end() ? 0 : it->second;
  }
  // Waits (with a guard against a hang) until `n` loads have begun.
  bool awaitStarted(int n) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, 30s, [&] { return started_ >= n; });
  }

 private:
  // Each waiting thread waits on its own copy of the shared state.
  std::shared_future<void> gate() const {
    const std::lock_guard lock(m_);
    return gate_;
  }

  mutable std::mutex m_;
  std::condition_variable cv_;
  std::map<std::string, int> loads_;
  int started_ = 0;
  std::set<std::string> held_;  // set before the service starts
  std::promise<void> open_;
  std::shared_future<void> gate_ = open_.get_future().share();
};

const PictureSpec kThumb = pictureSpec(cellGeometry(128, 128, 14), false, false, 0xFFFFFF);

ThumbnailRequest want(const std::string& location, std::uint64_t tag, const PictureSpec& spec = kThumb,
                      bool prefetch = false) {
  ThumbnailRequest r;
  r.item = location;
  r.location = location;
  r.spec = spec;
  r.tag = tag;
  r.prefetch = prefetch;
  return r;
}

// The colour of every pixel.
std::vector<std::uint32_t> colorsOf(const IndexedPicture& p) {
  std::vector<std::uint32_t> out;
  out.reserve(p.pixels.size());
  for (std::uint8_t slot : p.pixels) out.push_back(p.colors[slot]);
  return out;
}

TEST(ThumbnailService, EveryRequestedItemArrivesOnceWithItsPicture) {
  test::ViewFolder folder;
  std::vector<std::string> paths;
  for (int i = 0; i < 9; ++i) paths.push_back(folder.addDesign("d" + std::to_string(i) + ".dst", i));
  paths.push_back(folder.addText("notes.txt", "Hoop 100 x 100"));
  paths.push_back(folder.file("gone.pes"));
  paths.push_back(folder.addDamaged("damaged.pes"));

  PaletteManager screen;
  SharedPalette palette(screen);
  Received received;
  ThumbnailService service(palette, received.deliver());
  ASSERT_GE(service.threadCount(), 2);
  std::vector<ThumbnailRequest> batch;
  for (std::size_t i = 0; i < paths.size(); ++i) batch.push_back(want(paths[i], i));
  batch.push_back(want(paths[0], 100));  // a second cell showing the same item
  const std::uint64_t generation = service.request(batch);
  service.waitIdle();

  std::map<std::uint64_t, ThumbnailResult> byTag;
  for (ThumbnailResult& r : received.all()) {
    EXPECT_EQ(r.generation, generation);
    EXPECT_TRUE(byTag.emplace(r.tag, std::move(r)).second) << "tag " << r.tag << " arrived twice";
  }
  ASSERT_EQ(byTag.size(), paths.size() + 1);
  for (std::uint64_t i = 0; i < 9; ++i) {
    const Thumbnail& t = *byTag.at(i).thumbnail;
    EXPECT_EQ(byTag.at(i).item, paths[i]);
    ASSERT_EQ(t.picture, CellPicture::Design) << paths[i];
    EXPECT_EQ(t.rendered.width, 128);
    EXPECT_EQ(t.rendered.height, 108);
    EXPECT_EQ(t.rendered.pixels.size(), 128u * 108u);
    EXPECT_EQ(t.colorList.size(), test::zigzagDesign(static_cast<int>(i)).threads.size());
    EXPECT_FALSE(t.infoText.empty());
    EXPECT_GT(t.scale, 0.0f);
  }
  EXPECT_EQ(byTag.at(9).thumbnail->picture, CellPicture::Text);
  EXPECT_EQ(byTag.at(9).thumbnail->text, "Hoop 100 x 100");
  EXPECT_EQ(byTag.at(10).thumbnail->picture, CellPicture::Missing);
  EXPECT_FALSE(byTag.at(10).thumbnail->bitmapFile.empty());
  EXPECT_EQ(byTag.at(11).thumbnail->picture, CellPicture::Unreadable);
  EXPECT_EQ(byTag.at(100).thumbnail, byTag.at(0).thumbnail);  // made once, handed to both cells

  EXPECT_EQ(service.counts().made, paths.size());
  EXPECT_EQ(service.busyLoads(), 0);
}

TEST(ThumbnailService, ANewBatchDropsTheOldOnesWaitingAndFinishedRequests) {
  test::ViewFolder folder;
  std::vector<std::string> old, fresh;
  for (int i = 0; i < 6; ++i) old.push_back(folder.addDesign("old" + std::to_string(i) + ".dst", i));
  for (int i = 0; i < 2; ++i) fresh.push_back(folder.addDesign("new" + std::to_string(i) + ".dst", i + 6));

  CountedLoads loads;
  for (const std::string& p : old) loads.hold(p);
  PaletteManager screen;
  SharedPalette palette(screen);
  Received received;
  ThumbnailOptions options;
  options.threads = 2;
  options.load = loads.load();
  ThumbnailService service(palette, received.deliver(), options);

  std::vector<ThumbnailRequest> first;
  for (std::size_t i = 0; i < old.size(); ++i) first.push_back(want(old[i], i));
  service.request(first);
  ASSERT_TRUE(loads.awaitStarted(2));  // both workers hold an old item
  std::vector<ThumbnailRequest> second;
  for (std::size_t i = 0; i < fresh.size(); ++i) second.push_back(want(fresh[i], 10 + i));
  const std::uint64_t generation = service.request(second);
  loads.release();
  service.waitIdle();

  std::set<std::uint64_t> tags;
  for (const ThumbnailResult& r : received.all()) {
    EXPECT_EQ(r.generation, generation);
    tags.insert(r.tag);
  }
  EXPECT_EQ(tags, (std::set<std::uint64_t>{10, 11}));
  int oldLoads = 0;
  for (const std::string& p : old) oldLoads += loads.loadsOf(p);
  EXPECT_EQ(oldLoads, 2);  // the four that had not started were never loaded

  // What the old batch finished was kept: asking for it again needs no load.
  service.request({want(old[0], 0), want(old[1], 1)});
  service.waitIdle();
  EXPECT_EQ(loads.loadsOf(old[0]) + loads.loadsOf(old[1]), 2);
  EXPECT_EQ(received.all().size(), 4u);
}

TEST(ThumbnailService, CacheAnswersUntilTheFileOrTheSpecChanges) {
  namespace fs = std::filesystem;
  test::ViewFolder folder;
  const std::string a = folder.addDesign("a.dst", 1);
  const std::string b = folder.addDesign("b.dst", 2);
  CountedLoads loads;
  PaletteManager screen;
  SharedPalette palette(screen);
  Received received;
  ThumbnailOptions options;
  options.load = loads.load();
  ThumbnailService service(palette, received.deliver(), options);
  auto ask = [&](const ThumbnailRequest& r) {
    service.request({r});
    service.waitIdle();
  };

  ask(want(a, 1));
  ask(want(a, 1));
  EXPECT_EQ(loads.loadsOf(a), 1);
  EXPECT_EQ(service.counts().hits, 1u);
  EXPECT_EQ(received.all().size(), 2u);

  ask(want(b, 2, kThumb, true));  // a prefetch fills the cache and hands nothing back
  EXPECT_EQ(received.all().size(), 2u);
  ask(want(b, 2));
  EXPECT_EQ(loads.loadsOf(b), 1);
  EXPECT_EQ(received.all().size(), 3u);

  const fs::file_time_type time = fs::last_write_time(a);
  fs::last_write_time(a, time + 5s);
  ask(want(a, 1));
  EXPECT_EQ(loads.loadsOf(a), 2) << "a newer file is loaded again";

  const fs::file_time_type kept = fs::last_write_time(a);
  folder.addDesign("a.dst", 4);  // more stitches: another size, the same time
  fs::last_write_time(a, kept);
  ask(want(a, 1));
  EXPECT_EQ(loads.loadsOf(a), 3) << "a file of another size is loaded again";

  ask(want(a, 1, pictureSpec(cellGeometry(200, 200, 14), false, false, 0xFFFFFF)));
  ask(want(a, 1, pictureSpec(cellGeometry(128, 128, 14), true, false, 0xFFFFFF)));
  EXPECT_EQ(loads.loadsOf(a), 5) << "another size or shading is another picture";
  EXPECT_EQ(service.busyLoads(), 0);
}

TEST(ThumbnailCache, KeepsTheMostRecentlyUsedWithinItsBudget) {
  auto picture = [](std::size_t n) {
    auto t = std::make_shared<Thumbnail>();
    t->rendered.pixels.assign(n, 1);
    return std::shared_ptr<const Thumbnail>(std::move(t));
  };
  ThumbnailCache cache(250000);
  cache.insert("a", picture(100000));
  cache.insert("b", picture(100000));
  ASSERT_NE(cache.find("a"), nullptr);  // a is now newer than b
  cache.insert("c", picture(100000));
  EXPECT_NE(cache.find("a"), nullptr);
  EXPECT_EQ(cache.find("b"), nullptr);
  EXPECT_NE(cache.find("c"), nullptr);
  EXPECT_LE(cache.bytes(), cache.maxBytes());

  cache.insert("huge", picture(400000));  // larger than the budget: not kept, nothing dropped
  EXPECT_EQ(cache.find("huge"), nullptr);
  EXPECT_EQ(cache.size(), 2u);
  cache.insert("a", picture(100));  // replaced, not counted twice
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_LT(cache.bytes(), 110000u);
}

// Two threads asking for batches of overlapping items, shaded and flat, while the pool
// renders them on one palette: every picture handed back has the colours it has when
// rendered alone, and the loads in progress come back to zero.
TEST(ThumbnailService, ManyBatchesFromTwoThreadsOnOneSharedPalette) {
  test::ViewFolder folder;
  std::vector<std::string> paths;
  for (int i = 0; i < 16; ++i) paths.push_back(folder.addDesign("d" + std::to_string(i) + ".dst", i, 200));
  const PictureSpec specs[] = {kThumb, pictureSpec(cellGeometry(128, 128, 14), true, false, 0xFFFFFF),
                               pictureSpec(cellGeometry(600, 520, 14), true, true, 0xFFFFFF),
                               pictureSpec(cellGeometry(96, 96, 14), false, true, 0xE0F0FF)};
  std::map<std::pair<std::string, int>, std::vector<std::uint32_t>> expected;
  for (const std::string& p : paths) {
    for (int s = 0; s < 4; ++s) {
      DesignCodec codec;
      EmbDesign design;
      codec.busyCount.fetch_add(1);
      const LoadResult result = codec.loadDesign(&design, p);
      PaletteManager own;
      SharedPalette alone(own);
      expected[{p, s}] = colorsOf(makeThumbnail(design, result, specs[s], false, alone).rendered);
    }
  }

  PaletteManager screen;
  SharedPalette palette(screen);
  Received received;
  ThumbnailOptions options;
  options.threads = 4;
  ThumbnailService service(palette, received.deliver(), options);
  auto asker = [&](int seed) {
    for (int round = 0; round < 30; ++round) {
      std::vector<ThumbnailRequest> batch;
      for (int k = 0; k < 8; ++k) {
        const int item = (seed * 5 + round * 3 + k) % 16;
        const int spec = (seed + round + k) % 4;
        batch.push_back(want(paths[static_cast<std::size_t>(item)], static_cast<std::uint64_t>(item * 4 + spec),
                             specs[spec], k >= 6));
      }
      service.request(std::move(batch));
      std::this_thread::yield();
    }
  };
  std::thread one(asker, 1), two(asker, 2);
  one.join();
  two.join();
  std::vector<ThumbnailRequest> last;
  for (std::size_t i = 0; i < paths.size(); ++i) last.push_back(want(paths[i], i * 4 + 1, specs[1]));
  const std::uint64_t generation = service.request(last);
  service.waitIdle();

  std::set<std::uint64_t> lastTags;
  for (const ThumbnailResult& r : received.all()) {
    const int spec = static_cast<int>(r.tag % 4);
    ASSERT_EQ(r.thumbnail->spec, specs[spec]);
    EXPECT_EQ(colorsOf(r.thumbnail->rendered), (expected[{r.item, spec}])) << r.item << " spec " << spec;
    if (r.generation == generation) lastTags.insert(r.tag);
  }
  EXPECT_EQ(lastTags.size(), paths.size());
  EXPECT_EQ(service.busyLoads(), 0);
}

}  // namespace
}  // namespace lh
