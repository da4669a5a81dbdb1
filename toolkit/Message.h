// The record a window message is handed around in: number, parameters, result.
#pragma once

#include "toolkit/Win.h"

namespace kestrova {

// Parameters and result are the platform's full-width types: on 64-bit Windows a list box's
// string parameter is a pointer and needs all 64 bits.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

}  // namespace kestrova
