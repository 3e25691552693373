#include "gateway/unit_reader.h"

#include "bulk/read_all_steps.h"
#include "link/reply_roads.h"
#include "protocol/replies.h"

namespace orv::gateway {

ResultCode take_answer_into(DeviceSettings& settings, const Settled& settled) {
  Exchange exchange;
  exchange.sent();
  ReplyTarget target{settings, {}, nullptr, false, {}};
  take_settled(exchange, target, ReplyRoad::socket, settled);
  return exchange.result_code();
}

UnitReader::UnitReader(Unit& unit) : unit_(unit) {
  requester_ = unit_.line->add_requester([this](const Settled& s) { answered(s); });
}

UnitReader::~UnitReader() {
  unit_.line->forget(requester_);
}

void UnitReader::read(Read done) {
  waiting_.push_back(std::move(done));
  if (step_ != 0) return;
  settings_ = settings_for_model(unit_.config.model);
  step_ = 1;
  ask_step();
}

void UnitReader::ask_step() {
  const GatewayConfig& config = unit_.line->config();
  unit_.line->ask(Request{requester_, read_all_step(step_, settings_.inputCount).command.text,
                          unit_.address_field(), Priority::poll, config.retries,
                          std::chrono::milliseconds(config.timeout_ms), std::nullopt, false});
}

void UnitReader::answered(const Settled& settled) {
  if (step_ == 0) return;
  if (settled.how != Settled::How::answered) return end("the unit did not answer");
  const ResultCode result = take_answer_into(settings_, settled);
  if (result != ResultCode::none)
    return end("the unit answered " + std::string(condition_text(result)));
  if (++step_ > read_all_step_count(settings_.inputCount)) return end({});
  ask_step();
}

void UnitReader::end(const std::string& error) {
  step_ = 0;
  std::vector<Read> waiting = std::move(waiting_);
  waiting_.clear();
  for (const Read& done : waiting) done(error.empty() ? &settings_ : nullptr, error);
}

}  // namespace orv::gateway
