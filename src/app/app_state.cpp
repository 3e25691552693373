#include "app/app_state.h"

namespace orv {

void apply_configuration(AppState& state, const Configuration& config) {
  state.config = config;
  state.settings.model = config.select_model != 0 ? kModelTarquine : kModelOrvellan;
  state.settings.inputCount = input_count_of(state.settings.model);
}

}  // namespace orv
