#include "link/reply_roads.h"

#include "link/line_assembler.h"

namespace orv {

void handle_serial_reply(Exchange& exchange, ReplyTarget& target, const SerialFraming& framing,
                         std::string_view line) {
  line = without_own_address(line, framing).substr(0, kReplyLineBytes - 1);
  if (const ResultCode code = condition_code(line); code != ResultCode::none) {
    exchange.condition(code);
  } else if (line == "GO\r\n" && exchange.awaiting_reply()) {
    exchange.acknowledged();
  } else {
    switch (dispatch_reply_line(target, line, ReplyRoad::serial)) {
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

void handle_socket_reply(Exchange& exchange, ReplyTarget& target, std::string_view line) {
  line = line.substr(0, kReplyLineBytes - 1);
  exchange.send_failure_cleared();
  if (line.starts_with("GO") && exchange.awaiting_reply()) {
    exchange.acknowledged();
  } else {
    switch (dispatch_reply_line(target, line, ReplyRoad::socket)) {
      case RowOutcome::accepted:
        exchange.reply_stored();
        break;
      case RowOutcome::unasked:  // a data reply nobody waits for changes nothing
        if (exchange.awaiting_reply()) exchange.condition(ResultCode::command_error);
        break;
      case RowOutcome::rejected:
        exchange.condition(ResultCode::command_error);
        break;
      case RowOutcome::no_row:
        // A line the unit would not send is no acknowledgement.
        const ResultCode code = condition_code(line);
        exchange.condition(code != ResultCode::none ? code : ResultCode::command_error);
        break;
    }
  }
  exchange.reply_handled();
}

}  // namespace orv
