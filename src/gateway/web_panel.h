// The web panel the gateway serves at "/": one page, its script and style
// inside, built into the executable from gateway/web_panel.html.
#pragma once

#include <string_view>

namespace orv::gateway {

std::string_view web_panel_page();

}  // namespace orv::gateway
