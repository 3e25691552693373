#include "link/link_events.h"

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

}  // namespace
}  // namespace orv
