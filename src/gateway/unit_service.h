// What the gateway does with one unit for its Videohub and HTTP clients:
// the unit's state as they see it (what each output shows, the pattern in
// force, its titles as labels, online or not), every change told to whoever
// watches, the locks clients hold on its outputs, and what they ask of it:
// routing one output, recalling a pattern, setting a title. What they ask
// is carried out one operation at a time, in order.
//
// Routing one output leaves the others as they are: the output selection
// is read fresh ("ROS"), its 32 entries checked, and sent back as the whole
// free layout ("OS") with the routed output's entry replaced, then the free
// layout is recalled ("OPFR") unless it is in force, with no other command
// on the line in between. Routes asked while another operation is under way
// go together into the next "OS". The unit's stored free layout is
// overwritten, and the free layout is left in force.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bulk/clock_sync.h"
#include "gateway/line.h"

namespace orv::gateway {

// How an operation ended, as the HTTP API reports it.
struct Outcome {
  enum class Kind { done, condition, no_answer, refused };
  Kind kind = Kind::done;
  // The condition's name ("Lock Display"), why there was no answer, or why
  // the gateway sent nothing (refused).
  std::string error;
  bool ok() const { return kind == Kind::done; }
};

class UnitService {
 public:
  explicit UnitService(Unit& unit);
  ~UnitService();
  UnitService(const UnitService&) = delete;
  UnitService& operator=(const UnitService&) = delete;

  const Unit& unit() const { return unit_; }
  const std::string& id() const { return unit_.config.id; }
  int inputs() const { return unit_.read.inputCount; }
  bool online() const { return unit_.online; }

  // --- What clients see.
  enum class Change { routing, pattern, labels, online, locks };
  // `outputs` the outputs whose routing changed (Change::routing), or
  // whose lock did (Change::locks); the labels' inputs (Change::labels).
  using Watcher = std::function<void(Change change, const std::vector<int>& which)>;
  int watch(Watcher watcher);
  void unwatch(int watcher);
  // The input an output shows now (0-based; an output on a switching
  // pattern shows one input at a time), or -1 before it is known.
  int shown_input(int output) const;
  // The switching pattern an output runs (0-based), or -1.
  int switching_pattern(int output) const;
  // The pattern in force (0..63, kFreeLayout), or nothing before it is read.
  std::optional<int> pattern() const;
  // The inputs' titles as labels (UTF-8), once read; empty before.
  const std::vector<std::string>& labels() const { return labels_; }
  const std::vector<std::string>& output_labels() const { return output_labels_; }

  // --- Locks on outputs, each held by a client (a number of its own, from
  // new_client()).
  static int new_client();
  // Who holds `output`'s lock, or 0.
  int lock_holder(int output) const { return locks_[static_cast<size_t>(output)]; }
  bool lock(int output, int client);    // false when another holds it
  bool unlock(int output, int client);  // false when another holds it
  void force_unlock(int output);
  void release_locks(int client);  // the client went
  // Whether a client other than `client` holds a lock on any output.
  bool locked_by_another(int client) const;

  // --- What clients ask; `done` is called once the unit has answered.
  using Done = std::function<void(const Outcome& outcome)>;
  // Outputs (0..31) to the inputs (0..inputs()-1) they are to show, all in
  // the same "OS".
  void route(const std::map<int, int>& routes, Done done);
  // `pattern` 0..63 or kFreeLayout.
  void recall(int pattern, Done done);
  // `sjis` as title_of_label gave it.
  void set_title(int input, const std::string& sjis, Done done);
  // The computer's local clock to the unit's calendar clock, the line held
  // from the first command to the last (see ClockSync).
  void sync_clock(Done done);

 private:
  using Answer = std::function<void(const Settled& settled)>;
  void polled(const Polled& polled);
  void tell(Change change, const std::vector<int>& which = {});
  void queue(std::function<void()> operation);
  void finish(const Done& done, const Outcome& outcome);
  void next_operation();
  void ask(const std::string& command, bool holds_line, Answer answer);
  void answered(const Settled& settled);
  Outcome outcome_of(const Settled& settled, bool setting);

  void start_routing();
  void write_free_layout(const Settled& selection);
  void routed(const Outcome& outcome);
  void recalled(int pattern, const Done& done);
  void send_title_steps(std::shared_ptr<std::vector<std::string>> steps, size_t next, int input,
                        std::string sjis, Done done);

  void send_clock_step(std::shared_ptr<ClockSync> sync, int step, int pass, Done done);

  void read_titles();
  void read_title(int input);
  void title_answered(const Settled& settled);
  void titles_read();

  Unit& unit_;
  std::map<int, Watcher> watchers_;
  int next_watcher_ = 1;
  std::array<int, kOutputCount> locks_{};
  std::vector<std::string> labels_;
  std::vector<std::string> output_labels_;

  // The operations asked, one under way at a time; the answers awaited, in
  // the order their commands were asked.
  std::deque<std::function<void()>> operations_;
  bool operating_ = false;
  std::deque<Answer> answers_;
  RequesterId requester_ = 0;
  // Routes waiting for the next "OS", and those of the one under way.
  std::map<int, int> waiting_routes_;
  std::vector<Done> waiting_done_;
  bool routing_queued_ = false;
  std::map<int, int> routing_;
  std::vector<Done> routing_done_;
  // The titles, read in the background at the pace of the polls.
  RequesterId title_reader_ = 0;
  bool reading_titles_ = false;
  std::vector<std::string> titles_read_;
};

}  // namespace orv::gateway
