#include "platform/ui.h"

namespace zor {

int HeadlessUi::messageBox(std::string_view, std::string_view, unsigned flags) {
  return (flags & MsgYesNo) ? ResultYes : ResultOk;
}

}  // namespace zor
