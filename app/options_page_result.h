// What an option page's apply step answers: applied, refused silently while a
// disc refresh runs, or refused with a message for the user. A refused page
// applies nothing and the sheet stays open.
#pragma once

#include <string>
#include <utility>

struct PageApplyResult {
  enum Status { Applied, Busy, Refused };

  Status status = Applied;
  std::string message;  // what to show for Refused; empty otherwise

  static PageApplyResult Ok() { return {}; }
  static PageApplyResult WhileBusy() { return {Busy, {}}; }
  static PageApplyResult Refuse(std::string text) { return {Refused, std::move(text)}; }

  explicit operator bool() const { return status == Applied; }
};
