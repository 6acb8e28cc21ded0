// The mixed-in size grip.
#include "ui/resizable_grip.h"

bool CResizableGrip::CreateGrip(bool visible, bool triangular, bool transparent) {
  wxWindow* window = GetLayoutWindow();
  if (!grip_.CreateGrip(window, visible, triangular, transparent)) return false;
  SetGripVisible(visible);
  UpdateGrip();
  return true;
}

void CResizableGrip::UpdateGrip() {
  grip_.SetVisible(IsGripVisible());
  grip_.UpdatePosition(GetLayoutWindow());
}
