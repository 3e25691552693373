// The conversation of one connection, driven by lines and ticks alone; the
// server's places and the box guard, without a socket or a window.
#include "link/conversation.h"

#include <gtest/gtest.h>

#include "app/box_guard.h"
#include "link/framing.h"
#include "link/server_places.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

Request request(RequesterId who, std::string command, Priority priority = Priority::run_step,
                int retries = 0) {
  return Request{who,     std::move(command), -1,           priority,
                 retries, milliseconds(100),  std::nullopt, false};
}

std::string sent(Conversation& c, Instant now = Instant{0}) {
  const auto sending = c.next_to_send(now);
  return sending ? sending->bytes : "<nothing>";
}

// One command at a time: the next goes only once the last is answered, an
// operator's before a run's step, a step before a poll, each priority in
// the order it came; every answer reaches the requester that asked.
TEST(Conversation, OneCommandAtATimeByPriorityEachAnswerToItsRequester) {
  Conversation c;
  c.submit(request(1, "ROS\r\n"));
  EXPECT_EQ(sent(c), "ROS\r\n");
  c.submit(request(2, "ROCD\r\n", Priority::poll));
  c.submit(request(3, "RCT01\r\n"));
  c.submit(request(4, "OP02\r\n", Priority::operator_command));
  c.submit(request(5, "RCT02\r\n"));
  EXPECT_EQ(sent(c), "<nothing>") << "the line is busy";
  std::vector<RequesterId> answered;
  for (const char* next : {"OP02\r\n", "RCT01\r\n", "RCT02\r\n", "ROCD\r\n", "<nothing>"}) {
    const auto taken = c.take_line("X\r\n", Instant{5});
    ASSERT_TRUE(taken.settled);
    answered.push_back(taken.settled->requester);
    EXPECT_EQ(taken.settled->answer, "X\r\n");
    EXPECT_EQ(sent(c), next);
  }
  EXPECT_EQ(answered, (std::vector<RequesterId>{1, 4, 3, 5, 2}));
  EXPECT_EQ(c.take_line("Y\r\n", Instant{9}).kind, Conversation::Taken::Kind::unasked);
}

// A sequence that holds the line (read, change, write back): nobody's
// command comes between its steps, however urgent, if the holder asks its
// next step as the last settles; otherwise the line is free again.
TEST(Conversation, ASequenceHoldsTheLineBetweenItsSteps) {
  Conversation c;
  Request read = request(1, "ROS\r\n");
  read.holds_line = true;
  c.submit(read);
  sent(c);
  c.submit(request(2, "CTI01ON\r\n", Priority::operator_command));
  ASSERT_TRUE(c.take_line("OS\r\n", Instant{5}).settled);
  c.submit(request(1, "OS...\r\n", Priority::poll));
  EXPECT_EQ(sent(c), "OS...\r\n") << "the holder's next, before a higher priority";
  c.take_line("GO\r\n", Instant{6});
  EXPECT_EQ(sent(c), "CTI01ON\r\n");
  c.take_line("GO\r\n", Instant{7});
  c.submit(read);
  sent(c);
  c.submit(request(2, "ROP\r\n"));
  c.take_line("OS\r\n", Instant{8});
  EXPECT_EQ(sent(c), "ROP\r\n") << "nothing asked: the line is free";
}

// A late answer's command goes out again while tries are left, then ends
// unanswered; of the answers that then come to the several tries, the
// first is the command's and the rest are dropped, even while the next
// command waits, and not after the time a reply may take.
TEST(Conversation, ALateAnswerIsAskedAgainAndItsRepeatsAreDropped) {
  Conversation c;
  c.submit(request(1, "RCT01\r\n", Priority::run_step, 2));
  sent(c, Instant{0});
  EXPECT_FALSE(c.tick(Instant{99}).resend);
  EXPECT_EQ(c.tick(Instant{100}).resend, "RCT01\r\n");
  EXPECT_EQ(c.tick(Instant{200}).resend, "RCT01\r\n");
  const auto ended = c.tick(Instant{300});
  ASSERT_TRUE(ended.settled);
  EXPECT_EQ(ended.settled->how, Settled::How::unanswered);
  EXPECT_EQ(ended.settled->tries, 3);

  c.submit(request(1, "RCT02\r\n", Priority::run_step, 1));
  sent(c, Instant{400});
  EXPECT_TRUE(c.tick(Instant{500}).resend);
  const auto first = c.take_line("CT02A\r\n", Instant{520});
  ASSERT_TRUE(first.settled);
  EXPECT_EQ(first.settled->tries, 2);
  c.submit(request(1, "RCT03\r\n"));
  sent(c, Instant{530});
  EXPECT_EQ(c.take_line("CT02A\r\n", Instant{540}).kind, Conversation::Taken::Kind::late_answer);
  const auto next = c.take_line("CT03B\r\n", Instant{550});
  ASSERT_TRUE(next.settled);
  EXPECT_EQ(next.settled->asked, "RCT03");
  EXPECT_EQ(c.take_line("CT02A\r\n", Instant{900}).kind, Conversation::Taken::Kind::unasked)
      << "too late to be a repeat";
}

