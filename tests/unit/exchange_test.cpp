#include "link/exchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "app/link_handling.h"
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
  bool awaiting_reply;
  bool send_failed;
  ResultCode result;
  Completion completion;
  bool operator==(const Seen&) const = default;
};

Seen seen(const Exchange& e) {
  return {e.awaiting_reply(), e.send_failed(), e.result_code(), e.completion()};
}

// Runs the transitions named in `steps`, in order.
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
      {"late", [](Exchange& x) { x.unanswered(); }},
      {"shown", [](Exchange& x) { x.condition_reported(); }},
      {"status", [](Exchange& x) { x.set_close_on_failure(true); }},
      {"abandon", [](Exchange& x) { x.abandon(); }},
  };
  std::istringstream words(steps);
  for (std::string word; words >> word;) kSteps.at(word)(e);
}

using R = ResultCode;
using C = Completion;

TEST(Exchange, TransitionTable) {
  const std::vector<std::pair<std::string, Seen>> rows{
      {"single sent", {true, false, R::none, C::none}},
      {"single sent GO handled", {false, false, R::none, C::single}},
      {"step sent GO handled", {false, false, R::none, C::none}},
      {"last sent GO handled", {false, false, R::none, C::bulk}},
      {"single GO", {false, false, R::none, C::none}},  // nobody waits for it
      {"sent LOCK handled", {false, false, R::lock, C::none}},
      {"sent LOCK stored", {true, false, R::lock, C::none}},  // the condition comes first
      {"sent stored handled", {false, false, R::none, C::single}},
      {"LOCK sent broadcast", {false, false, R::none, C::single}},
      {"step sent broadcast", {false, false, R::none, C::none}},
      {"sent refused", {false, false, R::command_error, C::none}},
      {"sent failed", {false, true, R::none, C::none}},
      {"sent late", {false, false, R::none, C::none}},
      {"step sent late", {false, false, R::reported, C::none}},
      {"status sent late", {false, false, R::reported, C::none}},
      {"sent LOCK handled shown", {false, false, R::none, C::none}},
      {"step sent LOCK handled shown", {false, false, R::reported, C::none}},
      {"last sent GO sent LOCK failed abandon", {false, false, R::none, C::bulk}},
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

// The operator's road without Windows: commands go out on the selected
// unit's conversation, and timer 1's ticks move its clock.
class OperatorRoadTest : public ::testing::Test, public test::SessionWithLinks {
 protected:
  Exchange& exchange() { return session.operator_road.exchange; }
  LinkEffects send(const Command& command, int retries = 0) {
    return ask_unit(session, command, retries);
  }
  LinkEffects arrives(std::string text, Connection from = Connection::serial_line()) {
    return handle_link_event(session, LinkEvent{LinkEvent::Kind::line, from, std::move(text)});
  }
  // Ticks of timer 1: the conversations first, then what the window shows.
  std::vector<MessageBoxRequest> ticks(int count) {
    std::vector<MessageBoxRequest> shown;
    for (int i = 0; i < count; ++i) {
      const LinkEffects effects = tick_conversations(session);
      if (effects.box.kind != BoxKind::none) shown.push_back(effects.box);
      const Timer1Decision d = timer1_tick(exchange());
      if (d.box.kind != BoxKind::none) shown.push_back(d.box);
    }
    return shown;
  }
};

TEST_F(OperatorRoadTest, LinesTooLongForThePortAreRefusedNotCut) {
  session.config.control = 1;
  send(Command::line(std::string(595, 'A') + "\r\n"));
  EXPECT_EQ(serial.sent.at(0).size(), 599u);
  exchange().abandon();
  session.lines.serial.fail_all();
  send(Command::line(std::string(596, 'A') + "\r\n"));
  EXPECT_EQ(serial.sent.size(), 1u);
  EXPECT_EQ(exchange().result_code(), ResultCode::command_error);
  EXPECT_FALSE(exchange().awaiting_reply());
}

// The catalogue's two refusals: "Command Error" (a password that is not
// six digits) and silence (a month out of range); neither sends anything.
TEST_F(OperatorRoadTest, RefusedCommandsSendNothingAndReportAsTheCatalogueSays) {
  send(build_password("12ab"));
  EXPECT_EQ(exchange().result_code(), ResultCode::command_error);
  EXPECT_EQ(timer1_tick(exchange()).box.text, "Command Error");
  send(build_set_month(13));
  EXPECT_EQ(exchange().result_code(), ResultCode::none);
  EXPECT_EQ(timer1_tick(exchange()).box.kind, BoxKind::none);
  EXPECT_TRUE(serial.sent.empty());
}

TEST_F(OperatorRoadTest, FailedSendsAreReportedAndCloseTheStatusWindow) {
  session.config.interface_set = 1;
  tcp.connected = false;
  LinkEffects effects = send(build_read_output_selection());
  EXPECT_EQ(effects.box.text, kSocketNotConnected);
  EXPECT_FALSE(effects.close_current_dialog);
  EXPECT_TRUE(exchange().send_failed());
  EXPECT_FALSE(exchange().awaiting_reply());

  tcp.connected = true;
  tcp.accepts = false;
  exchange().set_close_on_failure(true);
  effects = send(build_read_output_selection());
  EXPECT_EQ(effects.box.text, kSocketSendFailed);
  EXPECT_TRUE(effects.close_current_dialog);
  EXPECT_FALSE(exchange().close_on_failure()) << "the window is closed once";

  tcp.accepts = true;
  EXPECT_EQ(send(build_read_output_selection()).box.kind, BoxKind::none);
  EXPECT_FALSE(exchange().send_failed()) << "each dispatch starts afresh";
}

// A reply that never comes is asked for again as often as allowed, on
// either road, at the time the road allows it (fifteen ticks of timer 1 on
// the serial line, the 2 s bound on TCP/IP); then the wait ends with the
// road's own report. A retried command that is then answered goes on.
TEST_F(OperatorRoadTest, ASilentUnitIsAskedAgainOnEitherRoadThenReported) {
  for (const int interface_set : {0, 1}) {
    SCOPED_TRACE(interface_set);
    session.config.interface_set = interface_set;
    test::RecordingLink& link = interface_set ? tcp : serial;
    link.sent.clear();
    exchange().abandon();
    send(build_read_output_selection(), 2);
    const int bound = interface_set ? 11 : kTimeoutTicks;
    EXPECT_TRUE(ticks(bound - 1).empty());
    EXPECT_EQ(link.sent.size(), 1u);
    EXPECT_TRUE(ticks(1).empty());
    EXPECT_EQ(link.sent.size(), 2u) << "asked again, not failed";
    ticks(bound);
    EXPECT_EQ(link.sent.size(), 3u);
    const auto shown = ticks(bound);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, interface_set ? kNoAnswer : "No Connect");
    EXPECT_EQ(link.sent.size(), 3u);
  }
  exchange().abandon();
  send(build_read_pattern_in_force(), 1);
  ticks(11);
  arrives("OP05\r\n", Connection::client());
  EXPECT_EQ(session.document.settings.currentScreenPattern, 4) << "the retry's answer";
  const auto shown = ticks(20);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Success");
}

class TcpEvents : public OperatorRoadTest {
 protected:
  TcpEvents() {
    session.config.interface_set = 1;
    session.config.client_server = 1;
    session.lines.server.admit("127.0.1.57");
    session.lines.server.admit("127.0.1.58");
    session.lines.server.pick(1);
    session.lines.place_links[1] = &tcp;
    session.lines.place_links[2] = &tcp;
  }
  LinkEffects event(LinkEvent::Kind kind, int place = 1, std::string text = {}) {
    return handle_link_event(session,
                             LinkEvent{kind, Connection::server_place(place), std::move(text)});
  }
  void send_one() { send(build_read_output_selection()); }
};

TEST_F(TcpEvents, AConnectionLostWhileItsReplyIsAwaitedEndsTheExchange) {
  exchange().begin_bulk_step();
  send_one();
  LinkEffects effects = event(LinkEvent::Kind::failed);
  EXPECT_EQ(effects.box.kind, BoxKind::condition);
  EXPECT_EQ(effects.box.text, kSocketEventError);
  EXPECT_TRUE(exchange().send_failed());
  EXPECT_EQ(exchange().result_code(), ResultCode::reported) << "a run stops";

  exchange().abandon();
  exchange().set_close_on_failure(true);
  send_one();
  effects = event(LinkEvent::Kind::closed);
  EXPECT_EQ(effects.box.text, kNoAnswer);
  EXPECT_TRUE(effects.close_current_dialog);
  EXPECT_TRUE(effects.link_changed);

  // Another converter's connection goes, or fails, during a run: the run
  // goes on, and a line from it raises nothing.
  exchange().abandon();
  exchange().begin_bulk_step();
  send_one();
  EXPECT_EQ(event(LinkEvent::Kind::closed, 2).box.kind, BoxKind::none);
  effects = event(LinkEvent::Kind::failed, 2);
  EXPECT_EQ(effects.box.text, kSocketEventError);
  EXPECT_TRUE(exchange().awaiting_reply());
  EXPECT_EQ(exchange().result_code(), ResultCode::none);
  arrives("E3\r\n", Connection::server_place(2));
  EXPECT_EQ(exchange().result_code(), ResultCode::none);
  // A sockets-library call that failed while the link handled an event is
  // shown after it, under "TREVALIX", and leaves the exchange alone too.
  effects = event(LinkEvent::Kind::failed_call, 0, "accept() [10054]");
  EXPECT_EQ(effects.box.caption, "TREVALIX");
  EXPECT_TRUE(effects.box.icon_error);
  EXPECT_EQ(event(LinkEvent::Kind::unknown_socket_event, 0, "event 64").box.icon_error, false);
  EXPECT_TRUE(exchange().awaiting_reply());
}

LinkEvent line(std::string text) {
  return LinkEvent{LinkEvent::Kind::line, Connection::serial_line(), std::move(text)};
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
  test::RecordingLink serial;
  session.lines.serial_link = &serial;
  ask_converter(session, build_converter_read(6));  // REPN
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
  queue.push(LinkEvent{LinkEvent::Kind::closed, Connection::server_place(7), {}});
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
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (all.size() < 20000 && std::chrono::steady_clock::now() < deadline) {
    for (LinkEvent& event : queue.take()) all.push_back(std::move(event));
  }
  reader.join();
  for (LinkEvent& event : queue.take()) all.push_back(std::move(event));
  ASSERT_EQ(all.size(), 20000u) << "a line was lost";
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

// A whole exchange without Windows: a command, then replies or silence, then
// the ticks of timer 1, collecting every box the window would show.
class Presentation : public OperatorRoadTest {
 protected:
  void send() { OperatorRoadTest::send(build_title_display_input(0, 1)); }
  void reply(std::string line) { arrives(std::move(line)); }
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
  EXPECT_TRUE(ticks(kTimeoutTicks - 1).empty());
  tick_conversations(session);
  const Timer1Decision timed_out = timer1_tick(exchange());
  EXPECT_EQ(timed_out.box.kind, BoxKind::no_connect) << "on the fifteenth tick after the send";
  EXPECT_TRUE(timed_out.close_current_dialog);
  EXPECT_FALSE(exchange().close_on_failure());
  EXPECT_TRUE(ticks(5).empty()) << "once";

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
