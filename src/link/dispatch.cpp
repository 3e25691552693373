#include "link/dispatch.h"

namespace orv {

DispatchResult send_failed(Exchange& exchange, std::string_view warning) {
  exchange.send_failure();
  DispatchResult result{false, warning, exchange.close_on_failure()};
  exchange.set_close_on_failure(false);
  return result;
}

DispatchResult dispatch_command(Exchange& exchange, const Route& route, const Command& command,
                                const Asking& asking) {
  if (!command.sendable()) {
    if (command.refusal == Command::Refusal::command_error) exchange.refused();
    return {};
  }
  exchange.sent();
  const bool connected = route.link && route.link->ready() && route.conversation;
  if (!connected && route.road == ReplyRoad::socket)
    return send_failed(exchange, kSocketNotConnected);
  if (serial_frame(command.text, SerialFraming{route.rs485, route.address}).size() >
      kMaxFramedLine) {
    exchange.refused();
    return {};
  }
  if (!route.conversation) return send_failed(exchange, kSerialWriteFailed);
  route.conversation->submit(Request{asking.requester, command.text,
                                     route.rs485 ? route.address : -1, asking.priority,
                                     asking.retries, route.timeout, std::nullopt, false});
  return DispatchResult{true, {}, false};
}

SentWaiting send_waiting(Conversation& conversation, Link& link, Instant now) {
  SentWaiting done;
  for (Settled& expired : conversation.take_expired(now))
    done.settled.push_back(std::move(expired));
  while (auto sending = conversation.next_to_send(now)) {
    if (!link.send(sending->bytes)) {
      if (sending->settled) {
        sending->settled->how = Settled::How::link_failed;
        done.settled.push_back(std::move(*sending->settled));
      } else if (auto failed = conversation.fail_outstanding()) {
        done.settled.push_back(std::move(*failed));
      }
      continue;
    }
    done.written.push_back({sending->bytes, false, sending->address});
    if (sending->settled) done.settled.push_back(std::move(*sending->settled));
  }
  return done;
}

SentWaiting send_again(Conversation& conversation, Link& link, const std::string& bytes) {
  SentWaiting done;
  if (link.send(bytes)) {
    done.written.push_back({bytes, true, conversation.outstanding_address().value_or(0)});
  } else if (auto failed = conversation.fail_outstanding()) {
    done.settled.push_back(std::move(*failed));
  }
  return done;
}

}  // namespace orv