// On a bus every command carries its unit's address, a reply loses it, and
// a Broadcast is done once written, the line resting so every unit takes
// it before the next command.
TEST(Conversation, ABusAddressesEachUnitAndRestsAfterABroadcast) {
  Conversation c(milliseconds(400));
  c.submit(Request{1, "ROP\r\n", 5, Priority::run_step, 0, milliseconds(100), std::nullopt, false});
  EXPECT_EQ(sent(c), "05ROP\r\n");
  EXPECT_EQ(c.take_line("05OP01\r\n", Instant{10}).settled->answer, "OP01\r\n");
  c.submit(Request{1, "OP02\r\n", kBroadcastAddress, Priority::run_step, 0, milliseconds(100),
                   std::nullopt, false});
  c.submit(Request{1, "OP03\r\n", kBroadcastAddress, Priority::run_step, 0, milliseconds(100),
                   std::nullopt, false});
  const auto broadcast = c.next_to_send(Instant{20});
  ASSERT_TRUE(broadcast && broadcast->settled);
  EXPECT_EQ(broadcast->bytes, "FFOP02\r\n");
  EXPECT_EQ(broadcast->settled->how, Settled::How::without_reply);
  EXPECT_EQ(sent(c, Instant{419}), "<nothing>");
  EXPECT_EQ(sent(c, Instant{420}), "FFOP03\r\n");
}

// A requester that went hears nothing more, and its answer goes to nobody
// else; a connection that fails ends everything waiting on it, in order.
TEST(Conversation, CancelledAndFailedRequestsEndCleanly) {
  Conversation c;
  c.submit(request(1, "ROS\r\n"));
  sent(c);
  c.submit(request(1, "ROCD\r\n"));
  c.submit(request(2, "RCT01\r\n"));
  c.cancel(1);
  const auto swallowed = c.take_line("OS\r\n", Instant{5});
  EXPECT_EQ(swallowed.kind, Conversation::Taken::Kind::answer);
  EXPECT_FALSE(swallowed.settled) << "nobody hears the cancelled one's answer";
  EXPECT_EQ(sent(c), "RCT01\r\n") << "its waiting request went too";
  c.submit(request(3, "ROP\r\n"));
  const auto failed = c.fail_all();
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0].requester, 2);
  EXPECT_EQ(failed[1].requester, 3);
  EXPECT_EQ(failed[1].how, Settled::How::connection_lost);
  EXPECT_FALSE(c.busy());
}

// Places: the allow list, the 97th converter, a returning converter taking
// its place over (still picked), the pick dropped when its converter goes
// and taken again when the same one comes back, unless another was picked
// meanwhile; unasked lines count only from the picked place.
TEST(ServerPlaces, AdmissionTakeoverAndThePick) {
  ServerPlaces places;
  for (int n = 1; n <= kServerPlaces; ++n)
    ASSERT_EQ(places.admit("127.0.1." + std::to_string(n)).place, n);
  EXPECT_EQ(places.admit("127.0.2.1").place, 0) << "the 97th is turned away";
  places.pick(57);
  const auto again = places.admit("127.0.1.57");
  EXPECT_EQ(again.place, 57);
  EXPECT_TRUE(again.took_over && again.picked);
  EXPECT_TRUE(places.counts_for_operator(57));
  EXPECT_FALSE(places.counts_for_operator(56));

  places.leave(57);
  EXPECT_EQ(places.picked(), 0) << "no other converter may inherit the pick";
  places.leave(3);
  EXPECT_FALSE(places.admit("127.0.2.9").picked) << "another converter takes the first free place";
  const auto back = places.admit("127.0.1.57");
  EXPECT_EQ(back.place, 57);
  EXPECT_TRUE(back.picked) << "the same converter, nothing else picked meanwhile";
  places.leave(57);
  places.pick(5);
  EXPECT_FALSE(places.admit("127.0.1.57").picked) << "another was picked meanwhile";

  places.clear();
  places.allow_only({"10.0.0.1"});
  EXPECT_EQ(places.admit("10.0.0.2").place, 0);
  EXPECT_EQ(places.admit("10.0.0.1").place, 1);
}

// While a box stands: repeats of its failure are counted, what else comes
// is set aside in order up to the cap (lines beyond it only counted,
// connections kept), and a line nobody asked for is counted only under the
// outcome box.
TEST(BoxGuard, CountsSetsAsideAndCaps) {
  BoxGuard guard(2);
  const LinkEvent line{LinkEvent::Kind::line, Connection::client(), "GO\r\n"};
  const LinkEvent closed{LinkEvent::Kind::closed, Connection::server_place(4), {}};
  EXPECT_FALSE(guard.count_unasked_line());
  ASSERT_TRUE(guard.begin_handling());
  EXPECT_EQ(guard.arrived(line, "", false), BoxGuard::Fate::handle);
  guard.failure_box_shown("accept() error");
  EXPECT_FALSE(guard.begin_handling()) << "the box's own loop";
  EXPECT_EQ(guard.arrived(line, "accept() error", true), BoxGuard::Fate::count_repeat);
  EXPECT_EQ(guard.arrived(line, "", true), BoxGuard::Fate::set_aside);
  EXPECT_EQ(guard.arrived(closed, "", true), BoxGuard::Fate::set_aside);
  EXPECT_EQ(guard.arrived(line, "", true), BoxGuard::Fate::dropped);
  EXPECT_EQ(guard.arrived(closed, "", true), BoxGuard::Fate::set_aside) << "connections are kept";
  EXPECT_EQ(guard.repeats_of("accept() error"), 1);
  guard.failure_box_closed();
  const auto aside = guard.take_set_aside();
  ASSERT_EQ(aside.size(), 3u);
  EXPECT_EQ(aside[0].kind, LinkEvent::Kind::line);
  EXPECT_EQ(aside[2].kind, LinkEvent::Kind::closed);
  EXPECT_EQ(guard.dropped_lines(), 1u);
  guard.end_handling();

  guard.outcome_box_shown();
  EXPECT_TRUE(guard.count_unasked_line());
  EXPECT_TRUE(guard.count_unasked_line());
  EXPECT_EQ(guard.unasked_lines(), 2);
  guard.outcome_box_closed();
  EXPECT_FALSE(guard.count_unasked_line());
}

}  // namespace
}  // namespace orv
