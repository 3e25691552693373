// Everything the program shares between its windows, in one object that the
// program creates once (and a test creates in one line).
#pragma once

#include <array>
#include <string>

#include "app/configuration.h"
#include "link/reply_wait_state.h"
#include "protocol/device_settings.h"
#include "protocol/reply_assembly.h"
#include "status/status_grid.h"

namespace orv {

inline constexpr int kBroadcastAddress = 32;   // slave address "Broadcast", "FF" on the wire
inline constexpr int kSlaveAddressItems = 33;  // "00".."31", "Broadcast"

// A shared channel choice and the channel whose page the table last showed.
struct ChannelSelection {
  int current = 0;
  int painted = 0;
};

// Opaque handle of the modal dialog that is open (a window handle in the
// program); null when none.
using DialogHandle = void*;

struct AppState {
  Configuration config;
  DeviceSettings settings;
  ReplyWaitState reply;
  int slaveAddress = 0;  // 0..31, or kBroadcastAddress
  ChannelSelection inputChannel;
  ChannelSelection outputChannel;
  ChannelSelection videoOutputChannel;  // index into output channels 02..32
  SocketLineAssembly socketLine;
  StatusGrid status;
  std::array<char, 5> lastRequestedGlyphCode{};  // four hex digits of the last glyph read
  DialogHandle current_dialog = nullptr;
};

// Applies a configuration read at start-up: the model it selects decides
// the number of inputs.
void apply_configuration(AppState& state, const Configuration& config);

}  // namespace orv
