// The resize-support message: a registered window message ("WMU_RESIZESUPPORT")
// that the resizable layout sends to its children to ask how they paint
// (queries RSZSUP_* in ui/core/anchor_layout.h). Its number is given out at
// run time, once per process, like every registered message.
#pragma once

namespace ui {

inline constexpr const char* kResizeSupportMessageName = "WMU_RESIZESUPPORT";

// The number of the resize-support message.
unsigned ResizeSupportMessage();

}  // namespace ui
