#include "app/desktop/PowerRequest.h"

namespace kestrova {

void TPowerRequest::Take() {
  if (taken_ != By::Nothing) return;
  if (!made_) {
    made_ = true;
    REASON_CONTEXT context{POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {}};
    context.Reason.SimpleReasonString = reason_.data();
    // INVALID_HANDLE_VALUE when it fails (Wine 8 has no power requests): no request, then.
    request_.Reset(PowerCreateRequest(&context));
  }
  if (request_ && PowerSetRequest(request_.Get(), PowerRequestSystemRequired)) {
    taken_ = By::Request;
  } else if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0) {
    taken_ = By::ThreadState;
  }
}

void TPowerRequest::Release() {
  switch (taken_) {
    case By::Request:
      PowerClearRequest(request_.Get(), PowerRequestSystemRequired);
      break;
    case By::ThreadState:
      SetThreadExecutionState(ES_CONTINUOUS);
      break;
    case By::Nothing:
      break;
  }
  taken_ = By::Nothing;
}

}  // namespace kestrova
