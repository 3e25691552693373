#include "link/reply_roads.h"

#include "link/line_assembler.h"

namespace orv {
namespace {

bool is_acknowledgement(std::string_view line) {
  return without_line_end(line) == "GO";
}

}  // namespace

void take_reply(Exchange& exchange, ReplyTarget& target, ReplyRoad road, std::string_view line) {
  line = line.substr(0, kReplyLineBytes - 1);
  if (road == ReplyRoad::socket) exchange.send_failure_cleared();
  if (const ResultCode code = condition_code(line); code != ResultCode::none) {
    exchange.condition(code);
  } else if (is_acknowledgement(line) && exchange.awaiting_reply() &&
             !expects_data_reply(target.asked)) {
    exchange.acknowledged();
  } else {
    switch (dispatch_reply_line(target, line, road)) {
      case RowOutcome::accepted:
        exchange.reply_stored();
        break;
      case RowOutcome::unasked:  // a data reply nobody waits for changes nothing
        if (exchange.awaiting_reply()) exchange.condition(ResultCode::command_error);
        break;
      case RowOutcome::rejected:
      case RowOutcome::no_row:
        exchange.condition(ResultCode::command_error);
        break;
    }
  }
  exchange.reply_handled();
}

DispatchResult take_settled(Exchange& exchange, ReplyTarget& target, ReplyRoad road,
                            const Settled& settled) {
  switch (settled.how) {
    case Settled::How::answered:
      target.asked = settled.asked;
      take_reply(exchange, target, road, settled.answer);
      target.asked = {};
      break;
    case Settled::How::without_reply:
      exchange.sent_without_reply();
      break;
    case Settled::How::unanswered:
      if (road == ReplyRoad::socket) return send_failed(exchange, kNoAnswer);
      exchange.unanswered();
      break;
    case Settled::How::link_failed:
      return send_failed(exchange,
                         road == ReplyRoad::socket ? kSocketSendFailed : kSerialWriteFailed);
    case Settled::How::connection_lost:
    case Settled::How::expired:
      return send_failed(exchange, kNoAnswer);
  }
  return {};
}

}  // namespace orv
