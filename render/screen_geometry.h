// Private to the render folder: the host's screen as the view fills it.
#pragma once

#include <cstdint>

namespace farview {

constexpr int32_t kFloorColumns = 320;
constexpr int32_t kScreenRows = 240;
constexpr double kScreenCentreColumn = 160.0; // the view looks along this column

} // namespace farview
