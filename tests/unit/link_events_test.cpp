#include "link/link_events.h"
#include "link/traffic_log.h"

#include <gtest/gtest.h>

#include <thread>

namespace orv {
namespace {

LinkEvent line(std::string text) {
  return LinkEvent{LinkEvent::Kind::line, kSerialConnection, std::move(text)};
}

TEST(LinkEventQueue, OneWakeUpUntilTheEventsAreTaken) {
  int wakes = 0;
  LinkEventQueue queue([&] { return ++wakes, true; });
  queue.push(line("GO\r\n"));
  queue.push(line("E1\r\n"));
  EXPECT_EQ(wakes, 1);
  const auto taken = queue.take();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[1].text, "E1\r\n");
  queue.push(line("GO\r\n"));
  EXPECT_EQ(wakes, 2);
}

TEST(LinkEventQueue, ALostWakeUpIsTriedAgainOnTheNextEvent) {
  bool deliverable = false;
  int tries = 0;
  LinkEventQueue queue([&] { return ++tries, deliverable; });
  queue.push(line("GO\r\n"));
  deliverable = true;
  queue.push(line("GO\r\n"));
  queue.push(line("GO\r\n"));
  EXPECT_EQ(tries, 2);
  EXPECT_EQ(queue.take().size(), 3u);
}

TEST(LinkEventQueue, LinesBeyondTheBoundAreDroppedButConnectionsAreKept) {
  LinkEventQueue queue([] { return true; }, 3);
  for (int i = 0; i < 5; ++i) queue.push(line("GO\r\n"));
  queue.push(LinkEvent{LinkEvent::Kind::closed, 7, {}});
  const auto taken = queue.take();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken.back().kind, LinkEvent::Kind::closed);
  EXPECT_EQ(queue.dropped_lines(), 2u);
  for (int i = 0; i < 3; ++i) queue.push(line("GO\r\n"));
  EXPECT_EQ(queue.take().size(), 3u) << "taking makes room again";
}

TEST(LinkEventQueue, EveryLineFromAnotherThreadArrivesInOrder) {
  LinkEventQueue queue([] { return true; }, 100000);
  std::thread reader([&] {
    for (int i = 0; i < 20000; ++i) queue.push(line(std::to_string(i)));
  });
  std::vector<LinkEvent> all;
  while (all.size() < 20000) {
    for (LinkEvent& event : queue.take()) all.push_back(std::move(event));
  }
  reader.join();
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(all[static_cast<size_t>(i)].text, std::to_string(i));
}

// The log keeps the newest 5,000 lines and counts every one, so that a
// window that showed some knows which are new; what is not printable is
// written as an escape.
TEST(TrafficLog, KeepsTheNewestLinesAndEscapesWhatIsNotPrintable) {
  TrafficLog log;
  for (int i = 0; i < 5003; ++i)
    log.record(TrafficLine{{}, true, "COM1", "", "L" + std::to_string(i) + "\r\n"});
  ASSERT_EQ(log.lines().size(), TrafficLog::kKeptLines);
  EXPECT_EQ(log.lines().front().text, "L3\r\n");
  EXPECT_EQ(log.recorded(), 5003u);
  log.clear();
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(log.recorded(), 5003u);

  const std::string row =
      format_traffic_line(TrafficLine{{}, false, "127.0.1.5", "07", "\x01G\\O\x82\r\n"});
  EXPECT_EQ(row.substr(12), "\t←\t127.0.1.5\t07\t\\x01G\\\\O\\x82\\r\\n");
}

}  // namespace
}  // namespace orv
