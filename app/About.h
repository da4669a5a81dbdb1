// The about dialog: title, maker, links and logo, shown modally from the main window.
#pragma once

#include "toolkit/Form.h"

namespace kestrova {

class TKSTV_ABOUT : public TForm {
 public:
  TKSTV_ABOUT();
};

extern TKSTV_ABOUT* KSTV_ABOUT;

}  // namespace kestrova
