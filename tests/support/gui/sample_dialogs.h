// Dialog templates the toolkit's window tests build: they are not part of
// the program, so they live with the tests.
#pragma once

#include <span>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace sample {

// A small resizable dialog of the usual shape: a title over a list that takes
// all the room the dialog gains, a name field and a check box under the list
// that keep to the bottom edge, OK and Cancel in the lower-right corner.
inline constexpr int IDD_SAMPLE_RESIZE = 9100;
inline constexpr int IDC_SAMPLE_TITLE = 1003;   // stays centred across
inline constexpr int IDC_SAMPLE_LIST = 1001;    // grows both ways
inline constexpr int IDC_SAMPLE_LABEL = 1005;   // follows the bottom edge
inline constexpr int IDC_SAMPLE_EDIT = 1002;    // grows across, follows the bottom edge
inline constexpr int IDC_SAMPLE_OPTION = 1004;  // follows the bottom edge
extern const ui::DialogTemplate kResizeDialog;
extern const std::span<const ResizeAnchor> kResizeAnchors;

// The same controls on a frame with minimise and maximise boxes, as the
// program's main window has.
inline constexpr int IDD_SAMPLE_FRAME = 9102;
extern const ui::DialogTemplate kFrameDialog;

// A dialog whose only button fills its lower-right corner, flush with both
// edges, under the size grip.
inline constexpr int IDD_SAMPLE_CORNER = 9101;
inline constexpr int IDC_SAMPLE_CORNER = 1010;
extern const ui::DialogTemplate kCornerDialog;
extern const std::span<const ResizeAnchor> kCornerAnchors;

}  // namespace sample
