#include "link/exchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "app/reply_presentation.h"
#include "link/dispatch.h"
#include "link/link_events.h"
#include "link/reply_roads.h"
#include "link/traffic_log.h"
#include "protocol/commands.h"
#include "test_support.h"

namespace orv {
namespace {

struct Seen {
  int wait_ticks;
  bool awaiting_reply;
  bool send_failed;
  ResultCode result;
  Completion completion;
  bool operator==(const Seen&) const = default;
};

Seen seen(const Exchange& e) {
  return {e.wait_ticks(), e.awaiting_reply(), e.send_failed(), e.result_code(), e.completion()};
}

// Runs the transitions named in `steps`, in order ("tick*15" ticks 15 times).
void run(Exchange& e, const std::string& steps) {
  static const std::map<std::string, std::function<void(Exchange&)>> kSteps{
      {"single", [](Exchange& x) { x.begin_single_command(); }},
      {"step", [](Exchange& x) { x.begin_bulk_step(); }},
      {"last", [](Exchange& x) { x.begin_last_bulk_step(); }},
      {"sent", [](Exchange& x) { x.sent(); }},
      {"broadcast", [](Exchange& x) { x.sent_without_reply(); }},
      {"refused", [](Exchange& x) { x.refused(); }},
      {"failed", [](Exchange& x) { x.send_failure(); }},
      {"GO", [](Exchange& x) { x.acknowledged(); }},
      {"stored", [](Exchange& x) { x.reply_stored(); }},
      {"LOCK", [](Exchange& x) { x.condition(ResultCode::lock); }},
      {"handled", [](Exchange& x) { x.reply_handled(); }},
      {"tick", [](Exchange& x) { x.tick(); }},
      {"shown", [](Exchange& x) { x.condition_reported(); }},
      {"status", [](Exchange& x) { x.set_close_on_failure(true); }},
      {"abandon", [](Exchange& x) { x.abandon(); }},
      {"retry1", [](Exchange& x) { x.set_retries(1); }},
      {"again", [](Exchange& x) { x.sending_again(); }},
  };
  std::istringstream words(steps);
  for (std::string word; words >> word;) {
    const size_t star = word.find('*');
    const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
    for (int i = 0; i < times; ++i) kSteps.at(word.substr(0, star))(e);
  }
}

using R = ResultCode;
using C = Completion;

TEST(Exchange, TransitionTable) {
  const std::vector<std::pair<std::string, Seen>> rows{
      {"single sent", {1, true, false, R::none, C::none}},
      {"single sent GO handled", {0, false, false, R::none, C::single}},
      {"step sent GO handled", {0, false, false, R::none, C::none}},
      {"last sent GO handled", {0, false, false, R::none, C::bulk}},
      {"single GO", {0, false, false, R::none, C::none}},  // nobody waits for it
      {"sent LOCK handled", {0, false, false, R::lock, C::none}},
      {"sent LOCK stored", {1, true, false, R::lock, C::none}},  // the condition comes first
      {"sent stored handled", {0, false, false, R::none, C::single}},
      {"LOCK sent broadcast", {0, false, false, R::none, C::single}},
      {"step sent broadcast", {0, false, false, R::none, C::none}},
      {"sent refused", {0, false, false, R::command_error, C::none}},
      {"sent failed", {0, false, true, R::none, C::none}},
      {"sent tick*14", {15, true, false, R::none, C::none}},
      {"sent tick*15", {0, false, false, R::none, C::none}},
      {"step sent tick*15", {0, false, false, R::reported, C::none}},
      {"step retry1 sent tick*15", {1, true, false, R::none, C::none}},  // tried again
      {"step retry1 sent tick*15 again sent tick*15", {0, false, false, R::reported, C::none}},
      {"step retry1 sent tick*15 abandon step sent tick*15",
       {0, false, false, R::reported, C::none}},
      {"status sent tick*15", {0, false, false, R::reported, C::none}},
      {"sent LOCK handled shown", {0, false, false, R::none, C::none}},
      {"step sent LOCK handled shown", {0, false, false, R::reported, C::none}},
      {"last sent GO sent LOCK failed abandon", {0, false, false, R::none, C::bulk}},
  };
  for (const auto& [steps, expected] : rows) {
    Exchange e;
    run(e, steps);
    EXPECT_EQ(seen(e), expected) << steps;
  }
  Exchange e;
  e.set_suppress_errors(true);
  run(e, "status step abandon");
  EXPECT_TRUE(e.suppress_errors() && e.close_on_failure()) << "abandon leaves them to their owners";
  EXPECT_EQ(e.bulk_phase(), BulkPhase::single);
}

class Dispatch : public ::testing::Test, public test::SessionWithLinks {
 protected:
  DispatchResult send(std::string_view command) {
    return dispatch_command(session.exchange, session.route(), command);
  }
};

TEST_F(Dispatch, LinesTooLongForThePortAreRefusedNotCut) {
  session.config.control = 1;
  send(std::string(597, 'A'));
  EXPECT_EQ(serial.sent.at(0).size(), 599u);
  send(std::string(598, 'A'));
  EXPECT_EQ(serial.sent.size(), 1u);
  EXPECT_EQ(session.exchange.result_code(), ResultCode::command_error);
  EXPECT_FALSE(session.exchange.awaiting_reply());
}

// A reply that never comes is asked for again as often as allowed, on
// either road, and then the wait ends.
TEST_F(Dispatch, ASilentUnitIsAskedAgainOnlyAsOftenAsAllowed) {
  for (const int interface_set : {0, 1}) {
    session.config.interface_set = interface_set;
    session.exchange.set_retries(2);
    send("ROS\r\n");
    std::vector<WaitTick> ends;
    for (int tick = 0; tick < 4 * kTimeoutTicks; ++tick) {
      const WaitTick t = session.exchange.tick();
      if (t == WaitTick::waiting) continue;
      ends.push_back(t);
      if (t == WaitTick::timed_out) break;
      session.exchange.sending_again();
      send("ROS\r\n");
    }
    EXPECT_EQ(ends, (std::vector<WaitTick>{WaitTick::try_again, WaitTick::try_again,
                                           WaitTick::timed_out}))
        << "interface_set=" << interface_set;
  }
}

// A refused password is a Command Error end to end; a month out of range
// is dropped without a word.
TEST_F(Dispatch, RefusedCommandsSendNothingAndReportAsTheCatalogueSays) {
  send_to_unit(session, build_set_month(13));
  EXPECT_EQ(session.exchange.result_code(), ResultCode::none);
  EXPECT_TRUE(serial.sent.empty());
}

TEST_F(Dispatch, FailedSendsAreReportedAndCloseTheStatusWindow) {
  session.config.interface_set = 1;
  tcp.connected = false;
  DispatchResult result = send("ROS\r\n");
  EXPECT_EQ(result.failure, kSocketNotConnected);
  EXPECT_FALSE(result.close_current_dialog);
  EXPECT_TRUE(session.exchange.send_failed());
  EXPECT_FALSE(session.exchange.awaiting_reply());

  tcp.connected = true;
  tcp.accepts = false;
  session.exchange.set_close_on_failure(true);
  result = send("ROS\r\n");
  EXPECT_EQ(result.failure, kSocketSendFailed);
  EXPECT_TRUE(result.close_current_dialog);
  EXPECT_FALSE(session.exchange.close_on_failure()) << "the window is closed once";

  tcp.accepts = true;
  EXPECT_TRUE(send("ROS\r\n").failure.empty());
  EXPECT_FALSE(session.exchange.send_failed()) << "each dispatch starts afresh";

  session.exchange.abandon();
  session.config.interface_set = 0;
  serial.accepts = false;  // the command-line tool's port failed
  EXPECT_EQ(send("ROS\r\n").failure, kSerialWriteFailed);
  EXPECT_TRUE(session.exchange.send_failed());
}

class TcpEvents : public ::testing::Test, public test::SessionWithLinks {
 protected:
  TcpEvents() { session.config.interface_set = 1; }
  LinkEffects event(LinkEvent::Kind kind, bool awaited = true, std::string text = {}) {
    return handle_link_event(session, LinkEvent{kind, 57, std::move(text), awaited});
  }
  void send() { dispatch_command(session.exchange, session.route(), "ROS\r\n"); }
};

TEST_F(TcpEvents, AConnectionLostWhileItsReplyIsAwaitedEndsTheExchange) {
  session.exchange.begin_bulk_step();
  send();
  LinkEffects effects = event(LinkEvent::Kind::failed);
  EXPECT_EQ(effects.box.kind, BoxKind::condition);
  EXPECT_EQ(effects.box.text, kSocketEventError);
  EXPECT_TRUE(session.exchange.send_failed());
  EXPECT_EQ(session.exchange.result_code(), ResultCode::reported) << "a run stops";

  session.exchange.abandon();
  session.exchange.set_close_on_failure(true);
  send();
  effects = event(LinkEvent::Kind::closed);
  EXPECT_EQ(effects.box.text, kNoAnswer);
  EXPECT_TRUE(effects.close_current_dialog);
  EXPECT_TRUE(effects.link_changed);

  session.exchange.abandon();
  send();
  effects = event(LinkEvent::Kind::closed, false);  // another converter went
  EXPECT_EQ(effects.box.kind, BoxKind::none);
  EXPECT_TRUE(session.exchange.awaiting_reply());
  EXPECT_EQ(event(LinkEvent::Kind::no_answer).box.text, kNoAnswer);
  EXPECT_EQ(event(LinkEvent::Kind::no_answer).box.kind, BoxKind::none) << "once";

  // Another converter's socket fails during a run: the run goes on.
  session.exchange.abandon();
  session.exchange.begin_bulk_step();
  send();
  effects = event(LinkEvent::Kind::failed, false);
  EXPECT_EQ(effects.box.text, kSocketEventError);
  EXPECT_TRUE(session.exchange.awaiting_reply());
  EXPECT_EQ(session.exchange.result_code(), ResultCode::none);
  // A sockets-library call that failed while the link handled an event is
  // shown after it, under "TREVALIX", and leaves the exchange alone too.
  effects = event(LinkEvent::Kind::failed_call, false, "accept() [10054]");
  EXPECT_EQ(effects.box.caption, "TREVALIX");
  EXPECT_TRUE(effects.box.icon_error);
  EXPECT_EQ(event(LinkEvent::Kind::unknown_socket_event, false, "event 64").box.icon_error, false);
  EXPECT_TRUE(session.exchange.awaiting_reply());
}

LinkEvent line(std::string text) {
  return LinkEvent{LinkEvent::Kind::line, kSerialConnection, std::move(text)};
}

// A whole read that completed takes over the port the converter reported
// (one that did not is the end-to-end tests'), in memory and in the file.
TEST(WholeRead, TheConvertersPortBecomesTheOneInUse) {
  Session session;
  test::MemoryProfileStore store;
  session.profile = &store;
  set_port_number(session, "10001");
  begin_whole_read(session);
  end_whole_read(session, true);
  EXPECT_EQ(port_number(session), "10001") << "a read that reported no port keeps it";
  begin_whole_read(session);
  session.exchange.sent();
  session.askedCommand = "REPN";
  handle_link_event(session, line("EPN09004\r\n"));
  EXPECT_EQ(port_number(session), "10001") << "not before the end";
  end_whole_read(session, true);
  EXPECT_EQ(store.get("port_number"), "09004");
}

// One wake-up until the events are taken; a lost one is tried again on the
// next event.
TEST(LinkEventQueue, OneWakeUpUntilTheEventsAreTaken) {
  bool deliverable = false;
  int tries = 0;
  LinkEventQueue queue([&] { return ++tries, deliverable; });
  queue.push(line("GO\r\n"));
  deliverable = true;
  queue.push(line("E1\r\n"));
  queue.push(line("GO\r\n"));
  EXPECT_EQ(tries, 2);
  const auto taken = queue.take();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[1].text, "E1\r\n");
  queue.push(line("GO\r\n"));
  EXPECT_EQ(tries, 3);
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
  // The password never reaches the log: sent or read back, on RS-485 too.
  for (const char* line : {"PN654321\r\n", "FFPN654321\r\n", "05PN6543\n"})
    log.record(TrafficLine{{}, true, "COM1", "", line});
  EXPECT_EQ(log.lines()[1].text, "FFPN******\r\n");
  EXPECT_EQ(format_traffic_log(log).find("6543"), std::string::npos);
  EXPECT_EQ(mask_password("RPN\r\n"), "RPN\r\n");
  EXPECT_EQ(mask_password(""), "") << "a refused command has no text";
}

// A whole exchange without Windows: dispatch, then replies or silence, then
// the ticks of timer 1, collecting every box the window would show.
class Presentation : public ::testing::Test, public test::SessionWithLinks {
 protected:
  void send() { dispatch_command(session.exchange, session.route(), "CTI01ON\r\n"); }
  void reply(std::string_view line) {
    ReplyTarget target{session.settings, session.awaitedGlyphCode, &session.status, false, {}};
    handle_serial_reply(session.exchange, target, session.framing(), line);
  }
  std::vector<Timer1Decision> ticks(int count) {
    std::vector<Timer1Decision> shown;
    for (int i = 0; i < count; ++i) {
      Timer1Decision d = timer1_tick(session.exchange);
      if (d.box.kind != BoxKind::none || d.close_current_dialog || d.stop_status_poll)
        shown.push_back(d);
    }
    return shown;
  }
  Exchange& exchange() { return session.exchange; }
};

TEST_F(Presentation, SuppressedConditionsAreDroppedWithoutABox) {
  send();
  reply("ALARM\r\n");
  exchange().set_suppress_errors(true);
  EXPECT_TRUE(ticks(20).empty());
  EXPECT_EQ(exchange().result_code(), ResultCode::none);
}

// A condition beeps and is shown before the success that came with it.
TEST_F(Presentation, ConditionTakesPrecedenceOverSuccess) {
  send();
  reply("GO\r\n");
  exchange().condition(ResultCode::lock);
  const Timer1Decision first = timer1_tick(exchange());
  EXPECT_EQ(first.box.kind, BoxKind::condition);
  EXPECT_TRUE(first.box.beep);
  const Timer1Decision second = timer1_tick(exchange());
  EXPECT_EQ(second.box.kind, BoxKind::connected);
  EXPECT_FALSE(second.box.beep);
}

TEST_F(Presentation, StatusWindowIsClosedOnFailureOnce) {
  exchange().set_close_on_failure(true);
  send();
  const auto timed_out = ticks(20);
  ASSERT_EQ(timed_out.size(), 1u);
  EXPECT_EQ(timed_out[0].box.kind, BoxKind::no_connect);
  EXPECT_TRUE(timed_out[0].close_current_dialog);
  EXPECT_FALSE(exchange().close_on_failure());

  exchange().abandon();
  exchange().set_close_on_failure(true);
  send();
  reply("E3\r\n");
  const Timer1Decision d = timer1_tick(exchange());
  EXPECT_TRUE(d.stop_status_poll);
  EXPECT_EQ(d.box.text, "Command Error");
  EXPECT_TRUE(d.close_current_dialog);
}

}  // namespace
}  // namespace orv
