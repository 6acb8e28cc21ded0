// The resize-support message ("WMU_RESIZESUPPORT"): what the resizable layout
// asks its children about how they paint (queries RSZSUP_* in
// ui/core/anchor_layout.h). It is an event of its own type, given out once
// per process, so no other message can be mistaken for it. A child answers
// by handling it (not skipping it) and filling in the record the query names:
//
//   child->Bind(ui::ResizeSupportEventTag(), [](ui::ResizeSupportEvent& e) {
//     if (e.Query() != RSZSUP_LIKESCLIPPING) return e.Skip();
//     *static_cast<bool*>(e.Record()) = true;
//   });
//
// The event stays with the child it is sent to: a parent never answers for it.
#pragma once

#include <wx/event.h>

namespace ui {

inline constexpr const char* kResizeSupportMessageName = "WMU_RESIZESUPPORT";

class ResizeSupportEvent : public wxEvent {
 public:
  ResizeSupportEvent(wxEventType type, unsigned query, void* record)
      : wxEvent(0, type), query_(query), record_(record) {}
  unsigned Query() const { return query_; }  // the wParam: RSZSUP_*
  void* Record() const { return record_; }   // the lParam: the query's record
  wxEvent* Clone() const override { return new ResizeSupportEvent(*this); }

 private:
  unsigned query_;
  void* record_;
};

// The event type of the resize-support message.
wxEventType ResizeSupportEventType();
wxEventTypeTag<ResizeSupportEvent> ResizeSupportEventTag();

}  // namespace ui
